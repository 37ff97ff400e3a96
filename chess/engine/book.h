// The opening book "stobor.bk": a hashed table of (position, move) records
// with the number of times each move was played. A bad book file is refused
// and play goes on without a book.
#pragma once

#include <cstdint>

#include "chess/engine/board.h"

namespace chess {

struct ChessBookEntry {
    uint32_t keyLow;  // low 32 bits of the position's hash
    uint32_t keyHigh; // low 32 bits of the hash after the move
    uint32_t weight;  // times played; 0 marks an empty slot
};

constexpr const char* kBookFileName = "stobor.bk";
constexpr int kBookCacheRecords = 64;

// Opens the book (closing one that is open). False, with no book open, when
// the file is missing, empty, truncated, of the wrong size or has no empty
// slot; BookError() then says why (empty when the file is just missing).
bool OpenBook(const char* path = kBookFileName);
void CloseBook();
bool BookIsOpen();
const char* BookError();
uint32_t BookSlotCount();
// Reads one record through the 64-record cache; false on a read failure
// (which also closes the book).
bool ReadBookSlot(uint32_t slot, ChessBookEntry& out);
// A book move for the position at ply 0 (its legal list current), or 0.
ChessMove ProbeBook();

} // namespace chess
