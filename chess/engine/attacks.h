// Which squares a piece can reach on an empty board, and whether a square is
// attacked by a side.
#pragma once

#include <cstdint>

#include "chess/engine/board.h"

namespace chess {

struct AttackEntry {
    int8_t kindBits;  // OR of 1 << kind of the pieces that reach `to` from `from`
    int8_t direction; // the step that leads from `from` to `to`
};

// Indexed by from - to + 119.
extern AttackEntry gAttack[239];
extern const int kDirectionCount[6];
extern const int kDirections[6][8];
extern const bool kSlides[6];

void BuildAttackTable();

inline bool IsAttacked(int square, int bySide) {
    const ChessBoard& b = gBoard;
    if (bySide == Black) {
        int s = square - 17;
        if (OnBoard(s) && b.board[s] == Black && b.board[s + 8] == Pawn) return true;
        s = square - 15;
        if (OnBoard(s) && b.board[s] == Black && b.board[s + 8] == Pawn) return true;
    } else {
        int s = square + 15;
        if (OnBoard(s) && b.board[s] == White && b.board[s + 8] == Pawn) return true;
        s = square + 17;
        if (OnBoard(s) && b.board[s] == White && b.board[s + 8] == Pawn) return true;
    }
    const ChessPiece* list = b.pieces[bySide];
    const int count = b.pieceCount[bySide];
    for (int i = 0; i < count; ++i) {
        const ChessPiece& p = list[i];
        if (p.captured) continue;
        const AttackEntry& entry = gAttack[p.square - square + 119];
        if (!(entry.kindBits & p.kindBit)) continue;
        if (p.kindBit & ((1 << Knight) | (1 << King))) return true;
        int t = p.square + entry.direction;
        while (t != square && b.board[t] == kEmpty)
            t += entry.direction;
        if (t == square) return true;
    }
    return false;
}

inline bool SideInCheck(int colour) {
    return IsAttacked(KingSquare(colour), colour ^ 1);
}

} // namespace chess
