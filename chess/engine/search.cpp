// The search: root, alpha-beta with null move, killers, history, check
// extension, repetition and fifty-move draws, and a capture-only quiescence.
// A spent node budget sets a stop flag; every level returns at once and takes
// its move back, so the recursion unwinds normally.
#include "chess/engine/search.h"

#include <cstring>

#include "chess/engine/attacks.h"
#include "chess/engine/book.h"
#include "chess/engine/eval.h"
#include "chess/engine/makemove.h"
#include "chess/engine/movegen.h"
#include "chess/engine/tt.h"

namespace chess {

const ChessLevel kLevels[10] = {
    {2, 1024, 1400}, {2, 1024, 1000}, {2, 1024, 800},  {2, 1024, 400},  {4, 1024, 100},
    {6, 5000, 60},   {10, 10000, 50}, {16, 50000, 50}, {22, 100000, 0}, {32, 200000, 0},
};

namespace {

constexpr int kInfinity = 10000;
constexpr int kPvScore = 0x40000000;
constexpr int kHashMoveScore = 0x20000000;

struct SearchState {
    int level = 3;
    int maxDepth = 2;
    uint64_t nodeLimit = 1024;
    uint64_t nodes = 0;
    bool stop = false;
    bool followPv = false;
    int score = 0;
    bool fromBook = false;
    ChessMove pv[kMaxPly][kMaxPly];
    int pvLength[kMaxPly];
    ChessMove killer[kMaxPly];
    int historyScore[4096];
};

SearchState gSearch;

inline int HistoryIndex(ChessMove m) {
    const uint32_t x = m | ((m >> 3) & 0x400);
    return static_cast<int>((((x >> 9) & 8) | x) & 0xFFF);
}

// Counts a node; a spent budget (checked every 1,024 nodes) stops the search.
inline bool CountNode() {
    SearchState& s = gSearch;
    if ((++s.nodes & 1023) == 0 && s.nodes >= s.nodeLimit) s.stop = true;
    return s.stop;
}

inline void CopyPv(ChessMove m) {
    SearchState& s = gSearch;
    const int ply = gBoard.ply;
    s.pv[ply][ply] = m;
    for (int j = ply + 1; j < s.pvLength[ply + 1]; ++j)
        s.pv[ply][j] = s.pv[ply + 1][j];
    s.pvLength[ply] = s.pvLength[ply + 1];
}

// Marks the principal variation's move of this ply; leaving the variation
// ends the following of it.
inline void MarkPvMove(int first, int last) {
    SearchState& s = gSearch;
    const int ply = gBoard.ply;
    s.followPv = false;
    for (int i = first; i < last; ++i) {
        if (gBoard.moves[i].move == s.pv[0][ply]) {
            s.followPv = true;
            gBoard.moves[i].score = kPvScore;
            return;
        }
    }
}

// Brings the highest-scored remaining move (the first of equals) to index i.
inline void PickBest(int i, int last) {
    MoveEntry* moves = gBoard.moves;
    int best = i;
    for (int j = i + 1; j < last; ++j)
        if (moves[j].score > moves[best].score) best = j;
    if (best != i) {
        const MoveEntry t = moves[i];
        moves[i] = moves[best];
        moves[best] = t;
    }
}

// Among quiet moves: the ply's killer if still there, else the best history.
inline void PickQuiet(int i, int last) {
    SearchState& s = gSearch;
    MoveEntry* moves = gBoard.moves;
    const ChessMove killer = s.killer[gBoard.ply];
    int best = -1;
    if (killer) {
        for (int j = i; j < last; ++j)
            if (moves[j].move == killer) {
                best = j;
                break;
            }
    }
    if (best < 0) {
        best = i;
        for (int j = i + 1; j < last; ++j)
            if (s.historyScore[HistoryIndex(moves[j].move)] >
                s.historyScore[HistoryIndex(moves[best].move)])
                best = j;
    }
    if (best != i) {
        const MoveEntry t = moves[i];
        moves[i] = moves[best];
        moves[best] = t;
    }
}

int Quiesce(int alpha, int beta) {
    SearchState& s = gSearch;
    ChessBoard& b = gBoard;
    if (CountNode()) return 0;
    s.pvLength[b.ply] = b.ply;
    if (b.ply >= kMaxPly - 1) return Evaluate(alpha, beta);
    const int standPat = Evaluate(alpha, beta);
    if (standPat >= beta) return beta;
    if (standPat > alpha) alpha = standPat;
    GenerateCaptures();
    const int first = b.firstMove[b.ply], last = b.firstMove[b.ply + 1];
    if (s.followPv) MarkPvMove(first, last);
    for (int i = first; i < last; ++i) {
        PickBest(i, last);
        const ChessMove m = b.moves[i].move;
        if (!MakeMove(m)) continue;
        const int v = -Quiesce(-beta, -alpha);
        UnmakeMove();
        if (s.stop) return 0;
        if (v > alpha) {
            if (v >= beta) return beta;
            alpha = v;
            if (b.nullCount == 0) CopyPv(m);
        }
    }
    return alpha;
}

int Search(int alpha, int beta, int depth, bool allowNull) {
    SearchState& s = gSearch;
    ChessBoard& b = gBoard;
    if (depth < 1) return Quiesce(alpha, beta);
    if (CountNode()) return 0;
    s.pvLength[b.ply] = b.ply;
    if (b.ply >= kMaxPly - 1) return Evaluate(alpha, beta);
    if (IsRepetition() || b.fifty >= 100) return 0;

    const bool inCheck = SideInCheck(b.side);
    if (inCheck) depth += 100;

    ChessMove hashMove;
    const int hashScore = ProbeHash(alpha, beta, depth, hashMove);
    if (hashScore != kHashMiss) return hashScore;

    if (allowNull && !inCheck && b.pieceMat[b.side] > 0) {
        s.followPv = false;
        MakeMove(0);
        const int v = -Search(-beta, -beta + 1, depth - 300, false);
        UnmakeMove();
        if (s.stop) return 0;
        if (v >= beta) {
            StoreHash(v, LowerBound, depth, 0);
            return beta;
        }
    }

    GenerateMoves(inCheck);
    const int first = b.firstMove[b.ply], last = b.firstMove[b.ply + 1];
    if (s.followPv) MarkPvMove(first, last);
    if (hashMove) {
        for (int i = first; i < last; ++i)
            if (b.moves[i].move == hashMove) {
                b.moves[i].score = kHashMoveScore;
                break;
            }
    }

    bool quietPhase = false;
    int legal = 0;
    ChessMove best = 0;
    for (int i = first; i < last; ++i) {
        if (!quietPhase) {
            PickBest(i, last);
            if (b.moves[i].score == 0) quietPhase = true;
        }
        if (quietPhase) PickQuiet(i, last);
        const ChessMove m = b.moves[i].move;
        const bool quiet = b.moves[i].score == 0;
        if (!MakeMove(m)) continue;
        int v;
        if (legal == 0) {
            v = -Search(-beta, -alpha, depth - 100, true);
        } else {
            v = -Search(-alpha - 1, -alpha, depth - 100, true);
            if (!s.stop && v > alpha && v < beta) v = -Search(-beta, -alpha, depth - 100, true);
        }
        ++legal;
        UnmakeMove();
        if (s.stop) return 0;
        if (v > alpha) {
            if (quiet) {
                s.killer[b.ply] = m;
                s.historyScore[HistoryIndex(m)] += depth;
            }
            if (v >= beta) {
                StoreHash(v, LowerBound, depth, m);
                return beta;
            }
            alpha = v;
            best = m;
            if (b.nullCount == 0) CopyPv(m);
        }
    }
    if (legal == 0) {
        const int v = inCheck ? -(kInfinity - b.ply) : 0;
        StoreHash(v, ExactScore, depth, 0);
        return v;
    }
    if (best)
        StoreHash(alpha, ExactScore, depth, best);
    else
        StoreHash(alpha, UpperBound, depth, 0);
    return alpha;
}

int SearchRoot(int alpha, int beta, int depth) {
    SearchState& s = gSearch;
    ChessBoard& b = gBoard;
    if (CountNode()) return 0;
    s.pvLength[0] = 0;
    const bool inCheck = SideInCheck(b.side);
    if (inCheck) depth += 100;
    const int first = b.firstMove[0], last = b.firstMove[1];
    s.followPv = true;
    for (int i = first; i < last; ++i)
        if (b.moves[i].move == s.pv[0][0]) b.moves[i].score = kPvScore;
    if (first == last) {
        const int v = inCheck ? -(kInfinity - b.ply) : 0;
        StoreHash(v, ExactScore, depth, 0);
        return v;
    }

    ChessMove best = 0;
    bool firstLegal = true;
    bool fullWindow = false; // a null-window success did not hold up: search the rest fully
    for (int i = first; i < last; ++i) {
        PickBest(i, last);
        const ChessMove m = b.moves[i].move;
        if (!MakeMove(m)) continue;
        const uint64_t before = s.nodes;
        int v;
        if (firstLegal || fullWindow) {
            v = -Search(-beta, -alpha, depth - 100, true);
        } else {
            v = -Search(-alpha - 1, -alpha, depth - 100, true);
            if (!s.stop && v > alpha && v < beta) {
                ChessMove savedPv[kMaxPly];
                const int savedLength = s.pvLength[0];
                std::memcpy(savedPv, s.pv[0], sizeof(savedPv));
                s.pv[0][0] = m; // the best guess should the budget run out now
                s.pvLength[0] = 1;
                v = -Search(-beta, -alpha, depth - 100, true);
                if (!s.stop && v <= alpha) {
                    std::memcpy(s.pv[0], savedPv, sizeof(savedPv));
                    s.pvLength[0] = savedLength;
                    fullWindow = true;
                }
            }
        }
        firstLegal = false;
        UnmakeMove();
        if (s.stop) return 0;
        const uint64_t spent = s.nodes - before;
        b.moves[i].score = spent > 0x3FFFFFFF ? 0x3FFFFFFF : static_cast<int>(spent);
        if (v > alpha) {
            if (v >= beta) {
                StoreHash(v, LowerBound, depth, m);
                s.pv[0][0] = m;
                s.pvLength[0] = 1;
                return beta;
            }
            alpha = v;
            best = m;
            CopyPv(m);
        }
    }
    if (best)
        StoreHash(alpha, ExactScore, depth, best);
    else
        StoreHash(alpha, UpperBound, depth, 0);
    return alpha;
}

} // namespace

bool IsRepetition() {
    const ChessBoard& b = gBoard;
    const int oldest = b.hply - b.fifty < 0 ? 0 : b.hply - b.fifty;
    for (int i = b.hply - 1; i >= oldest; --i)
        if (b.history[i].hash == b.hash) return true;
    return false;
}

void SetLevel(int level) {
    gSearch.level = level;
    if (level < 0 || level > 9) return;
    gSearch.maxDepth = kLevels[level].maxDepth;
    gSearch.nodeLimit = kLevels[level].nodeLimit;
    SetEvaluationNoise(kLevels[level].noise);
}

int GetLevel() {
    return gSearch.level;
}
uint64_t SearchNodes() {
    return gSearch.nodes;
}
int SearchScore() {
    return gSearch.score;
}
bool LastMoveFromBook() {
    return gSearch.fromBook;
}

ChessMove Think() {
    SearchState& s = gSearch;
    ChessBoard& b = gBoard;
    s.score = 0;
    s.fromBook = false;
    s.nodes = 0;
    if (LegalMoveCount() == 0) return 0;
    const ChessMove bookMove = ProbeBook();
    if (bookMove) {
        s.fromBook = true;
        return bookMove;
    }

    const int historyEnd = b.historyEnd;
    NextHashAge();
    SetEngineColour(b.side);
    std::memset(s.pv, 0, sizeof(s.pv));
    std::memset(s.pvLength, 0, sizeof(s.pvLength));
    std::memset(s.killer, 0, sizeof(s.killer));
    std::memset(s.historyScore, 0, sizeof(s.historyScore));
    b.ply = 0;
    b.nullCount = 0;
    s.stop = false;
    int alpha = -kInfinity, beta = kInfinity, depth = 100;
    while (depth <= s.maxDepth * 100) {
        const int v = SearchRoot(alpha, beta, depth);
        if (s.stop) break;
        s.score = v;
        // A result outside the window is searched again at the same depth with
        // that side of the window opened (once it is open, the result stands).
        if (v <= alpha && alpha > -kInfinity) {
            alpha = -kInfinity;
            continue;
        }
        if (v >= beta && beta < kInfinity) {
            beta = kInfinity;
            continue;
        }
        if (v > 9000 || v < -9000) break;
        alpha = v - 50;
        beta = v + 50;
        depth += 100;
    }
    while (b.ply > 0)
        UnmakeMove();
    b.historyEnd = historyEnd;
    // The budget can run out before the first root move is done: then play
    // the first legal move rather than answer "no move".
    ChessMove best = s.pv[0][0];
    if (!best || !IsLegalMove(best)) best = LegalMove(0);
    return best;
}

} // namespace chess
