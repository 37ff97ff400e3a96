// Millisecond tick: monotonic time since the first call, unless a test clock
// has been set.
#include "Jentra/core/app/app_clock.h"

#include <chrono>

#include "Jentra/core/app/app_test_hooks.h"

namespace {
uint32_t (*gTestTick)() = nullptr;
}

void JTSetTestTick(uint32_t (*tick)()) {
    gTestTick = tick;
}

uint32_t JTTickMs() {
    if (gTestTick) return gTestTick();
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}
