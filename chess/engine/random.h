// Random numbers owned by the chess engine: the key generator whose exact
// sequence the opening book depends on, and a small generator with the range
// of the classic C runtime (0..32767) for evaluation noise and book choices.
#pragma once

#include <cstdint>

namespace chess {

// Additive lagged-Fibonacci generator (lags 24 and 55) started from a fixed
// seed table. Book files are keyed by the keys it draws, so its sequence is
// part of the book format.
uint32_t NextRandom();
// Two draws: the first is the high half, the second the low half.
uint64_t NextRandom64();
// Puts the key generator back to the start of its sequence.
void ResetKeyGenerator();

// Seedable generator with the classic C runtime's range and sequence.
constexpr int kRandomMax = 32767;
void SeedRandom(uint32_t seed);
int Random();

} // namespace chess
