// The evaluation terms: piece-square tables, knight and queen closeness to
// the enemy king, bishops, rooks on open files, pawn structure and king shelter.
#include "chess/engine/eval.h"

#include <cstdlib>
#include <cstring>

#include "chess/engine/board.h"
#include "chess/engine/random.h"
#include "chess/engine/zobrist.h"

namespace chess {

namespace {

// White values by row (rank 8 first); black reads the mirrored value at square + 8.
int gPawnTable[128];
int gKnightTable[128];
int gBishopTable[128];
int gKingEndTable[128];
int gDistance[239];

constexpr int kPawnRows[8][8] = {{0, 0, 0, 0, 0, 0, 0, 0},     {5, 10, 15, 20, 20, 15, 10, 5},
                                 {4, 8, 12, 16, 16, 12, 8, 4}, {3, 6, 9, 12, 12, 9, 6, 3},
                                 {2, 4, 6, 8, 8, 6, 4, 2},     {1, 2, 3, 4, 4, 3, 2, 1},
                                 {0, 0, 0, -10, -10, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr int kKnightRows[4][8] = {{-8, -6, -4, -2, -2, -4, -6, -8},
                                   {-6, -4, 0, 2, 2, 0, -4, -6},
                                   {-4, 0, 4, 6, 6, 4, 0, -4},
                                   {-2, 2, 6, 8, 8, 6, 2, -2}};
constexpr int kBishopRows[4][8] = {{-1, -4, -6, -7, -7, -6, -4, -1},
                                   {-4, 0, -2, -3, -3, -2, 0, -4},
                                   {-6, -2, 3, 2, 2, 3, -2, -6},
                                   {-7, -3, 2, 8, 8, 2, -3, -7}};
constexpr int kKingEndRows[4][8] = {{-11, -8, -7, -7, -7, -7, -8, -11},
                                    {-8, -3, 0, 1, 1, 0, -3, -8},
                                    {-7, 0, 5, 8, 8, 5, 0, -7},
                                    {-7, 1, 8, 12, 12, 8, 1, -7}};
constexpr int kPassedBonus[8] = {0, 16, 11, 7, 4, 2, 1, 0};

struct ChessPawnHashEntry {
    uint32_t keyLow;
    uint32_t keyHigh;
    int32_t score; // white's view
};

ChessPawnHashEntry* gPawnHash = nullptr;
unsigned gPawnHashCount = 0;
int gNoise = 0;
int gEngineColour = White;

// Per file f at index f + 1 (0 and 9 are borders): the rearmost pawn's row.
int gRearWhite[10]; // largest row of a white pawn, 0 = none
int gRearBlack[10]; // smallest row of a black pawn, 7 = none
int gPhase;

inline int Distance(int a, int b) {
    return gDistance[a - b + 119];
}

void FillTable(int* table, const int (*rows)[8], bool symmetric) {
    for (int row = 0; row < 8; ++row) {
        const int* values = symmetric ? rows[row < 4 ? row : 7 - row] : rows[row];
        for (int file = 0; file < 8; ++file) {
            table[SquareOf(row, file)] = values[file];
            table[SquareOf(7 - row, file) + 8] = values[file];
        }
    }
}

void BuildRears() {
    const ChessBoard& b = gBoard;
    for (int i = 0; i < 10; ++i) {
        gRearWhite[i] = 0;
        gRearBlack[i] = 7;
    }
    for (int i = 0; i < b.pawnCount[White]; ++i) {
        const ChessPiece& p = b.pawns[White][i];
        if (p.captured) continue;
        const int f = FileOf(p.square) + 1, r = RowOf(p.square);
        if (r > gRearWhite[f]) gRearWhite[f] = r;
    }
    for (int i = 0; i < b.pawnCount[Black]; ++i) {
        const ChessPiece& p = b.pawns[Black][i];
        if (p.captured) continue;
        const int f = FileOf(p.square) + 1, r = RowOf(p.square);
        if (r < gRearBlack[f]) gRearBlack[f] = r;
    }
}

inline bool PawnOf(int square, int colour) {
    const ChessBoard& b = gBoard;
    return OnBoard(square) && b.board[square] == colour && b.board[square + 8] == Pawn;
}

inline bool AnyPawn(int square) {
    const ChessBoard& b = gBoard;
    return b.board[square] != kEmpty && b.board[square + 8] == Pawn;
}

// A pawn no friendly pawn can guard on its way and that cannot safely advance.
// `forward` is -16 for white, 16 for black.
bool Backward(int square, int colour) {
    const int forward = colour == White ? -16 : 16;
    const int enemy = colour ^ 1;
    const int file = FileOf(square);
    const int lastRowBehind = colour == White ? 6 : 1;
    // Friendly pawns on the neighbour files level with or behind it can still come up.
    const int behindSteps[2] = {colour == White ? 15 : -17, colour == White ? 17 : -15};
    for (int side = 0; side < 2; ++side) {
        if ((side == 0 && file == 0) || (side == 1 && file == 7)) continue;
        for (int t = square + behindSteps[side]; OnBoard(t); t -= forward) {
            const int row = RowOf(t);
            if (colour == White ? row > lastRowBehind : row < lastRowBehind) break;
            if (AnyPawn(t)) {
                if (gBoard.board[t] == colour) return false;
                break;
            }
        }
    }
    if (RowOf(square) == (colour == White ? 1 : 6)) return true;
    const int lastRow = colour == White ? 0 : 7;
    for (int t = square + forward; RowOf(t) != lastRow; t += forward) {
        if (AnyPawn(t)) return true;
        const int defenders = PawnOf(t - forward - 1, colour) + PawnOf(t - forward + 1, colour);
        const int attackers = PawnOf(t + forward - 1, enemy) + PawnOf(t + forward + 1, enemy);
        if (attackers > defenders) return true;
        if (defenders > 0) return false;
    }
    return true;
}

// Pawn structure of one colour: table value, doubled, isolated or backward
// (worse on a file the enemy has no pawn on) and passed pawns.
int SidePawns(int colour) {
    const ChessBoard& b = gBoard;
    const bool white = colour == White;
    const int* own = white ? gRearWhite : gRearBlack;
    const int* enemy = white ? gRearBlack : gRearWhite;
    const int ownNone = white ? 0 : 7;
    const int enemyNone = white ? 7 : 0;
    const int offset = white ? 0 : 8;
    int score = 0;
    for (int i = 0; i < b.pawnCount[colour]; ++i) {
        const ChessPiece& p = b.pawns[colour][i];
        if (p.captured) continue;
        const int s = p.square, f = FileOf(s) + 1, r = RowOf(s);
        score += gPawnTable[s + offset];
        const bool noEnemyOnFile = enemy[f] == enemyNone;
        if (own[f] != r) { // another own pawn stands behind it
            score -= 5;
            if (noEnemyOnFile) score -= gPhase;
        }
        bool weak;
        if (own[f - 1] == ownNone && own[f + 1] == ownNone) {
            score -= 20;
            weak = true;
        } else {
            weak = Backward(s, colour);
            if (weak) score -= 10;
        }
        if (weak && noEnemyOnFile) score -= gPhase;
        // No enemy pawn level with it or ahead of it on its own or a neighbour file.
        auto clear = [&](int rear) { return white ? rear > r : rear < r; };
        if (clear(enemy[f - 1]) && clear(enemy[f]) && clear(enemy[f + 1]))
            score += kPassedBonus[white ? r : 7 - r] * (10 - gPhase);
    }
    return score;
}

// King shelter for either colour; `unmovedRow` is where its pawns start.
int KingShelter(int colour) {
    const int square = KingSquare(colour);
    if (gPhase <= 4) return gKingEndTable[colour == White ? square : square + 8];
    const int* own = colour == White ? gRearWhite : gRearBlack;
    const int* enemy = colour == White ? gRearBlack : gRearWhite;
    const int ownNone = colour == White ? 0 : 7;
    const int enemyNone = colour == White ? 7 : 0;
    const int unmovedRow = colour == White ? 6 : 1;
    const int file = FileOf(square);
    int s = 0;
    if (file >= 6) {
        for (int f = 5; f <= 7; ++f)
            if (own[f + 1] == unmovedRow) s += 10;
    } else if (file <= 2) {
        for (int f = 0; f <= 2; ++f)
            if (own[f + 1] == unmovedRow) s += 10;
    }
    const int row = RowOf(square);
    if (own[file + 1] != ownNone && (colour == White ? row < own[file + 1] : row > own[file + 1]))
        s -= 50;
    const int firstFile = file == 0 ? 0 : file == 7 ? 5 : file - 1;
    for (int f = firstFile; f < firstFile + 3; ++f) {
        const bool noOwn = own[f + 1] == ownNone;
        const bool noEnemy = enemy[f + 1] == enemyNone;
        if (noOwn) s -= 20;
        if (noEnemy) s -= 10;
        if (noOwn && noEnemy) s -= 10;
    }
    int value = gPhase * s / 10;
    if (gEngineColour != colour) value = value * 3 / 4;
    return value;
}

int SidePieces(int colour) {
    const ChessBoard& b = gBoard;
    const int enemyKing = KingSquare(colour ^ 1);
    const int offset = colour == White ? 0 : 8;
    const int* ownRear = colour == White ? gRearWhite : gRearBlack;
    const int* enemyRear = colour == White ? gRearBlack : gRearWhite;
    const int ownNone = colour == White ? 0 : 7;
    const int enemyNone = colour == White ? 7 : 0;
    const int seventhRow = colour == White ? 1 : 6;
    int score = 0;
    int bishops = 0;
    for (int i = 0; i < b.pieceCount[colour]; ++i) {
        const ChessPiece& p = b.pieces[colour][i];
        if (p.captured) continue;
        const int s = p.square;
        switch (p.kind) {
        case Knight:
            score += gKnightTable[s + offset] - Distance(s, enemyKing);
            break;
        case Bishop:
            score += gBishopTable[s + offset] + 5 * (10 - gPhase);
            if (++bishops == 2) score += 20;
            break;
        case Rook: {
            const int f = FileOf(s) + 1;
            if (ownRear[f] == ownNone) score += enemyRear[f] == enemyNone ? 20 : 10;
            if (RowOf(s) == seventhRow) score += 20;
            break;
        }
        case Queen:
            score -= Distance(s, enemyKing);
            break;
        default:
            break;
        }
    }
    return score;
}

int ComputePawnKing() {
    return KingShelter(White) + SidePawns(White) - SidePawns(Black) - KingShelter(Black);
}

void PreparePhase() {
    const ChessBoard& b = gBoard;
    gPhase = (b.pieceMat[White] + b.pieceMat[Black]) / 600;
    if (gPhase > 10) gPhase = 10;
    BuildRears();
}

} // namespace

void InitEvaluation() {
    FillTable(gPawnTable, kPawnRows, false);
    FillTable(gKnightTable, kKnightRows, true);
    FillTable(gBishopTable, kBishopRows, true);
    FillTable(gKingEndTable, kKingEndRows, true);
    for (int d = -119; d <= 119; ++d) {
        // Square difference to rank and file distance: find any pair with this difference.
        int best = 0;
        bool found = false;
        for (int a = 0; a < 120 && !found; ++a) {
            const int c = a - d;
            if (!OnBoard(a) || c < 0 || c > 119 || !OnBoard(c)) continue;
            const int rows = std::abs(RowOf(a) - RowOf(c)), files = std::abs(FileOf(a) - FileOf(c));
            best = rows > files ? rows : files;
            found = true;
        }
        gDistance[d + 119] = best;
    }
}

void SetPawnHashSize(unsigned bytes) {
    delete[] gPawnHash;
    unsigned count = 1;
    while (count * 2 <= bytes / 16)
        count *= 2;
    gPawnHash = new ChessPawnHashEntry[count]();
    gPawnHashCount = count;
}

void ClearPawnHash() {
    if (gPawnHash) std::memset(gPawnHash, 0, sizeof(ChessPawnHashEntry) * gPawnHashCount);
}

void SetEvaluationNoise(int noise) {
    gNoise = noise;
}
void SetEngineColour(int colour) {
    gEngineColour = colour;
}

int Evaluate(int alpha, int beta) {
    const ChessBoard& b = gBoard;
    const int noise = gNoise > 0 ? Random() % (2 * gNoise) - gNoise : 0;
    const int side = b.side, xside = b.xside;
    const int m = b.pawnMat[side] - b.pawnMat[xside] + b.pieceMat[side] - b.pieceMat[xside] + noise;
    if (m < alpha - 200 || m > beta + 200) return m;
    PreparePhase();
    int total = SidePieces(White) - SidePieces(Black) + (side == White ? m : -m);

    // The pawn-and-king term depends on pawns, both kings, the phase and which
    // colour the engine plays (the other king's shelter counts less).
    const uint64_t key = b.pawnHash ^ gKeys.piece[White][King][KingSquare(White)] ^
                         gKeys.piece[Black][King][KingSquare(Black)] ^ gKeys.phase[gPhase] ^
                         (gEngineColour == Black ? gKeys.engineBlack : 0);
    if (gPawnHash) {
        ChessPawnHashEntry& entry = gPawnHash[HashLow(key) & (gPawnHashCount - 1)];
        if (entry.keyLow == HashLow(key) && entry.keyHigh == HashHigh(key)) {
            total += entry.score;
        } else {
            const int score = ComputePawnKing();
            entry = ChessPawnHashEntry{HashLow(key), HashHigh(key), score};
            total += score;
        }
    } else {
        total += ComputePawnKing();
    }
    return side == White ? total : -total;
}

} // namespace chess
