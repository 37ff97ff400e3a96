// Frame clock: the step limits after stalls and very short frames, game speed,
// pause, and the carrying of microseconds into milliseconds.
#include <gtest/gtest.h>

#include <cmath>

#include "Jentra/JTFrameClock.h"

namespace {

class FrameClock : public ::testing::Test {
protected:
    void SetUp() override { JTResetFrameClock(); }
    void TearDown() override { JTResetFrameClock(); }

    // Runs one frame whose tick is `ms` after the previous one.
    void Frame(uint32_t ms, float speed = 1.0f) {
        m_now += ms;
        JTAdvanceFrameClock(m_state, m_now, speed);
    }

    JTFrameStepState m_state;
    uint32_t m_now = 1000;
};

TEST_F(FrameClock, FirstFrameStartsTheClock) {
    JTAdvanceFrameClock(m_state, m_now, 1.0f);
    // No time has passed yet: the shortest step counts.
    EXPECT_FLOAT_EQ(dtReal, 0.001f);
    EXPECT_EQ(gdwRealTime, 1u);
    EXPECT_EQ(m_state.lastTick, m_now);
}

TEST_F(FrameClock, StallCatchesUpByHalfAgainEachFrame) {
    JTAdvanceFrameClock(m_state, m_now, 1.0f);
    for (int i = 0; i < 10; ++i)
        Frame(16);
    EXPECT_FLOAT_EQ(dtReal, 0.016f);
    // The previous step counts as at least 1/30 s.
    EXPECT_FLOAT_EQ(m_state.previousStep, 1.0f / 30.0f);

    const float expected[] = {0.05f, 0.075f, 0.1125f, 0.16875f, 0.25f, 0.25f};
    for (float step : expected) {
        Frame(10000);
        EXPECT_NEAR(dtReal, step, 1e-6f);
    }
    // Back to normal frames at once.
    Frame(16);
    EXPECT_FLOAT_EQ(dtReal, 0.016f);
}

TEST_F(FrameClock, VeryShortFramesCountOneMillisecond) {
    JTAdvanceFrameClock(m_state, m_now, 1.0f);
    uint32_t before = gdwRealTime;
    Frame(0);
    EXPECT_FLOAT_EQ(dtReal, 0.001f);
    Frame(0);
    EXPECT_EQ(gdwRealTime, before + 2);
}

TEST_F(FrameClock, TickWrapsAroundWithoutAStall) {
    m_now = 0xFFFFFFF0u;
    JTAdvanceFrameClock(m_state, m_now, 1.0f);
    Frame(32); // the tick passes 2^32
    EXPECT_FLOAT_EQ(dtReal, 0.032f);
}

TEST_F(FrameClock, GameSpeedAndPause) {
    JTAdvanceFrameClock(m_state, m_now, 2.0f);
    uint32_t real0 = gdwRealTime, game0 = gdwTime;
    for (int i = 0; i < 30; ++i)
        Frame(20, 2.0f);
    EXPECT_EQ(gdwRealTime - real0, 600u);
    EXPECT_EQ(gdwTime - game0, 1200u);
    EXPECT_FLOAT_EQ(dt, 0.04f);

    gfPause = true;
    uint32_t game1 = gdwTime;
    float gameSeconds = gfTime;
    for (int i = 0; i < 10; ++i)
        Frame(20, 2.0f);
    EXPECT_EQ(dt, 0.0f);
    EXPECT_EQ(gdwTime, game1);
    EXPECT_EQ(gfTime, gameSeconds);
    EXPECT_EQ(gdwRealTime - real0, 800u);
    EXPECT_NEAR(gfRealTime, 0.001f * gdwRealTime, 1e-6f);
}

TEST_F(FrameClock, BadGameSpeedNeverRunsTimeBackwards) {
    JTAdvanceFrameClock(m_state, m_now, 1.0f);
    Frame(20, -3.0f);
    EXPECT_FLOAT_EQ(dt, 0.02f);
    Frame(20, std::nanf(""));
    EXPECT_FLOAT_EQ(dt, 0.02f);
    uint32_t before = gdwTime;
    Frame(20, 1e30f);
    EXPECT_FLOAT_EQ(dt, 0.02f * kMaxGameSpeed);
    EXPECT_EQ(gdwTime - before, 20000u);
}

TEST_F(FrameClock, MicrosecondsCarryIntoMilliseconds) {
    JTAddGameTime(0.0015f);
    EXPECT_EQ(gdwTime, 1u);
    EXPECT_EQ(gdwTimeExtra, 499u);
    JTAddGameTime(0.0015f);
    // 998 us so far: no carry yet.
    EXPECT_EQ(gdwTime, 2u);
    EXPECT_EQ(gdwTimeExtra, 998u);
    JTAddGameTime(0.0015f);
    EXPECT_EQ(gdwTime, 4u);
    EXPECT_EQ(gdwTimeExtra, 497u);
    EXPECT_NEAR(gfTime, 0.004497f, 1e-7f);

    // Many steps below a millisecond are not lost.
    JTResetFrameClock();
    for (int i = 0; i < 1000; ++i)
        JTAddGameTime(0.0005f);
    EXPECT_NEAR(static_cast<double>(gdwTime) + gdwTimeExtra * 1e-3, 500.0, 1.0);
}

} // namespace
