// The main loop's pace: a game whose frames are ready early sleeps out the
// rest of each screen refresh in one sleep a frame (never a busy wait), the
// frame clock counts the whole frame, a slow frame is not held back, and a
// game without pacing draws as fast as it can.
#include <vector>

#include "platform/clock.h"
#include "tests/jentra/test_game_support.h"

using namespace game_test;

namespace {

// A stepped clock that counts the sleeps asked of it.
class SleepCountingClock : public platform::TestClock {
public:
    using TestClock::TestClock;
    void Sleep(uint32_t milliseconds) override {
        ++sleeps;
        TestClock::Sleep(milliseconds);
    }
    int sleeps = 0;
};

struct FrameLog {
    std::vector<uint64_t> starts; // the clock when each frame's update ran
    std::vector<int> sleeps;      // sleeps asked for before each frame
    uint32_t interval = 0;
};

// Frames of 5 ms, frame 10 of 80 ms; quits after frame 16.
void RunFrames(SampleGame& game, SleepCountingClock& clock, FrameLog& log) {
    game.clock = &clock;
    game.frameMs = 5;
    game.onFrame = [&clock, &log](SampleGame& g, int f) {
        log.starts.push_back(clock.NowMilliseconds64());
        log.sleeps.push_back(clock.sleeps);
        log.interval = g.GetFrameIntervalMs();
        g.frameMs = f == 10 ? 80 : 5;
        QuitAtFrame(f, 16);
    };
    char cmd[] = "";
    ASSERT_EQ(game.WinMain(nullptr, cmd), 0);
}

TEST_F(Game, AFastMachineSleepsOutTheRestOfEachFrame) {
    SleepCountingClock clock(1000);
    platform::SetCurrentClock(&clock);
    auto* game = new SampleGame(UniqueKey());
    FrameLog log;
    RunFrames(*game, clock, log);
    ASSERT_EQ(log.starts.size(), 18u);
    // One refresh of a screen of 24 to 500 frames a second.
    EXPECT_GE(log.interval, 2u);
    EXPECT_LE(log.interval, 41u);
    for (int f = 2; f <= 10; ++f) {
        SCOPED_TRACE(f);
        // The 5 ms frame is followed by one sleep of the rest of the refresh.
        EXPECT_EQ(log.starts[f] - log.starts[f - 1], log.interval);
        EXPECT_EQ(log.sleeps[f] - log.sleeps[f - 1], 1);
        // The frame clock counts the frame and the sleep.
        EXPECT_EQ(game->realTimes[f] - game->realTimes[f - 1], log.interval);
        EXPECT_EQ(game->gameTimes[f] - game->gameTimes[f - 1], log.interval);
    }
    // The slow frame is not held back further, and the clock's step after
    // it keeps its limit: 1.5 x the previous step, which counts as 1/30 s.
    EXPECT_EQ(log.starts[11] - log.starts[10], 80u);
    EXPECT_EQ(log.sleeps[11], log.sleeps[10]);
    EXPECT_EQ(game->realTimes[11] - game->realTimes[10], 50u);
    EXPECT_EQ(log.starts[12] - log.starts[11], log.interval);
    delete game;
}

TEST_F(Game, WithoutPacingFramesFollowOneAnotherAtOnce) {
    SleepCountingClock clock(1000);
    platform::SetCurrentClock(&clock);
    auto* game = new SampleGame(UniqueKey());
    game->SetFramePacing(false);
    FrameLog log;
    RunFrames(*game, clock, log);
    ASSERT_EQ(log.starts.size(), 18u);
    for (int f = 2; f <= 10; ++f)
        EXPECT_EQ(log.starts[f] - log.starts[f - 1], 5u);
    EXPECT_EQ(clock.sleeps, 0);
    delete game;
}

} // namespace
