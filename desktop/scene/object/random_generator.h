// The scene engine's linear congruential generators
// (x = x x 1664525 + 1013904223, 32-bit). The main one starts at 0 and is
// never seeded, so a scene repeats from run to run; the time-seeded one
// (particles) and the collection one are seeded at start-up.
#pragma once

#include <cstdint>

#include "desktop/scene/object/vec3.h"

namespace lumivane {

class RandomGenerator {
public:
    explicit RandomGenerator(uint32_t seed = 0) : state(seed) {}
    void Seed(uint32_t seed) { state = seed; }
    uint32_t State() const { return state; }
    // Advances and answers the new state.
    uint32_t Next();
    // Advances and answers a float in [0, 1) made of the state's low 23 bits.
    float NextUnit();

private:
    uint32_t state;
};

RandomGenerator& MainRandom();
RandomGenerator& TimeSeededRandom();
// Serves the collections and the wormholes.
RandomGenerator& CollectionRandom();

// lo + (hi - lo) x u, u the next number in [0, 1) of the generator (the
// main one unless given).
float RandomFloat(float lo, float hi);
float RandomFloat(RandomGenerator& generator, float lo, float hi);
// A unit vector: three steps give z, y and x in [-1, 1), then normalised.
Vec3 RandomDirection();
Vec3 RandomDirection(RandomGenerator& generator);

} // namespace lumivane
