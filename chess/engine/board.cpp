// The position state, the start position, and rebuilding the lists, material
// and keys from the board.
#include "chess/engine/board.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "chess/engine/attacks.h"
#include "chess/engine/book.h"
#include "chess/engine/eval.h"
#include "chess/engine/movegen.h"
#include "chess/engine/random.h"
#include "chess/engine/tt.h"
#include "chess/engine/zobrist.h"

namespace chess {

ChessBoard gBoard;

const int kPieceValue[6] = {100, 300, 300, 500, 900, 0};

namespace {

constexpr int kStartKinds[8] = {Rook, Knight, Bishop, Queen, King, Bishop, Knight, Rook};

void PlaceStartPosition() {
    ChessBoard& b = gBoard;
    for (int s = 0; s < 128; ++s)
        b.board[s] = kEmpty;
    for (int file = 0; file < 8; ++file) {
        b.board[SquareOf(0, file)] = Black;
        b.board[SquareOf(0, file) + 8] = kStartKinds[file];
        b.board[SquareOf(1, file)] = Black;
        b.board[SquareOf(1, file) + 8] = Pawn;
        b.board[SquareOf(6, file)] = White;
        b.board[SquareOf(6, file) + 8] = Pawn;
        b.board[SquareOf(7, file)] = White;
        b.board[SquareOf(7, file) + 8] = kStartKinds[file];
    }
    b.side = White;
    b.castle = 15;
    b.ep = -1;
    b.fifty = 0;
}

} // namespace

void EnsureHistoryCapacity(int needed) {
    ChessBoard& b = gBoard;
    if (needed <= b.historyCapacity && b.history) return;
    int capacity = b.historyCapacity > 0 ? b.historyCapacity : kHistoryGrowth;
    while (capacity < needed)
        capacity += kHistoryGrowth;
    auto* grown = new ChessUndo[capacity]();
    if (b.history) {
        std::memcpy(grown, b.history, sizeof(ChessUndo) * static_cast<size_t>(b.historyCapacity));
        delete[] b.history;
    }
    b.history = grown;
    b.historyCapacity = capacity;
}

void SetupPosition() {
    ChessBoard& b = gBoard;
    b.pieceMat[0] = b.pieceMat[1] = 0;
    b.pawnMat[0] = b.pawnMat[1] = 0;
    b.pieceCount[0] = b.pieceCount[1] = 0;
    b.pawnCount[0] = b.pawnCount[1] = 0;
    for (auto& p : b.at)
        p = nullptr;
    for (int s = 0; s < 120; ++s) {
        if (!OnBoard(s) || b.board[s] == kEmpty) continue;
        const int colour = b.board[s];
        const int kind = b.board[s + 8];
        ChessPiece* record;
        if (kind == Pawn) {
            if (b.pawnCount[colour] >= kMaxPawns)
                continue; // refused earlier by the position reader
            record = &b.pawns[colour][b.pawnCount[colour]++];
            b.pawnMat[colour] += 100;
        } else {
            if (b.pieceCount[colour] >= kMaxPieces) continue;
            record = &b.pieces[colour][b.pieceCount[colour]++];
            b.pieceMat[colour] += kPieceValue[kind];
        }
        *record = ChessPiece{0, colour, kind, s, 1 << kind};
        b.at[s] = record;
    }
    // The king leads its side's list.
    for (int colour = 0; colour < 2; ++colour) {
        ChessPiece* list = b.pieces[colour];
        for (int i = 1; i < b.pieceCount[colour]; ++i) {
            if (list[i].kind != King) continue;
            const ChessPiece first = list[0];
            list[0] = list[i];
            list[i] = first;
            b.at[list[0].square] = &list[0];
            b.at[list[i].square] = &list[i];
            break;
        }
    }
    b.hash = ComputeHash();
    b.pawnHash = ComputePawnHash();
}

void NewGame(bool startPosition) {
    ChessBoard& b = gBoard;
    if (startPosition) {
        PlaceStartPosition();
        b.setupPosition = false;
    } else {
        b.setupPosition = true;
    }
    b.xside = b.side ^ 1;
    b.hply = 0;
    b.historyEnd = 0;
    b.ply = 0;
    b.nullCount = 0;
    SetupPosition();
    b.firstMove[0] = 0;
    BuildLegalMoves(false);
}

void InitEngine() {
    DrawZobristKeys();
    BuildAttackTable();
    EnsureHistoryCapacity(kHistoryGrowth);
    InitEvaluation();
    NewGame(true);
    SetHashSize(8192);
    SetPawnHashSize(4096);
    OpenBook(kBookFileName);
    SeedRandom(static_cast<uint32_t>(std::time(nullptr)));
}

bool BoardIsConsistent() {
    const ChessBoard& b = gBoard;
    int seen = 0;
    for (int colour = 0; colour < 2; ++colour) {
        int pieceMat = 0, pawnMat = 0;
        for (int i = 0; i < b.pieceCount[colour]; ++i) {
            const ChessPiece& p = b.pieces[colour][i];
            if (p.colour != colour || p.kind < Knight || p.kind > King || p.kindBit != 1 << p.kind)
                return false;
            if ((i == 0) != (p.kind == King)) return false;
            if (p.captured) continue;
            if (!OnBoard(p.square) || b.at[p.square] != &p || b.board[p.square] != colour ||
                b.board[p.square + 8] != p.kind)
                return false;
            pieceMat += kPieceValue[p.kind];
            ++seen;
        }
        for (int i = 0; i < b.pawnCount[colour]; ++i) {
            const ChessPiece& p = b.pawns[colour][i];
            if (p.colour != colour || p.kind != Pawn || p.kindBit != 1) return false;
            if (p.captured) continue;
            if (!OnBoard(p.square) || b.at[p.square] != &p || b.board[p.square] != colour ||
                b.board[p.square + 8] != Pawn)
                return false;
            const int row = RowOf(p.square);
            if (row == 0 || row == 7) return false;
            pawnMat += 100;
            ++seen;
        }
        if (pieceMat != b.pieceMat[colour] || pawnMat != b.pawnMat[colour]) return false;
        if (b.pieceCount[colour] < 1 || b.pieces[colour][0].captured) return false;
    }
    int occupied = 0;
    for (int s = 0; s < 120; ++s) {
        if (!OnBoard(s)) continue;
        const bool empty = b.board[s] == kEmpty;
        if (empty != (b.board[s + 8] == kEmpty) || empty != (b.at[s] == nullptr)) return false;
        if (!empty) ++occupied;
    }
    if (occupied != seen) return false;
    if (b.side != (b.xside ^ 1) || (b.side != White && b.side != Black)) return false;
    return b.hash == ComputeHash() && b.pawnHash == ComputePawnHash();
}

} // namespace chess
