// Move generation over the piece and pawn lists of the 0x88 board.
#include "chess/engine/movegen.h"

#include "chess/engine/attacks.h"
#include "chess/engine/makemove.h"

namespace chess {

namespace {

inline void Add(MoveEntry*& out, int from, int to, int promotion, int score) {
    out->move = EncodeMove(from, to, promotion);
    out->score = score;
    ++out;
}

inline void AddPromotions(MoveEntry*& out, int from, int to, int victimScore) {
    for (int kind = Knight; kind <= Queen; ++kind)
        Add(out, from, to, kind, kCaptureScore + 8 * kind + victimScore);
}

template <bool kQuiet> MoveEntry* GeneratePieceMoves(MoveEntry* out) {
    const ChessBoard& b = gBoard;
    const int xside = b.xside;
    const ChessPiece* list = b.pieces[b.side];
    const int count = b.pieceCount[b.side];
    for (int i = 0; i < count; ++i) {
        const ChessPiece& p = list[i];
        if (p.captured) continue;
        const int from = p.square;
        const int kind = p.kind;
        const int* directions = kDirections[kind];
        const int n = kDirectionCount[kind];
        for (int d = 0; d < n; ++d) {
            const int step = directions[d];
            for (int to = from + step; OnBoard(to); to += step) {
                const int colour = b.board[to];
                if (colour == kEmpty) {
                    if (kQuiet) Add(out, from, to, 0, 0);
                } else {
                    if (colour == xside)
                        Add(out, from, to, 0, kCaptureScore + 8 * b.board[to + 8] - kind);
                    break;
                }
                if (!kSlides[kind]) break;
            }
        }
    }
    return out;
}

template <bool kQuiet> MoveEntry* GeneratePawnMoves(MoveEntry* out) {
    const ChessBoard& b = gBoard;
    const int side = b.side;
    const int xside = b.xside;
    const int forward = side == White ? -16 : 16;
    const int lastRow = side == White ? 0 : 7;
    const int doubleRow = side == White ? 5 : 2; // the row a single push lands on first
    const int captureSteps[2] = {side == White ? -17 : 15, side == White ? -15 : 17};
    const ChessPiece* list = b.pawns[side];
    const int count = b.pawnCount[side];
    for (int i = 0; i < count; ++i) {
        const ChessPiece& p = list[i];
        if (p.captured) continue;
        const int from = p.square;
        for (int step : captureSteps) {
            const int to = from + step;
            if (!OnBoard(to) || b.board[to] != xside) continue;
            const int victimScore = 8 * b.board[to + 8];
            if (RowOf(to) == lastRow) {
                AddPromotions(out, from, to, victimScore);
            } else {
                Add(out, from, to, 0, kCaptureScore + victimScore);
            }
        }
        const int to = from + forward;
        if (b.board[to] != kEmpty) continue;
        if (RowOf(to) == lastRow) {
            AddPromotions(out, from, to, 0);
        } else if (kQuiet) {
            Add(out, from, to, 0, 0);
            if (RowOf(to) == doubleRow && b.board[to + forward] == kEmpty)
                Add(out, from, to + forward, 0, 0);
        }
    }
    return out;
}

MoveEntry* GenerateEnPassant(MoveEntry* out) {
    const ChessBoard& b = gBoard;
    if (b.ep < 0) return out;
    const int side = b.side;
    const int sources[2] = {side == White ? b.ep + 15 : b.ep - 17,
                            side == White ? b.ep + 17 : b.ep - 15};
    for (int from : sources) {
        if (OnBoard(from) && b.board[from] == side && b.board[from + 8] == Pawn)
            Add(out, from, b.ep, 0, kCaptureScore);
    }
    return out;
}

} // namespace

void GenerateMoves(bool inCheck) {
    ChessBoard& b = gBoard;
    if (b.ply >= kMaxPly) return;
    MoveEntry* out = b.moves + b.firstMove[b.ply];
    out = GeneratePieceMoves<true>(out);
    out = GeneratePawnMoves<true>(out);
    if (!inCheck) {
        if (b.side == White) {
            if (b.castle & 1) Add(out, 116, 118, 0, 0);
            if (b.castle & 2) Add(out, 116, 114, 0, 0);
        } else {
            if (b.castle & 4) Add(out, 4, 6, 0, 0);
            if (b.castle & 8) Add(out, 4, 2, 0, 0);
        }
    }
    out = GenerateEnPassant(out);
    b.firstMove[b.ply + 1] = static_cast<int>(out - b.moves);
}

void GenerateCaptures() {
    ChessBoard& b = gBoard;
    if (b.ply >= kMaxPly) return;
    MoveEntry* out = b.moves + b.firstMove[b.ply];
    out = GeneratePieceMoves<false>(out);
    out = GeneratePawnMoves<false>(out);
    out = GenerateEnPassant(out);
    b.firstMove[b.ply + 1] = static_cast<int>(out - b.moves);
}

void BuildLegalMoves(bool /*afterGameMove*/) {
    ChessBoard& b = gBoard;
    EnsureHistoryCapacity(b.hply + 1);
    const ChessUndo kept = b.history[b.hply];
    const int keptEnd = b.historyEnd;
    b.ply = 0;
    b.firstMove[0] = 0;
    GenerateMoves(SideInCheck(b.side));
    int i = b.firstMove[0];
    while (i < b.firstMove[1]) {
        if (MakeMove(b.moves[i].move)) {
            UnmakeMove();
            ++i;
        } else {
            b.moves[i] = b.moves[--b.firstMove[1]];
        }
    }
    b.history[b.hply] = kept;
    b.historyEnd = keptEnd;
    if (b.hply + 42 >= b.historyCapacity) EnsureHistoryCapacity(b.historyCapacity + kHistoryGrowth);
}

bool IsLegalMove(ChessMove m) {
    for (int i = 0; i < LegalMoveCount(); ++i)
        if (LegalMove(i) == m) return true;
    return false;
}

} // namespace chess
