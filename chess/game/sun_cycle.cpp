// The park sun's cycle: position, light colours and sky tint from game time.
#include "chess/game/sun_cycle.h"

#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;
const JTVec3 kSunRest(140.0f, 15.0f, -70.0f);
// The light fades in over the first and out over the last 2 % of a cycle.
constexpr float kFadeFraction = 0.02f;
constexpr float kFadeRate = 50.0f;

} // namespace

ChessSunState ChessSunCycle::Step(uint32_t gameTimeMs) {
    const float t = float(gameTimeMs % kCycleMs) / float(kCycleMs);
    if (t < lastT) returning = !returning;
    lastT = t;
    const float s = returning ? 1.0f - t : t;

    ChessSunState state;
    state.position = JTVec3TransformCoord(kSunRest, JTMatrixRotationZ((0.15f + 0.7f * s) * kPi));

    const float p = std::pow(1.0f - std::sin(t * kPi), 1.5f);
    state.fill = {0.34f + 0.05f * p, 0.34f + 0.05f * p, 0.34f + 0.2f * p};

    float v = 1.0f;
    if (t < kFadeFraction)
        v = kFadeRate * t;
    else if (t > 1.0f - kFadeFraction)
        v = 1.0f - kFadeRate * (t - (1.0f - kFadeFraction));
    state.light = {v, 0.9f * v, 0.8f * v};

    const float q = std::sin(t * kPi);
    state.sky = {q + 0.72f * (1.0f - q), q + 0.3f * (1.0f - q), q + 0.18f * (1.0f - q)};
    return state;
}
