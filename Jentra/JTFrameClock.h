// The frame clock: exported globals every part of the engine and the game
// reads. The application frame advances them once per frame; animation,
// particles and the camera's glide use game time (dt, gdwTime), the camera's
// steering uses real time (dtReal, gdwRealTime). The step that advances them
// is pure logic over a millisecond tick, so the application frame and the
// tests drive it the same way.
#pragma once

#include <cstdint>

extern float dtReal;          // seconds of real time this frame, after clamping
extern float dt;              // seconds of game time this frame (0 while paused)
extern uint32_t gdwRealTime;  // milliseconds of real time since start
extern float gfRealTime;      // gdwRealTime x 0.001
extern uint32_t gdwTime;      // milliseconds of game time since start
extern uint32_t gdwTimeExtra; // microseconds of game time not yet in gdwTime, 0..999
extern float gfTime;          // game time in seconds
extern int gnFrame;           // frames completed
extern bool gfPause;          // game paused: dt is 0

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
