// The engine's random numbers. One linear congruential generator on the
// exported seed randseed serves particles and effects; RandomInt draws from
// a second generator that behaves like the classic C runtime rand (values
// 0..32767), so games that seed it get the same sequence everywhere.
#pragma once

#include <cstdint>
#include <cstring>

extern uint32_t randseed;

// The C-runtime-compatible generator: seed * 214013 + 2531011, the high
// bits 16..30 of the new seed as a value in 0..32767.
int JTRand();
void JTSRand(uint32_t seed);

// Advances randseed and returns a value in [0, 1): the low 23 bits of the
// new seed become the mantissa of a float in [1, 2), then 1 is taken off.
inline float RandomFraction() {
    randseed = randseed * 1664525u + 1013904223u;
    uint32_t bits = 0x3F800000u | (randseed & 0x007FFFFFu);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value - 1.0f;
}

inline float RandomBetween(float lo, float hi) {
    return lo + (hi - lo) * RandomFraction();
}

// lo + (JTRand() >> 2) mod (hi - lo + 1). A one-value range still draws, so
// callers stay in step with the C-runtime sequence; a reversed range gives
// lo rather than dividing by zero or by a negative span.
inline int RandomInt(int lo, int hi) {
    if (hi < lo) return lo;
    int64_t span = int64_t(hi) - int64_t(lo) + 1;
    return int(lo + (JTRand() >> 2) % span);
}
