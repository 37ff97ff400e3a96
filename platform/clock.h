// Millisecond clock in place of the system tick count. Everything reads time
// through the current Clock, so tests can install a TestClock and step time
// exactly; the frame clock and every wait go through it.
#pragma once

#include <atomic>
#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic microseconds from an arbitrary start.
    virtual uint64_t NowMicroseconds() const = 0;
    // Sleeps the calling thread (a test clock advances instead).
    virtual void Sleep(uint32_t milliseconds) = 0;

    uint64_t NowMilliseconds64() const { return NowMicroseconds() / 1000; }
    // 32-bit milliseconds that wrap after about 49.7 days, as the tick count
    // did; compare with unsigned subtraction (now - then), never with <.
    uint32_t NowMilliseconds() const { return uint32_t(NowMilliseconds64()); }
};

// The monotonic system clock.
class SystemClock : public Clock {
public:
    uint64_t NowMicroseconds() const override;
    void Sleep(uint32_t milliseconds) override;
};

// A clock that moves only when told to. Sleep advances it at once.
class TestClock : public Clock {
public:
    explicit TestClock(uint64_t startMilliseconds = 0) : now_(startMilliseconds * 1000) {}
    uint64_t NowMicroseconds() const override { return now_.load(); }
    void Sleep(uint32_t milliseconds) override { AdvanceMilliseconds(milliseconds); }

    void SetMilliseconds(uint64_t ms) { now_.store(ms * 1000); }
    void AdvanceMilliseconds(uint64_t ms) { now_.fetch_add(ms * 1000); }
    void AdvanceMicroseconds(uint64_t us) { now_.fetch_add(us); }

private:
    std::atomic<uint64_t> now_;
};

// The clock in use: the system clock unless a test installed another.
Clock& CurrentClock();
// Installs `clock` (not owned; it must outlive its use); null restores the
// system clock.
void SetCurrentClock(Clock* clock);

// Shorthands on the current clock.
inline uint32_t TickCount() {
    return CurrentClock().NowMilliseconds();
}
inline uint64_t TickCount64() {
    return CurrentClock().NowMilliseconds64();
}
inline void SleepMilliseconds(uint32_t ms) {
    CurrentClock().Sleep(ms);
}

// Installs a clock for the lifetime of a scope (tests).
class ScopedClock {
public:
    explicit ScopedClock(Clock& clock) { SetCurrentClock(&clock); }
    ~ScopedClock() { SetCurrentClock(nullptr); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};

} // namespace platform
