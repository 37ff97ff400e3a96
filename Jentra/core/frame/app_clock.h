// Millisecond tick of the engine (the frame clock, double clicks): the
// platform clock, which tests replace with a clock they step by hand.
#pragma once

#include <cstdint>

uint32_t JTTickMs();
