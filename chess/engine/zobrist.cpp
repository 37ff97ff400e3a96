// Drawing the hash keys and computing the keys of a board from scratch.
#include "chess/engine/zobrist.h"

#include "chess/engine/board.h"
#include "chess/engine/random.h"

namespace chess {

ZobristKeys gKeys;

void DrawZobristKeys() {
    ResetKeyGenerator();
    for (int colour = 0; colour < 2; ++colour)
        for (int kind = 0; kind < 6; ++kind)
            for (int square = 0; square < 120; ++square)
                gKeys.piece[colour][kind][square] = NextRandom64();
    gKeys.side = NextRandom64();
    for (int square = 0; square < 88; ++square)
        gKeys.ep[square] = NextRandom64();
    for (int phase = 0; phase < 11; ++phase)
        gKeys.phase[phase] = NextRandom64();
    gKeys.engineBlack = NextRandom64();
}

uint64_t ComputeHash() {
    const ChessBoard& b = gBoard;
    uint64_t key = 0;
    for (int s = 0; s < 120; ++s) {
        if (OnBoard(s) && b.board[s] != kEmpty) key ^= gKeys.piece[b.board[s]][b.board[s + 8]][s];
    }
    if (b.side == Black) key ^= gKeys.side;
    if (b.ep >= 0 && b.ep < 88) key ^= gKeys.ep[b.ep];
    return key;
}

uint64_t ComputePawnHash() {
    const ChessBoard& b = gBoard;
    uint64_t key = 0;
    for (int s = 0; s < 120; ++s) {
        if (OnBoard(s) && b.board[s] != kEmpty && b.board[s + 8] == Pawn)
            key ^= gKeys.piece[b.board[s]][Pawn][s];
    }
    return key;
}

} // namespace chess
