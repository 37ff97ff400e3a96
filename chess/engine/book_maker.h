// Building an opening book from a PGN game collection: every (position, move)
// pair of the first fifty half moves of each game is counted, and the pairs
// played at least a threshold number of times are written as the book file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chess/engine/book.h"

namespace chess {

class BookMaker {
public:
    static constexpr uint32_t kDefaultCapacity = 4000000;

    explicit BookMaker(uint32_t capacity = kDefaultCapacity);

    // Reads every game of a PGN file. A move that does not parse or is
    // illegal ends its game (counted in StoppedGames, the first described in
    // FirstProblem); false only when the file cannot be read.
    bool AddGames(const char* pgnPath);
    // Records whose weight is at least threshold.
    uint32_t CountAtLeast(uint32_t threshold) const;
    // The slot count and file size a book of that threshold gets.
    static uint32_t SlotsFor(uint32_t records);
    uint64_t BookBytes(uint32_t threshold) const {
        return 4 + 12 * static_cast<uint64_t>(SlotsFor(CountAtLeast(threshold)));
    }
    // Writes the book file; false (with Error) when it cannot be written.
    bool Write(const char* bookPath, uint32_t threshold);

    int Games() const { return games_; }
    int StoppedGames() const { return stopped_; }
    uint32_t Records() const { return used_; }
    bool Full() const { return full_; }
    const std::string& FirstProblem() const { return firstProblem_; }
    const std::string& Error() const { return error_; }

private:
    void Count(uint32_t keyLow, uint32_t keyHigh);

    std::vector<ChessBookEntry> table_;
    uint32_t used_ = 0;
    bool full_ = false;
    int games_ = 0;
    int stopped_ = 0;
    std::string firstProblem_;
    std::string error_;
};

} // namespace chess
