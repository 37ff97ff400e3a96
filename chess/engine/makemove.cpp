// Making and unmaking moves with incremental lists, material and keys.
#include "chess/engine/makemove.h"

#include "chess/engine/attacks.h"
#include "chess/engine/zobrist.h"

#ifdef CHESS_DEBUG_CHECKS
#include <cassert>
#define CHESS_CHECK_BOARD() assert(BoardIsConsistent())
#else
#define CHESS_CHECK_BOARD() ((void)0)
#endif

namespace chess {

namespace {

// Castling rights kept by a move touching a square: a8 7, e8 3, h8 11, a1 13, e1 12, h1 14.
constexpr int CastleMask(int square) {
    switch (square) {
    case 0:
        return 7;
    case 4:
        return 3;
    case 7:
        return 11;
    case 112:
        return 13;
    case 116:
        return 12;
    case 119:
        return 14;
    default:
        return 15;
    }
}

struct CastleMaskTable {
    int mask[128];
    constexpr CastleMaskTable() : mask() {
        for (int s = 0; s < 128; ++s)
            mask[s] = CastleMask(s);
    }
};
constexpr CastleMaskTable kCastleMask;

inline void RemoveFromSquare(ChessBoard& b, int square) {
    b.board[square] = kEmpty;
    b.board[square + 8] = kEmpty;
    b.at[square] = nullptr;
}

inline void PutOnSquare(ChessBoard& b, ChessPiece* p, int square) {
    b.board[square] = p->colour;
    b.board[square + 8] = p->kind;
    b.at[square] = p;
    p->square = square;
}

// What castling to one of the four king targets needs and does: the squares
// between king and rook must be empty, the king's path (beside its start
// square, which the generator covers by leaving castling out in check) must
// not be attacked, and the rook jumps over the king.
struct CastlingRule {
    int kingTo, colour, rookFrom, rookTo;
    int empty[3]; // -1 ends the list
    int safe[2];
};
constexpr CastlingRule kCastlingRules[4] = {
    {118, White, 119, 117, {117, 118, -1}, {117, 118}},
    {114, White, 112, 115, {113, 114, 115}, {114, 115}},
    {6, Black, 7, 5, {5, 6, -1}, {5, 6}},
    {2, Black, 0, 3, {1, 2, 3}, {2, 3}},
};

inline const CastlingRule* CastlingRuleFor(int kingTo) {
    for (const CastlingRule& rule : kCastlingRules)
        if (rule.kingTo == kingTo) return &rule;
    return nullptr;
}

// The rule of a castling king move the board allows now, or null (occupied
// or attacked squares, no rook at home, or not this side's corner).
inline const CastlingRule* AllowedCastling(const ChessBoard& b, int side, int to) {
    const CastlingRule* rule = CastlingRuleFor(to);
    if (!rule || rule->colour != side) return nullptr;
    const ChessPiece* rook = b.at[rule->rookFrom];
    if (!rook || rook->colour != side || rook->kind != Rook) return nullptr;
    for (int square : rule->empty)
        if (square >= 0 && b.board[square] != kEmpty) return nullptr;
    for (int square : rule->safe)
        if (IsAttacked(square, side ^ 1)) return nullptr;
    return rule;
}

} // namespace

bool MakeMove(ChessMove m) {
    ChessBoard& b = gBoard;
    if (b.hply >= b.historyCapacity) EnsureHistoryCapacity(b.hply + 1);
    const int side = b.side;
    const int xside = b.xside;
    ChessUndo& u = b.history[b.hply];
    u.move = m;
    u.captured = nullptr;
    u.promotedPawn = nullptr;
    u.castle = b.castle;
    u.ep = b.ep;
    u.fifty = b.fifty;
    u.hash = b.hash;
    u.pawnHash = b.pawnHash;

    if (m == 0) {
        if (b.ply < kMaxPly) b.firstMove[b.ply + 1] = b.firstMove[b.ply];
        if (b.ep >= 0) {
            b.hash ^= gKeys.ep[b.ep];
            b.ep = -1;
        }
        b.side = xside;
        b.xside = side;
        b.hash ^= gKeys.side;
        ++b.ply;
        ++b.hply;
        b.historyEnd = b.hply;
        ++b.nullCount;
        return true;
    }

    const int from = MoveFrom(m);
    const int to = MoveTo(m);
    const int promotion = MovePromotion(m);
    ChessPiece* piece = b.at[from];
    // A word that is no move of the side to move changes nothing.
    if (!piece || piece->colour != side || !OnBoard(to) || b.board[to] == side) return false;
    const int kind = piece->kind;
    if (kind == Pawn) {
        const bool lastRow = RowOf(to) == (side == White ? 0 : 7);
        if (lastRow != (promotion != 0) || promotion > Queen) return false;
    } else if (promotion != 0) {
        return false;
    }

    if (kind == King && (to - from == 2 || from - to == 2)) {
        const CastlingRule* rule = AllowedCastling(b, side, to);
        if (!rule) return false;
        ChessPiece* rook = b.at[rule->rookFrom];
        b.hash ^= gKeys.piece[side][Rook][rule->rookFrom] ^ gKeys.piece[side][Rook][rule->rookTo];
        RemoveFromSquare(b, rule->rookFrom);
        PutOnSquare(b, rook, rule->rookTo);
    }

    ChessPiece* victim = nullptr;
    if (kind == Pawn && to == b.ep) {
        victim = b.at[side == White ? to + 16 : to - 16];
    } else if (b.board[to] != kEmpty) {
        victim = b.at[to];
    }
    if (victim) {
        const int square = victim->square;
        victim->captured = 1;
        u.captured = victim;
        b.hash ^= gKeys.piece[xside][victim->kind][square];
        if (victim->kind == Pawn) {
            b.pawnHash ^= gKeys.piece[xside][Pawn][square];
            b.pawnMat[xside] -= 100;
        } else {
            b.pieceMat[xside] -= kPieceValue[victim->kind];
        }
        RemoveFromSquare(b, square);
    }

    const uint64_t moveKey = gKeys.piece[side][kind][from] ^ gKeys.piece[side][kind][to];
    b.hash ^= moveKey;
    if (kind == Pawn) b.pawnHash ^= moveKey;
    RemoveFromSquare(b, from);
    PutOnSquare(b, piece, to);

    if (promotion) {
        const uint64_t pawnKey = gKeys.piece[side][Pawn][to];
        b.hash ^= pawnKey ^ gKeys.piece[side][promotion][to];
        b.pawnHash ^= pawnKey;
        b.pawnMat[side] -= 100;
        piece->captured = 1;
        u.promotedPawn = piece;
        ChessPiece* promoted = &b.pieces[side][b.pieceCount[side]++];
        *promoted = ChessPiece{0, side, promotion, to, 1 << promotion};
        PutOnSquare(b, promoted, to);
        b.pieceMat[side] += kPieceValue[promotion];
    }

    b.castle &= kCastleMask.mask[from] & kCastleMask.mask[to];
    if (b.ep >= 0) {
        b.hash ^= gKeys.ep[b.ep];
        b.ep = -1;
    }

    if (kind == Pawn) {
        b.fifty = 0;
        if (to - from == 32 || from - to == 32) {
            // The en-passant square only counts when an enemy pawn can take there.
            const int left = to - 1, right = to + 1;
            if ((OnBoard(left) && b.board[left] == xside && b.board[left + 8] == Pawn) ||
                (OnBoard(right) && b.board[right] == xside && b.board[right + 8] == Pawn)) {
                b.ep = side == White ? to + 16 : to - 16;
                b.hash ^= gKeys.ep[b.ep];
            }
        }
    } else if (victim) {
        b.fifty = 0;
    } else {
        ++b.fifty;
    }

    b.side = xside;
    b.xside = side;
    b.hash ^= gKeys.side;
    ++b.hply;
    b.historyEnd = b.hply;
    ++b.ply;
    if (IsAttacked(b.pieces[side][0].square, xside)) {
        UnmakeMove();
        return false;
    }
    CHESS_CHECK_BOARD();
    return true;
}

void UnmakeMove() {
    ChessBoard& b = gBoard;
    if (b.hply == 0) return;
    --b.hply;
    if (b.ply > 0) --b.ply;
    const ChessUndo& u = b.history[b.hply];
    const int side = b.xside; // the side that made the move
    const int xside = b.side;
    b.side = side;
    b.xside = xside;
    b.castle = u.castle;
    b.ep = u.ep;
    b.fifty = u.fifty;
    b.hash = u.hash;
    b.pawnHash = u.pawnHash;
    const ChessMove m = u.move;
    if (m == 0) {
        --b.nullCount;
        return;
    }
    const int from = MoveFrom(m);
    const int to = MoveTo(m);
    ChessPiece* piece = b.at[to];
    if (u.promotedPawn) {
        b.pieceMat[side] -= kPieceValue[piece->kind];
        --b.pieceCount[side];
        piece = u.promotedPawn;
        piece->captured = 0;
        b.pawnMat[side] += 100;
    }
    RemoveFromSquare(b, to);
    PutOnSquare(b, piece, from);
    if (ChessPiece* victim = u.captured) {
        victim->captured = 0;
        PutOnSquare(b, victim, victim->square);
        if (victim->kind == Pawn) {
            b.pawnMat[xside] += 100;
        } else {
            b.pieceMat[xside] += kPieceValue[victim->kind];
        }
    }
    if (piece->kind == King && (to - from == 2 || from - to == 2)) {
        const CastlingRule* rule = CastlingRuleFor(to);
        ChessPiece* rook = b.at[rule->rookTo];
        RemoveFromSquare(b, rule->rookTo);
        PutOnSquare(b, rook, rule->rookFrom);
    }
    CHESS_CHECK_BOARD();
}

bool RedoMove() {
    ChessBoard& b = gBoard;
    if (b.hply >= b.historyEnd) return false;
    const int end = b.historyEnd;
    const bool made = MakeMove(b.history[b.hply].move);
    b.historyEnd = end;
    return made;
}

} // namespace chess
