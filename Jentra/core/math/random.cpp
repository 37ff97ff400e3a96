// State of the engine's two random generators.
#include "Jentra/JTRandom.h"

uint32_t randseed = 0;

namespace {
uint32_t gHoldRand = 1;
}

int JTRand() {
    gHoldRand = gHoldRand * 214013u + 2531011u;
    return int((gHoldRand >> 16) & 0x7FFFu);
}

void JTSRand(uint32_t seed) {
    gHoldRand = seed;
}
