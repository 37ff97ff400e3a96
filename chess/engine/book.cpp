// Reading the opening book and choosing a move from it. Every probe is
// bounded by the slot count, so a damaged table cannot make it loop.
#include "chess/engine/book.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "chess/engine/makemove.h"
#include "chess/engine/random.h"

namespace chess {

namespace {

struct BookReader {
    std::FILE* file = nullptr;
    uint32_t slots = 0;
    uint32_t cacheFirst = 0; // slot number of the cache's first record
    uint32_t cacheCount = 0;
    ChessBookEntry cache[kBookCacheRecords];
    std::string error;
};

BookReader gBook;

uint32_t ReadU32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool Refuse(const char* path, const char* why) {
    gBook.error = std::string("opening book ") + path + ": " + why;
    CloseBook();
    return false;
}

} // namespace

void CloseBook() {
    if (gBook.file) std::fclose(gBook.file);
    gBook.file = nullptr;
    gBook.slots = 0;
    gBook.cacheCount = 0;
}

bool BookIsOpen() {
    return gBook.file != nullptr;
}
const char* BookError() {
    return gBook.error.c_str();
}
uint32_t BookSlotCount() {
    return gBook.slots;
}

bool OpenBook(const char* path) {
    CloseBook();
    gBook.error.clear();
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false; // no book: the search plays from the first move
    gBook.file = file;
    unsigned char header[4];
    if (std::fread(header, 1, 4, file) != 4) return Refuse(path, "too short for its slot count");
    const uint32_t slots = ReadU32(header);
    if (slots == 0) return Refuse(path, "holds no slots");
    if (std::fseek(file, 0, SEEK_END) != 0) return Refuse(path, "cannot be read");
    const long size = std::ftell(file);
    if (size < 0 || static_cast<uint64_t>(size) != 4 + 12 * static_cast<uint64_t>(slots))
        return Refuse(path, "size does not match its slot count (truncated or damaged)");
    gBook.slots = slots;
    gBook.cacheFirst = slots; // the first read always loads
    gBook.cacheCount = 0;
    // Probing ends at an empty slot, so a table without one is unusable.
    bool hasEmpty = false;
    ChessBookEntry entry;
    for (uint32_t slot = 0; slot < slots && !hasEmpty; ++slot) {
        if (!ReadBookSlot(slot, entry)) return Refuse(path, "cannot be read");
        hasEmpty = entry.weight == 0;
    }
    if (!hasEmpty) return Refuse(path, "has no empty slot");
    return true;
}

bool ReadBookSlot(uint32_t slot, ChessBookEntry& out) {
    BookReader& b = gBook;
    if (!b.file || slot >= b.slots) return false;
    if (slot < b.cacheFirst || slot >= b.cacheFirst + b.cacheCount) {
        uint32_t count = b.slots - slot;
        if (count > kBookCacheRecords) count = kBookCacheRecords;
        unsigned char raw[kBookCacheRecords * 12];
        if (std::fseek(b.file, static_cast<long>(4 + 12 * static_cast<uint64_t>(slot)), SEEK_SET) !=
                0 ||
            std::fread(raw, 12, count, b.file) != count) {
            b.error = "opening book: read failed";
            CloseBook();
            return false;
        }
        for (uint32_t i = 0; i < count; ++i) {
            b.cache[i] = ChessBookEntry{ReadU32(raw + 12 * i), ReadU32(raw + 12 * i + 4),
                                        ReadU32(raw + 12 * i + 8)};
        }
        b.cacheFirst = slot;
        b.cacheCount = count;
    }
    out = b.cache[slot - b.cacheFirst];
    return true;
}

ChessMove ProbeBook() {
    ChessBoard& b = gBoard;
    if (!BookIsOpen() || b.hply > 50) return 0;
    const uint32_t slots = gBook.slots;
    const uint32_t key = HashLow(b.hash);
    ChessBookEntry entry;
    uint32_t start = key % slots;
    uint32_t steps = 0;
    for (;;) {
        if (!ReadBookSlot(start, entry) || entry.weight == 0) return 0;
        if (entry.keyLow == key) break;
        start = (start + 1) % slots;
        if (++steps >= slots) return 0;
    }
    uint32_t run = 0; // occupied slots from the start up to the next empty one
    for (uint32_t slot = start; run < slots; slot = (slot + 1) % slots, ++run) {
        if (!ReadBookSlot(slot, entry)) return 0;
        if (entry.weight == 0) break;
    }

    EnsureHistoryCapacity(b.hply + 1);
    const ChessUndo kept = b.history[b.hply];
    const int keptEnd = b.historyEnd;
    int best = -1;
    ChessMove choice = 0;
    for (int i = 0; i < LegalMoveCount(); ++i) {
        const ChessMove m = LegalMove(i);
        if (!MakeMove(m)) continue;
        const uint32_t after = HashLow(b.hash);
        UnmakeMove();
        for (uint32_t k = 0, slot = start; k < run; ++k, slot = (slot + 1) % slots) {
            if (!ReadBookSlot(slot, entry)) break;
            if (entry.keyLow != key || entry.keyHigh != after) continue;
            if (entry.weight > 0) {
                const int r = static_cast<int>(static_cast<uint32_t>(Random()) % entry.weight);
                if (r > best) {
                    best = r;
                    choice = m;
                }
            }
            break;
        }
    }
    b.history[b.hply] = kept;
    b.historyEnd = keptEnd;
    return choice;
}

} // namespace chess
