// One step of the frame clock, as pure logic over a millisecond tick, so the
// application frame and the tests drive it the same way.
#pragma once

#include <cstdint>

struct JTFrameStepState {
    uint32_t lastTick = 0;     // tick of the previous frame, 0 before the first
    float previousStep = 1.0f; // seconds; a frame may take at most 1.5 x this
};

// Advances dtReal, dt and the real and game time globals to the tick `now`.
// gameSpeed scales game time; a negative or non-number speed counts as 1 and
// speeds above kMaxGameSpeed as that, so game time never runs backwards.
void JTAdvanceFrameClock(JTFrameStepState& state, uint32_t now, float gameSpeed);

// Adds dt seconds of game time to gdwTime, keeping the microseconds below a
// whole millisecond in gdwTimeExtra; sets gfTime.
void JTAddGameTime(float dtSeconds);

// Puts every frame clock global back to its start value.
void JTResetFrameClock();

constexpr float kMaxGameSpeed = 1000.0f;
