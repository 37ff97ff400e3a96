// The chess engine's single position: a 0x88 board with per-side piece and
// pawn lists, material sums, hash keys, the move stack shared by all plies and
// the history of made moves. Everything else in the engine reads and changes
// the position only through the operations declared here and in movegen.h,
// makemove.h and attacks.h.
#pragma once

#include <cstdint>

namespace chess {

// from square in bits 0-6, to square in bits 7-13, promotion kind from bit 14.
// This word is stored in recorded games and sent over the network.
using ChessMove = uint32_t;

enum Colour : int { White = 0, Black = 1, NoColour = 6 };
enum Kind : int { Pawn = 0, Knight = 1, Bishop = 2, Rook = 3, Queen = 4, King = 5, NoKind = 6 };

constexpr int kEmpty = 6;
constexpr char kKindLetters[] = "PNBRQK";

// Squares: row x 16 + file, row 0 = rank 8, file 0 = a.
constexpr int SquareOf(int row, int file) {
    return row * 16 + file;
}
constexpr int RowOf(int square) {
    return square >> 4;
}
constexpr int FileOf(int square) {
    return square & 7;
}
constexpr bool OnBoard(int square) {
    return (square & 0x88) == 0;
}

constexpr int MoveFrom(ChessMove m) {
    return static_cast<int>(m & 127);
}
constexpr int MoveTo(ChessMove m) {
    return static_cast<int>((m >> 7) & 127);
}
constexpr int MovePromotion(ChessMove m) {
    return static_cast<int>(m >> 14);
}
constexpr ChessMove EncodeMove(int from, int to, int promotion = 0) {
    return static_cast<ChessMove>(from | (to << 7) | (promotion << 14));
}

constexpr ChessMove kWhiteCastleKingSide = 0x3B74;  // e1-g1
constexpr ChessMove kWhiteCastleQueenSide = 0x3974; // e1-c1
constexpr ChessMove kBlackCastleKingSide = 0x304;   // e8-g8
constexpr ChessMove kBlackCastleQueenSide = 0x104;  // e8-c8

constexpr int kMaxPly = 32;
// No position with at most sixteen men a side has more than 512 pseudo-legal
// moves, so every ply below kMaxPly has room for all of its moves.
constexpr int kMovesPerPly = 512;
constexpr int kMoveCapacity = kMaxPly * kMovesPerPly;
constexpr int kMaxPawns = 8;
constexpr int kMaxPieces = 16;
constexpr int kHistoryGrowth = 100;

extern const int kPieceValue[6];

struct ChessPiece {
    int32_t captured; // 1 while the piece is off the board
    int32_t colour;
    int32_t kind;
    int32_t square;
    int32_t kindBit; // 1 << kind
};

struct ChessUndo {
    ChessMove move;
    ChessPiece* captured;     // the record taken by the move, or null
    ChessPiece* promotedPawn; // the pawn record a promotion retired, or null
    int32_t castle;
    int32_t ep;
    int32_t fifty;
    uint64_t hash;
    uint64_t pawnHash;
};

struct MoveEntry {
    ChessMove move;
    int32_t score;
};

struct ChessBoard {
    int32_t board[128]; // board[s] colour, board[s + 8] kind, for on-board s
    int side;
    int xside;
    int castle; // 1 white king side, 2 white queen side, 4 black king side, 8 black queen side
    int ep;     // en-passant target square or -1
    int fifty;  // half moves since the last capture or pawn move
    uint64_t hash;
    uint64_t pawnHash;
    int pieceMat[2];
    int pawnMat[2];
    ChessPiece pawns[2][kMaxPawns];
    int pawnCount[2];
    ChessPiece pieces[2][kMaxPieces]; // the king is always record 0
    int pieceCount[2];
    ChessPiece* at[128];
    int ply;
    int hply;
    int nullCount;
    bool setupPosition; // the game began from a position text, not the start
    MoveEntry moves[kMoveCapacity];
    int firstMove[kMaxPly + 1];
    ChessUndo* history;
    int historyCapacity;
    int historyEnd; // records below this index hold moves that were made
};

extern ChessBoard gBoard;

inline uint32_t HashLow(uint64_t key) {
    return static_cast<uint32_t>(key);
}
inline uint32_t HashHigh(uint64_t key) {
    return static_cast<uint32_t>(key >> 32);
}

// Once at start-up: keys, tables, history, start position, hash tables, book.
void InitEngine();
// true: the start position; false: keep the board as a position text left it.
void NewGame(bool startPosition);
// Rebuilds lists, material and hash keys from the board.
void SetupPosition();
// Grows the history so that at least `needed` records fit.
void EnsureHistoryCapacity(int needed);
// The board's invariants (lists, at[], material, keys) hold; for tests and
// debug builds.
bool BoardIsConsistent();
// The legal moves at ply 0.
inline int LegalMoveCount() {
    return gBoard.firstMove[1] - gBoard.firstMove[0];
}
inline ChessMove LegalMove(int i) {
    return gBoard.moves[gBoard.firstMove[0] + i].move;
}
inline int KingSquare(int colour) {
    return gBoard.pieces[colour][0].square;
}

} // namespace chess
