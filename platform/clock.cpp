// The system clock and the process-wide current clock.
#include "platform/clock.h"

#include <time.h>

#include <cerrno>

namespace platform {

namespace {

SystemClock gSystemClock;
std::atomic<Clock*> gCurrentClock{nullptr};

} // namespace

uint64_t SystemClock::NowMicroseconds() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000000u + uint64_t(ts.tv_nsec) / 1000u;
}

void SystemClock::Sleep(uint32_t milliseconds) {
    timespec left{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

Clock& CurrentClock() {
    Clock* clock = gCurrentClock.load(std::memory_order_acquire);
    return clock ? *clock : gSystemClock;
}

void SetCurrentClock(Clock* clock) {
    gCurrentClock.store(clock, std::memory_order_release);
}

} // namespace platform
