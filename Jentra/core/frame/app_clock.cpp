// Millisecond tick of the engine: the platform's current clock, which tests
// replace with a clock they step by hand.
#include "Jentra/core/frame/app_clock.h"

#include "platform/clock.h"

uint32_t JTTickMs() {
    return platform::TickCount();
}
