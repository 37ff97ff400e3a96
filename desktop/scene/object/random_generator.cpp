// The engine's linear congruential generators.
#include "desktop/scene/object/random_generator.h"

#include <cstring>

namespace lumivane {

uint32_t RandomGenerator::Next() {
    state = state * 1664525u + 1013904223u;
    return state;
}

float RandomGenerator::NextUnit() {
    uint32_t bits = (Next() & 0x007FFFFFu) | 0x3F800000u; // mantissa in [1, 2)
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value - 1.0f;
}

RandomGenerator& MainRandom() {
    static RandomGenerator generator(0);
    return generator;
}

RandomGenerator& TimeSeededRandom() {
    static RandomGenerator generator(0);
    return generator;
}

RandomGenerator& CollectionRandom() {
    static RandomGenerator generator(0);
    return generator;
}

float RandomFloat(RandomGenerator& generator, float lo, float hi) {
    return lo + (hi - lo) * generator.NextUnit();
}

float RandomFloat(float lo, float hi) {
    return RandomFloat(MainRandom(), lo, hi);
}

Vec3 RandomDirection(RandomGenerator& generator) {
    Vec3 v;
    v.z = RandomFloat(generator, -1.0f, 1.0f);
    v.y = RandomFloat(generator, -1.0f, 1.0f);
    v.x = RandomFloat(generator, -1.0f, 1.0f);
    v.Normalize();
    return v;
}

Vec3 RandomDirection() {
    return RandomDirection(MainRandom());
}

} // namespace lumivane
