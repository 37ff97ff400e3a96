// Storage of the frame clock globals and the step that advances them once per
// frame (called by JTGame::UpdateTime).
#include <cmath>

#include "Jentra/JTFrameClock.h"

float dtReal = 0.0f;
float dt = 0.0f;
uint32_t gdwRealTime = 0;
float gfRealTime = 0.0f;
uint32_t gdwTime = 0;
uint32_t gdwTimeExtra = 0;
float gfTime = 0.0f;
int gnFrame = 0;
bool gfPause = false;

namespace {
// The step limits: a frame counts at most 0.25 s and at least 1 ms; after a
// stall time catches up by at most 1.5 x the previous step, which counts as
// at least 1/30 s.
constexpr float kMaxStep = 0.25f;
constexpr float kMinStep = 0.001f;
constexpr float kCatchUp = 1.5f;
constexpr float kMinPreviousStep = 1.0f / 30.0f;
} // namespace

void JTAdvanceFrameClock(JTFrameStepState& state, uint32_t now, float gameSpeed) {
    if (state.lastTick == 0) state.lastTick = now;
    uint32_t elapsed = now - state.lastTick; // wraps correctly past 2^32 ms
    dtReal = static_cast<float>(elapsed) * 0.001f;
    state.lastTick = now;

    if (dtReal > state.previousStep * kCatchUp) dtReal = state.previousStep * kCatchUp;
    if (dtReal > kMaxStep)
        dtReal = kMaxStep;
    else if (dtReal < kMinStep)
        dtReal = kMinStep;
    state.previousStep = dtReal < kMinPreviousStep ? kMinPreviousStep : dtReal;

    if (!std::isfinite(gameSpeed) || gameSpeed < 0.0f) gameSpeed = 1.0f;
    if (gameSpeed > kMaxGameSpeed) gameSpeed = kMaxGameSpeed;
    dt = gfPause ? 0.0f : dtReal * gameSpeed;

    gdwRealTime += static_cast<uint32_t>(dtReal * 1000.0f);
    gfRealTime = static_cast<float>(gdwRealTime) * 0.001f;
    JTAddGameTime(dt);
}

void JTAddGameTime(float dtSeconds) {
    // Single-precision on purpose: 0.0015 s adds 1 ms and 499 us.
    uint32_t ms = static_cast<uint32_t>(dtSeconds * 1000.0f);
    float below = dtSeconds - static_cast<float>(ms) * 0.001f;
    uint32_t us = below > 0.0f ? static_cast<uint32_t>(below * 1000000.0f) : 0;
    gdwTimeExtra += us;
    gdwTime += ms + gdwTimeExtra / 1000;
    gdwTimeExtra %= 1000;
    gfTime = static_cast<float>(gdwTimeExtra) * 0.000001f + static_cast<float>(gdwTime) * 0.001f;
}

void JTResetFrameClock() {
    dtReal = dt = 0.0f;
    gdwRealTime = gdwTime = gdwTimeExtra = 0;
    gfRealTime = gfTime = 0.0f;
    gnFrame = 0;
    gfPause = false;
}
