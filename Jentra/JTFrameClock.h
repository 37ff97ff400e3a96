// The frame clock: exported globals every part of the engine and the game
// reads. The application frame advances them once per frame; animation,
// particles and the camera's glide use game time (dt, gdwTime), the camera's
// steering uses real time (dtReal, gdwRealTime).
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
