// Hooks that let tests drive the application frame without real time.
#pragma once

#include <cstdint>

// Replaces the engine's millisecond tick; null restores the real clock.
void JTSetTestTick(uint32_t (*tick)());
