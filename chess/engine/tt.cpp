// Transposition table storage and lookup, with mate scores kept independent
// of the ply at which they were found.
#include "chess/engine/tt.h"

#include <cstring>
#include <initializer_list>

namespace chess {

namespace {

struct HashSlot {
    uint32_t keyLow;
    uint32_t keyHigh;
    int16_t score;
    uint16_t flags;   // bound in bits 0-2, depth (1/100 ply) from bit 3
    uint32_t moveAge; // move in bits 0-17, age in bits 18-22
};

struct ChessHashEntry {
    HashSlot slot1; // always replaced
    HashSlot slot2; // depth-preferred
};

ChessHashEntry* gTable = nullptr;
unsigned gCount = 0;
unsigned gAge = 0;

inline int SlotDepth(const HashSlot& s) {
    return s.flags >> 3;
}
inline int SlotBound(const HashSlot& s) {
    return s.flags & 7;
}
inline unsigned SlotAge(const HashSlot& s) {
    return (s.moveAge >> 18) & 15;
}
inline ChessMove SlotMove(const HashSlot& s) {
    // 18 bits, sign-extended as the stored field is read back.
    return static_cast<ChessMove>(static_cast<int32_t>(s.moveAge << 14) >> 14);
}

} // namespace

void SetHashSize(unsigned bytes) {
    delete[] gTable;
    unsigned count = 1;
    while (count * 2 <= bytes / 32)
        count *= 2;
    gTable = new ChessHashEntry[count]();
    gCount = count;
}

void ClearHash() {
    if (gTable) std::memset(gTable, 0, sizeof(ChessHashEntry) * gCount);
}

void NextHashAge() {
    gAge = (gAge + 1) & 15;
}

int ProbeHash(int alpha, int beta, int depth, ChessMove& move) {
    move = 0;
    if (!gTable) return kHashMiss;
    const ChessBoard& b = gBoard;
    ChessHashEntry& entry = gTable[HashLow(b.hash) & (gCount - 1)];
    const HashSlot* found = nullptr;
    for (const HashSlot* s : {&entry.slot2, &entry.slot1}) {
        if (s->keyLow == HashLow(b.hash) && s->keyHigh == HashHigh(b.hash)) {
            found = s;
            break;
        }
    }
    if (!found || SlotAge(*found) != gAge) return kHashMiss;
    move = SlotMove(*found);
    if (SlotDepth(*found) < depth) return kHashMiss;
    // Mate scores are stored relative to the node; bring every kind back
    // to this ply before comparing, or a bound found deeper would promise a
    // shorter mate than the move achieves and cut off falsely.
    int score = found->score;
    if (score > 9000)
        score -= b.ply;
    else if (score < -9000)
        score += b.ply;
    switch (SlotBound(*found)) {
    case UpperBound:
        if (score <= alpha) return alpha;
        break;
    case LowerBound:
        if (score >= beta) return beta;
        break;
    case ExactScore:
        return score;
    default:
        break;
    }
    return kHashMiss;
}

void StoreHash(int score, int bound, int depth, ChessMove move) {
    if (!gTable) return;
    const ChessBoard& b = gBoard;
    if (score >= 9001)
        score += b.ply;
    else if (score < -9000)
        score -= b.ply;
    if (depth < 0) depth = 0;
    if (depth > 8191) depth = 8191;
    ChessHashEntry& entry = gTable[HashLow(b.hash) & (gCount - 1)];
    HashSlot& s = entry.slot1;
    s.keyLow = HashLow(b.hash);
    s.keyHigh = HashHigh(b.hash);
    s.score = static_cast<int16_t>(score);
    s.flags = static_cast<uint16_t>((bound & 7) | (depth << 3));
    s.moveAge = (move & 0x3FFFF) | (gAge << 18);
    if (!(SlotAge(entry.slot2) == gAge && SlotDepth(entry.slot2) >= depth)) entry.slot2 = s;
}

} // namespace chess
