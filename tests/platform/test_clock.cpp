// Clock: the system clock moves forward, a test clock moves only when told,
// and the 32-bit tick count wraps like the old one did.
#include "platform/clock.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Clock, SystemClockIsMonotonicAndSleeps) {
    SystemClock clock;
    uint64_t a = clock.NowMicroseconds();
    clock.Sleep(5);
    uint64_t b = clock.NowMicroseconds();
    EXPECT_GE(b - a, 5000u);
    EXPECT_NE(dynamic_cast<SystemClock*>(&CurrentClock()), nullptr);
}

TEST(Clock, InjectedTestClockStepsExactlyAndWraps) {
    TestClock test(1000);
    {
        ScopedClock scope(test);
        EXPECT_EQ(TickCount(), 1000u);
        test.AdvanceMilliseconds(16);
        test.AdvanceMicroseconds(700);
        EXPECT_EQ(TickCount(), 1016u);
        EXPECT_EQ(CurrentClock().NowMicroseconds(), 1016700u);
        SleepMilliseconds(250); // advances instead of waiting
        EXPECT_EQ(TickCount64(), 1266u);

        // Past 2^32 ms the 32-bit count wraps; unsigned differences still work.
        test.SetMilliseconds(0xFFFFFFF0ull);
        uint32_t before = TickCount();
        test.AdvanceMilliseconds(0x20);
        EXPECT_EQ(TickCount(), 0x10u);
        EXPECT_EQ(TickCount64(), 0x100000010ull);
        EXPECT_EQ(TickCount() - before, 0x20u);
    }
    EXPECT_EQ(dynamic_cast<TestClock*>(&CurrentClock()), nullptr);
}
