// The engine's two random generators (see random.h).
#include "chess/engine/random.h"

namespace chess {

namespace {

constexpr uint32_t kSeedTable[55] = {
    0x5414D5F4, 0xB3935330, 0xD0773E27, 0xAC62A182, 0x5DB20C92, 0xC1E618AC, 0xD003926A, 0x171FA3B3,
    0x9AD12101, 0x762172C1, 0xBC5D9DC3, 0x07B72A70, 0x6E5AC890, 0xF7BE54D1, 0x0D6332FA, 0x56BA8FBE,
    0xEBA585EC, 0x571421C5, 0x96B3C079, 0x12EB9B92, 0xC07C0978, 0x0700C5BD, 0x31A43513, 0x74EBA4AA,
    0x4EC55DB5, 0x2C91C2E9, 0x208771F6, 0x304EE204, 0x1E004673, 0xF3AC22F9, 0xA8561FEB, 0xDED13435,
    0xD03E7513, 0xDAE66BC2, 0x01C20BE1, 0x46638997, 0xFB26CE62, 0x01F87FC3, 0xC0016099, 0x44429270,
    0xB04F4481, 0xF31B8AD7, 0x86DD7A46, 0x03E72091, 0x96A22589, 0x74DCB7D4, 0x12D0FC03, 0x474A16E8,
    0x2FF5717C, 0x54BDED92, 0x783A9487, 0xE767978C, 0x3052D5CD, 0x16ECA191, 0x8EAF6D15};

struct LaggedFibonacci {
    uint32_t state[55];
    int j = 23;
    int k = 54;
    bool loaded = false;
};

LaggedFibonacci gKeyGenerator;
uint32_t gRandomSeed = 1;

} // namespace

void ResetKeyGenerator() {
    gKeyGenerator.loaded = false;
}

uint32_t NextRandom() {
    LaggedFibonacci& g = gKeyGenerator;
    if (!g.loaded) {
        for (int i = 0; i < 55; ++i)
            g.state[i] = kSeedTable[i];
        g.j = 23;
        g.k = 54;
        g.loaded = true;
    }
    const uint32_t x = g.state[g.k] + g.state[g.j];
    g.state[g.k] = x;
    g.j = g.j == 0 ? 54 : g.j - 1;
    g.k = g.k == 0 ? 54 : g.k - 1;
    return x;
}

uint64_t NextRandom64() {
    const uint64_t high = NextRandom();
    const uint64_t low = NextRandom();
    return (high << 32) | low;
}

void SeedRandom(uint32_t seed) {
    gRandomSeed = seed;
}

int Random() {
    gRandomSeed = gRandomSeed * 214013u + 2531011u;
    return static_cast<int>((gRandomSeed >> 16) & 0x7FFF);
}

} // namespace chess
