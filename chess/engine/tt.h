// The transposition table: buckets of two slots, the first always replaced,
// the second kept for deeper results of the current search generation.
#pragma once

#include <cstdint>

#include "chess/engine/board.h"

namespace chess {

enum HashBound : int { UpperBound = 0, LowerBound = 1, ExactScore = 2 };
constexpr int kHashMiss = -1000000;

// Frees the table and allocates bytes / 32 buckets (a power of two), zeroed.
void SetHashSize(unsigned bytes);
void ClearHash();
// Advances the 4-bit search generation; entries of other generations miss.
void NextHashAge();
// A usable score, or kHashMiss; `move` gets the stored move of a matching entry.
int ProbeHash(int alpha, int beta, int depth, ChessMove& move);
void StoreHash(int score, int bound, int depth, ChessMove move);

} // namespace chess
