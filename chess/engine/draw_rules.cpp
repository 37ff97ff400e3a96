#include "chess/engine/draw_rules.h"

#include <initializer_list>

#include "chess/engine/board.h"

namespace chess {

namespace {

constexpr int kFiftyMoveHalfMoves = 100;
constexpr int kRepetitionsToDraw = 2; // earlier occurrences: the third time ends the game

} // namespace

int RepetitionCount() {
    const ChessBoard& b = gBoard;
    const int oldest = b.hply - b.fifty < 0 ? 0 : b.hply - b.fifty;
    int count = 0;
    // history[i] holds the position before half move i, with its castling
    // rights, which the hash leaves out.
    for (int i = b.hply - 2; i >= oldest; i -= 2)
        if (b.history[i].hash == b.hash && b.history[i].castle == b.castle) ++count;
    return count;
}

bool BareMaterial() {
    const ChessBoard& b = gBoard;
    if (b.pawnMat[White] != 0 || b.pawnMat[Black] != 0) return false;
    int minors = 0;
    for (int colour : {White, Black})
        for (int i = 0; i < b.pieceCount[colour]; ++i) {
            const ChessPiece& piece = b.pieces[colour][i];
            if (piece.captured || piece.kind == King) continue;
            if (piece.kind != Knight && piece.kind != Bishop) return false;
            ++minors;
        }
    return minors <= 1;
}

DrawRule DrawnByRule() {
    if (BareMaterial()) return DrawRule::BareMaterial;
    if (gBoard.fifty >= kFiftyMoveHalfMoves) return DrawRule::FiftyMoves;
    if (RepetitionCount() >= kRepetitionsToDraw) return DrawRule::Repetition;
    return DrawRule::None;
}

} // namespace chess
