// The book maker's counting table and the book file writer.
#include "chess/engine/book_maker.h"

#include <cstdio>

#include "chess/engine/makemove.h"
#include "chess/engine/movegen.h"
#include "chess/engine/notation.h"
#include "chess/engine/pgn.h"

namespace chess {

namespace {

void PutU32(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

// Adds weight at the record (keyLow, keyHigh) by linear probing; false when
// the table has no room left.
bool AddWeight(std::vector<ChessBookEntry>& table, uint32_t keyLow, uint32_t keyHigh,
               uint32_t weight, bool allowNew, bool& isNew) {
    const uint32_t size = static_cast<uint32_t>(table.size());
    uint32_t slot = keyLow % size;
    for (uint32_t steps = 0; steps < size; ++steps, slot = (slot + 1) % size) {
        ChessBookEntry& e = table[slot];
        if (e.weight == 0) {
            if (!allowNew) return false;
            e = ChessBookEntry{keyLow, keyHigh, weight};
            isNew = true;
            return true;
        }
        if (e.keyLow == keyLow && e.keyHigh == keyHigh) {
            e.weight += weight;
            isNew = false;
            return true;
        }
    }
    return false;
}

} // namespace

BookMaker::BookMaker(uint32_t capacity) : table_(capacity < 2 ? 2 : capacity) {}

void BookMaker::Count(uint32_t keyLow, uint32_t keyHigh) {
    // One slot always stays empty so that probing ends; a full table still
    // counts the records it has.
    const bool room = used_ + 1 < table_.size();
    bool isNew = false;
    if (!AddWeight(table_, keyLow, keyHigh, 1, room, isNew)) full_ = true;
    if (isNew) ++used_;
}

bool BookMaker::AddGames(const char* pgnPath) {
    std::FILE* file = std::fopen(pgnPath, "r");
    if (!file) {
        error_ = std::string("cannot open ") + pgnPath;
        return false;
    }
    NewGame(true);
    bool skipping = false; // the rest of this game is not read
    bool moved = false;
    std::string token;
    for (;;) {
        const PgnToken kind = NextPgnToken(file, token);
        if (kind == PgnToken::End) break;
        if (kind == PgnToken::Tag) {
            if (moved) {
                NewGame(true);
                moved = false;
            }
            skipping = false;
            continue;
        }
        if (kind == PgnToken::Skip || skipping) continue;
        if (gBoard.hply > 50) {
            skipping = true;
            continue;
        }
        if (!moved) ++games_;
        const ChessMove m = ParseMove(token.c_str());
        const uint32_t before = HashLow(gBoard.hash);
        if (m == 0 || !MakeMove(m)) {
            ++stopped_;
            if (firstProblem_.empty())
                firstProblem_ = std::string(pgnPath) + ": game " + std::to_string(games_) +
                                ": move \"" + token + "\" is not legal after " +
                                std::to_string(gBoard.hply) + " half moves";
            skipping = true;
            moved = true;
            continue;
        }
        moved = true;
        BuildLegalMoves(false);
        Count(before, HashLow(gBoard.hash));
    }
    std::fclose(file);
    NewGame(true);
    return true;
}

uint32_t BookMaker::CountAtLeast(uint32_t threshold) const {
    if (threshold == 0) threshold = 1;
    uint32_t count = 0;
    for (const ChessBookEntry& e : table_)
        if (e.weight >= threshold) ++count;
    return count;
}

uint32_t BookMaker::SlotsFor(uint32_t records) {
    // Ten percent spare, and at least one empty slot whatever the count.
    const uint64_t slots = static_cast<uint64_t>(records) * 110 / 100;
    return static_cast<uint32_t>(slots > records ? slots : static_cast<uint64_t>(records) + 1);
}

bool BookMaker::Write(const char* bookPath, uint32_t threshold) {
    if (threshold == 0) threshold = 1;
    const uint32_t count = CountAtLeast(threshold);
    std::vector<ChessBookEntry> book(SlotsFor(count));
    for (const ChessBookEntry& e : table_) {
        bool isNew = false;
        if (e.weight >= threshold) AddWeight(book, e.keyLow, e.keyHigh, e.weight, true, isNew);
    }
    std::FILE* file = std::fopen(bookPath, "wb");
    if (!file) {
        error_ = std::string("cannot write ") + bookPath;
        return false;
    }
    unsigned char bytes[12];
    PutU32(bytes, static_cast<uint32_t>(book.size()));
    bool ok = std::fwrite(bytes, 1, 4, file) == 4;
    for (const ChessBookEntry& e : book) {
        PutU32(bytes, e.keyLow);
        PutU32(bytes + 4, e.keyHigh);
        PutU32(bytes + 8, e.weight);
        ok = ok && std::fwrite(bytes, 1, 12, file) == 12;
    }
    ok = std::fclose(file) == 0 && ok;
    if (!ok) error_ = std::string("cannot write ") + bookPath;
    return ok;
}

} // namespace chess
