// The debugging picture of the position.
#include "chess/engine/board_diagram.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>

#include "chess/engine/board.h"

namespace chess {

std::string BoardDiagram() {
    const ChessBoard& b = gBoard;
    std::string text;
    for (int row = 0; row < 8; ++row) {
        text += static_cast<char>('8' - row);
        for (int file = 0; file < 8; ++file) {
            const int s = SquareOf(row, file);
            char c = '.';
            if (b.board[s] != kEmpty) {
                c = kKindLetters[b.board[s + 8]];
                if (b.board[s] == Black) c = static_cast<char>(std::tolower(c));
            }
            text += ' ';
            text += c;
        }
        text += '\n';
    }
    text += "  a b c d e f g h\n";
    char line[160];
    std::snprintf(line, sizeof(line),
                  "side %c castle %d ep %d fifty %d hply %d ply %d hash %016" PRIx64
                  " pawns %016" PRIx64 "\n",
                  b.side == White ? 'w' : 'b', b.castle, b.ep, b.fifty, b.hply, b.ply, b.hash,
                  b.pawnHash);
    text += line;
    return text;
}

} // namespace chess
