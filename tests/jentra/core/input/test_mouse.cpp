// Mouse: button presses, releases and double clicks measured from the previous
// press, relative motion and wheel, and the settling after a focus change.
#include <gtest/gtest.h>

#include "Jentra/JTMouse.h"
#include "platform/clock.h"

namespace {

platform::TestClock gClock;

class Mouse : public ::testing::Test {
protected:
    void SetUp() override {
        gClock.SetMilliseconds(5000);
        platform::SetCurrentClock(&gClock);
        mouse.Init();
        for (int i = 0; i < JTMouse::kSettlePolls; ++i)
            mouse.Poll();
    }
    void TearDown() override { platform::SetCurrentClock(nullptr); }

    void Click(int button) {
        mouse.OnButton(button, true);
        mouse.Poll();
        mouse.OnButton(button, false);
    }
    JTMouse mouse;
};

TEST_F(Mouse, DoubleClicksCountFromThePreviousPress) {
    Click(0);
    EXPECT_TRUE(mouse.Pressed(0));
    EXPECT_TRUE(mouse.Down(0));
    EXPECT_FALSE(mouse.DoubleClicked(0));
    mouse.Poll();
    EXPECT_TRUE(mouse.Released(0));
    EXPECT_FALSE(mouse.Down(0));

    gClock.AdvanceMilliseconds(400);
    Click(0);
    EXPECT_TRUE(mouse.DoubleClicked(0));
    EXPECT_FALSE(mouse.Pressed(0));
    mouse.Poll();

    gClock.AdvanceMilliseconds(400); // 800 ms after the first, 400 after the second
    Click(0);
    EXPECT_TRUE(mouse.DoubleClicked(0));
    mouse.Poll();

    gClock.AdvanceMilliseconds(500);
    Click(0);
    EXPECT_TRUE(mouse.Pressed(0));
    EXPECT_FALSE(mouse.DoubleClicked(0));
    // Each button has its own time.
    mouse.Poll();
    Click(1);
    EXPECT_TRUE(mouse.Pressed(1));
}

TEST_F(Mouse, FirstPressAfterStartIsNeverADoubleClick) {
    JTMouse fresh;
    gClock.SetMilliseconds(10); // a clock that starts near zero
    fresh.Init();
    for (int i = 0; i < JTMouse::kSettlePolls; ++i)
        fresh.Poll();
    fresh.OnButton(0, true);
    fresh.Poll();
    EXPECT_TRUE(fresh.Pressed(0));
    EXPECT_FALSE(fresh.DoubleClicked(0));
}

TEST_F(Mouse, QuickClickBetweenPollsIsSeen) {
    mouse.OnButton(2, true);
    mouse.OnButton(2, false);
    mouse.Poll();
    EXPECT_TRUE(mouse.Pressed(2));
    EXPECT_TRUE(mouse.Released(2));
    EXPECT_FALSE(mouse.Down(2));
    mouse.UnpressAll();
    EXPECT_FALSE(mouse.Pressed(2));
}

TEST_F(Mouse, MotionAndWheelPerPoll) {
    mouse.OnMotion(3, -2);
    mouse.OnMotion(4, 1);
    mouse.OnWheel(-1);
    mouse.Poll();
    EXPECT_EQ(mouse.GetRelX(), 7);
    EXPECT_EQ(mouse.GetRelY(), -1);
    EXPECT_EQ(mouse.GetRelZ(), -120);
    mouse.Poll();
    EXPECT_EQ(mouse.GetRelX(), 0);
    EXPECT_EQ(mouse.GetRelZ(), 0);
    mouse.OnButton(7, true); // no such button: ignored
    mouse.Poll();
    EXPECT_FALSE(mouse.Pressed(3));
}

TEST_F(Mouse, RegainWaitsForButtonsToComeUp) {
    mouse.OnMotion(10, 10);
    mouse.SyncAcquire(true);
    mouse.OnMotion(50, 50); // while away: not ours
    mouse.SyncAcquire(false);
    mouse.OnButton(0, true); // the click that brought the window back
    mouse.OnMotion(5, 5);
    mouse.Poll(); // first settle poll
    EXPECT_FALSE(mouse.Down(0));
    EXPECT_EQ(mouse.GetRelX(), 0);
    mouse.OnMotion(5, 5);
    mouse.Poll(); // last settle poll, left still held: wait
    EXPECT_FALSE(mouse.Pressed(0));
    EXPECT_EQ(mouse.GetRelX(), 0);
    mouse.Poll();
    EXPECT_FALSE(mouse.Pressed(0));
    mouse.OnButton(0, false);
    mouse.OnMotion(2, 0);
    mouse.Poll();
    EXPECT_FALSE(mouse.Pressed(0));
    EXPECT_FALSE(mouse.Released(0));
    EXPECT_EQ(mouse.GetRelX(), 2);
    Click(0);
    EXPECT_TRUE(mouse.Pressed(0));
}

TEST_F(Mouse, HeldRightButtonDragsOnAfterRegain) {
    mouse.SyncAcquire(true);
    mouse.SyncAcquire(false);
    mouse.OnButton(1, true);
    mouse.Poll();
    mouse.OnMotion(4, 0);
    mouse.Poll();
    EXPECT_TRUE(mouse.Down(1));
    EXPECT_EQ(mouse.GetRelX(), 4);
}

} // namespace
