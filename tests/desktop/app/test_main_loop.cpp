// Passes of the main loop on a test clock with a scripted display: pausing
// on Freeze and resuming, re-creation that fails, a lost device, priority,
// scene changes from another process, scene rotation, the desktop playing
// the screen saver, and the order of a frame's work.
#include "desktop/app/exit_signal.h"
#include "desktop/shell/registry.h"
#include "platform/process_priority.h"
#include "tests/desktop/app/app_test_support.h"

#include <set>

using namespace lumivane;
using namespace app_test;

namespace {

class LvMainLoop : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        useClock_ = std::make_unique<platform::ScopedClock>(clock_);
    }
    void TearDown() override {
        useClock_.reset();
        AppTest::TearDown();
    }
    // A desktop started and through its first pass.
    std::unique_ptr<DesktopApp> RunningDesktop() {
        auto app = ReadyApp({"1a2b"});
        clock_.AdvanceMilliseconds(33);
        app->MainLoopPass();
        return app;
    }
    void Pass(DesktopApp& app, int count = 1) {
        for (int i = 0; i < count; ++i) {
            clock_.AdvanceMilliseconds(33);
            app.MainLoopPass();
        }
    }

    platform::TestClock clock_{1000};
    std::unique_ptr<platform::ScopedClock> useClock_;
};

} // namespace

TEST_F(LvMainLoop, FreezeCapturesOneStillPictureAndResumesOnce) {
    auto app = RunningDesktop();
    EXPECT_EQ(display_.presents, 1);
    EXPECT_FLOAT_EQ(app->Volume(), 0.5f);

    SetUser(values::kFreeze, 1u);
    Pass(*app, 3);
    EXPECT_EQ(display_.captures, 1);
    EXPECT_EQ(display_.releases, 1);
    EXPECT_EQ(display_.presents, 1);
    EXPECT_FLOAT_EQ(app->Volume(), 0.0f);
    OpenEvent(DesktopEvent::Redraw)->Set();
    Pass(*app);
    EXPECT_EQ(display_.stills, 1);

    SetUser(values::kFreeze, 0u);
    Pass(*app, 2);
    EXPECT_EQ(display_.recreates, 1);
    EXPECT_EQ(display_.presents, 3);
    EXPECT_FLOAT_EQ(app->Volume(), 0.5f);
    // Without a picture Redraw paints nothing.
    OpenEvent(DesktopEvent::Redraw)->Set();
    Pass(*app);
    EXPECT_EQ(display_.stills, 1);
}

TEST_F(LvMainLoop, AFailedRecreationKeepsLoadingYetTheNextPassObeysExit) {
    auto app = RunningDesktop();
    auto loading = OpenEvent(DesktopEvent::Loading);
    EXPECT_FALSE(loading->Poll());
    display_.answers = {false};
    SetUser(values::kHighQualityMode, uint8_t(app->HighQualityMode() ? 0 : 1));
    Pass(*app);
    EXPECT_EQ(display_.recreates, 1);
    EXPECT_TRUE(app->ResumePending());
    EXPECT_TRUE(loading->Poll());
    EXPECT_FALSE(app->QuitPosted());

    OpenEvent(DesktopEvent::Exit)->Set();
    Pass(*app);
    EXPECT_TRUE(app->QuitPosted());
    EXPECT_TRUE(app->Quitting());
    EXPECT_EQ(display_.recreates, 1);
}

TEST_F(LvMainLoop, ALostDeviceIsMadeAgainWithoutTheHostAndBringsTheSoundBack) {
    auto app = RunningDesktop();
    display_.loseDevice = true;
    Pass(*app);
    EXPECT_TRUE(app->ResumePending());
    const int presents = display_.presents;
    // One pass asks the host window to repaint; no host answers on Linux,
    // so the program brings Paint itself and the next pass makes the
    // display again.
    scene_.volumes.clear();
    Pass(*app);
    EXPECT_EQ(display_.recreates, 0);
    EXPECT_EQ(display_.presents, presents);
    Pass(*app);
    EXPECT_EQ(display_.recreates, 1);
    EXPECT_FALSE(app->ResumePending());
    EXPECT_EQ(display_.presents, presents + 1);
    ASSERT_FALSE(scene_.volumes.empty());
    EXPECT_FLOAT_EQ(scene_.volumes.back(), 0.5f);
    EXPECT_FALSE(OpenEvent(DesktopEvent::Loading)->Poll());
}

TEST_F(LvMainLoop, TheDesktopRecoversFromFailedCreationsWithNoOutsideSignal) {
    // The first display fails once: the second try needs no host's Paint.
    display_.answers = {false};
    auto app = RunningDesktop();
    EXPECT_EQ(display_.creates, 2);
    EXPECT_EQ(display_.presents, 1);

    // Made again after a pause, it fails; later passes make it on their own.
    SetUser(values::kFreeze, 1u);
    Pass(*app);
    display_.answers = {false};
    SetUser(values::kFreeze, 0u);
    Pass(*app);
    EXPECT_EQ(display_.recreates, 1);
    EXPECT_TRUE(app->ResumePending());
    Pass(*app, 2);
    EXPECT_EQ(display_.recreates, 2);
    EXPECT_FALSE(app->ResumePending());
    EXPECT_EQ(display_.presents, 2);
}

TEST_F(LvMainLoop, ARaisedPriorityDropsToNormalThenIdle) {
    auto app = RunningDesktop();
    RequestRaise(); // the desktop menu's way of raising the program
    Pass(*app);
    EXPECT_EQ(platform::GetProcessPriority(), platform::PriorityClass::Normal);
    Pass(*app);
    EXPECT_EQ(platform::GetProcessPriority(), platform::PriorityClass::Idle);
}

TEST_F(LvMainLoop, AnotherProcesssSceneLoadsAndSkipsTwoFrames) {
    auto app = RunningDesktop();
    ASSERT_EQ(scene_.loads, std::vector<std::string>{"scenes\\Hell's Heart.mis"});
    scene_.loads.clear();
    display_.skips.clear();
    SetUser(values::kScene, std::string("Other.mis"));
    Pass(*app);
    EXPECT_EQ(scene_.loads, std::vector<std::string>{"scenes\\Other.mis"});
    EXPECT_EQ(display_.skips, std::vector<int>{2});
    EXPECT_EQ(scene_.startScenes, 2);
    // Only the letter case differs: the same scene, nothing loads.
    SetUser(values::kScene, std::string("OTHER.MIS"));
    Pass(*app);
    EXPECT_EQ(scene_.loads.size(), 1u);
    // A scene that does not load falls back to the default one.
    scene_.loadSucceeds = false;
    SetUser(values::kScene, std::string("Broken.mis"));
    Pass(*app);
    EXPECT_EQ(scene_.loads, (std::vector<std::string>{"scenes\\Other.mis", "scenes\\Broken.mis",
                                                      "scenes\\Hell's Heart.mis"}));
    EXPECT_EQ(scene_.startScenes, 2);
}

TEST_F(LvMainLoop, ScenesRotateAfterTheRandomPeriodAndNeverWithPeriodZero) {
    for (const char* name : {"a.mis", "b.mis"})
        shell_test::WriteFile(dataRoot_ / "scenes" / name, "MISS");
    SetUser(values::kRandomPeriod, 2u);
    auto app = RunningDesktop(); // a run starts counting with a frame of 1 s
    scene_.loads.clear();
    Pass(*app, 25); // 1 s + 25 x 33 ms: not yet
    EXPECT_TRUE(scene_.loads.empty());
    EXPECT_GE(app->RandomSceneTimerMs(), 1800u);
    Pass(*app, 10);
    ASSERT_EQ(scene_.loads.size(), 1u);
    EXPECT_LT(app->RandomSceneTimerMs(), 500u);
    EXPECT_NE(scene_.loads[0], "scenes\\" + std::string(kDefaultScene));
    // The pick is written for the desktop menu to show.
    SettingsKey key;
    ASSERT_TRUE(key.OpenKeys());
    EXPECT_EQ("scenes\\" + key.Read(values::kScene), scene_.loads[0]);

    SetUser(values::kRandomPeriod, 0u);
    scene_.loads.clear();
    Pass(*app, 50);
    EXPECT_EQ(app->RandomSceneTimerMs(), 0u);
    EXPECT_TRUE(scene_.loads.empty());
}

TEST_F(LvMainLoop, TheRandomFirstSceneFollowsTheSeedOfTheSceneChoice) {
    for (const char* name : {"a.mis", "b.mis", "c.mis", "d.mis", "e.mis", "f.mis"})
        shell_test::WriteFile(dataRoot_ / "scenes" / name, "MISS");
    auto firstScene = [&](uint32_t seed) {
        DesktopApp app(Services());
        EXPECT_TRUE(app.SetUpMode({"1a2b"}));
        EXPECT_EQ(app.Startup(), DesktopApp::StartupResult::Ready);
        app.SeedSceneChoice(seed);
        app.BeginRun();
        EXPECT_TRUE(app.LoadRequested());
        return app.CurrentScene();
    };
    std::set<std::string> firsts;
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        const std::string first = firstScene(seed);
        EXPECT_EQ(firstScene(seed), first) << seed;
        firsts.insert(first);
    }
    EXPECT_GE(firsts.size(), 3u);
}

TEST_F(LvMainLoop, TheDesktopPlaysTheScreensaverInWindowsOfItsOwnAndReturns) {
    auto app = RunningDesktop();
    SetUser(values::kFreeze, 1u);
    OpenEvent(DesktopEvent::Screensaver)->Set();
    Pass(*app);
    EXPECT_TRUE(app->DesktopScreensaverActive());
    EXPECT_EQ(windows_.screensaverWindows, 1);
    EXPECT_EQ(display_.createdFor.back(), 0x5001u);
    SettingsKey key;
    ASSERT_TRUE(key.OpenKeys());
    EXPECT_EQ(key.Read(values::kFreeze), 0u); // the show is never frozen

    app->EndDesktopScreensaver();
    Pass(*app);
    EXPECT_FALSE(app->DesktopScreensaverActive());
    EXPECT_EQ(display_.createdFor.back(), 0x1a2bu);
    EXPECT_EQ(app->Host()->Handle(), 0x1a2bu);
}

TEST_F(LvMainLoop, AFramesWorkRunsInItsOrder) {
    auto app = RunningDesktop();
    scene_.steps.clear();
    Pass(*app);
    const std::vector<FrameStep> expected = {
        FrameStep::DeliverMessages, FrameStep::ForgetTextureRequests,
        FrameStep::Triggers,        FrameStep::CommandInterface,
        FrameStep::Players,         FrameStep::World,
        FrameStep::Camera,          FrameStep::Sound,
        FrameStep::FlushRemovals};
    EXPECT_EQ(scene_.steps, expected);
    EXPECT_EQ(app->FrameNumber(), 2u);
}

TEST_F(LvMainLoop, AFastMachineSleepsOutTheRestOfEachFrame) {
    auto app = RunningDesktop();
    for (int i = 0; i < 3; ++i) {
        // A pass whose frame is ready after 5 ms waits to about 30 a second.
        const uint64_t before = clock_.NowMilliseconds64();
        clock_.AdvanceMilliseconds(5);
        app->MainLoopPass();
        EXPECT_GE(clock_.NowMilliseconds64() - before, 31u);
        EXPECT_LE(clock_.NowMilliseconds64() - before, 35u);
    }
    // A slow frame is not held back further.
    const uint64_t before = clock_.NowMilliseconds64();
    clock_.AdvanceMilliseconds(80);
    app->MainLoopPass();
    EXPECT_LE(clock_.NowMilliseconds64() - before, 82u);
}

TEST_F(LvMainLoop, AnExitSignalDuringAPassDrawsNothingMore) {
    auto app = RunningDesktop();
    const int presents = display_.presents;
    scene_.onStep = [](FrameStep step) {
        if (step == FrameStep::Sound) RaiseExitSignal();
    };
    Pass(*app);
    EXPECT_EQ(display_.presents, presents) << "the frame's picture is not drawn";
    EXPECT_FALSE(app->QuitPosted());
    scene_.onStep = nullptr;
    Pass(*app);
    EXPECT_TRUE(app->QuitPosted());
    EXPECT_EQ(display_.presents, presents);
}

TEST_F(LvMainLoop, AHostWindowThatGoesAwayEndsTheProgramQuietly) {
    SetMachine("Logging", 1u);
    const std::vector<std::vector<std::string>> lines = {{"--window-id", "0x2a"}, {"2b"}};
    for (const auto& line : lines) {
        SCOPED_TRACE(line.front());
        DesktopApp app(Services());
        int frames = 0;
        scene_.onStep = [&](FrameStep step) {
            if (step != FrameStep::Sound) return;
            if (++frames == 3) windows_.lastHost->exists = false;
            if (frames > 50) RaiseExitSignal(); // it never noticed: end the test
        };
        EXPECT_EQ(app.InitInstance(line), 0);
        EXPECT_TRUE(app.HostGone());
        EXPECT_EQ(frames, 3) << "no frame after the window went";
        EXPECT_TRUE(boxes_.empty());
        const std::string log = LogText();
        const std::string gone =
            "Window Gone! Exitting!  hwnd=" + std::string(line.size() > 1 ? "2a" : "2b");
        ASSERT_NE(log.find(gone), std::string::npos) << log;
        EXPECT_NE(log.find("Term done", log.find(gone)), std::string::npos) << log;
        std::filesystem::remove(dataRoot_ / "log.txt");
    }
    EXPECT_FALSE(OpenEvent(DesktopEvent::Exit)->Poll());
}

TEST_F(LvMainLoop, AnEndBySignalLeavesTheDriversToTheProcessEnd) {
    SetMachine("Logging", 1u);
    for (const bool processEndsAfter : {false, true}) {
        SCOPED_TRACE(processEndsAfter ? "the program's own" : "a test's");
        scene_.terms = display_.releases = display_.destroyed = 0;
        AppServices services = Services();
        services.processEndsAfter = processEndsAfter;
        DesktopApp app(std::move(services));
        scene_.onStep = [](FrameStep step) {
            if (step == FrameStep::Sound) RaiseExitSignal();
        };
        EXPECT_EQ(app.InitInstance({"--window-id", "0x2a"}), 0);
        // The process ends next: closing the sound device and the graphics
        // only waits on their threads. A test's program cleans up.
        EXPECT_EQ(scene_.terms, processEndsAfter ? 0 : 1);
        EXPECT_EQ(display_.releases, processEndsAfter ? 0 : 1);
        EXPECT_EQ(display_.destroyed, processEndsAfter ? 0 : 1);
        const std::string log = LogText();
        EXPECT_NE(log.find("Term done"), std::string::npos) << log;
        std::filesystem::remove(dataRoot_ / "log.txt");
    }
    // An end that no signal brought (Exit from the desktop's host) has no
    // deadline: everything is closed in order.
    scene_.terms = 0;
    AppServices services = Services();
    services.processEndsAfter = true;
    DesktopApp desktop(std::move(services));
    scene_.onStep = [this](FrameStep step) {
        if (step == FrameStep::Sound) OpenEvent(DesktopEvent::Exit)->Set();
    };
    EXPECT_EQ(desktop.InitInstance({"1a2b"}), 0);
    EXPECT_EQ(scene_.terms, 1);
}

TEST(LvFrameClock, FramesAreHeldAndTheGameStepCapped) {
    FrameClock clock;
    clock.Restart();
    clock.Advance(5000, false);
    EXPECT_FLOAT_EQ(clock.FrameTime(), 0.0f);
    EXPECT_FLOAT_EQ(clock.PreviousFrameTime(), FrameClock::kShortestRemembered);
    clock.Advance(5040, false);
    EXPECT_NEAR(clock.FrameTime(), 0.04f, 1e-6);
    // A frame of two seconds counts as 1.5 times the one before.
    clock.Advance(7040, false);
    EXPECT_NEAR(clock.FrameTime(), 0.06f, 1e-6);
    for (int i = 0; i < 10; ++i)
        clock.Advance(9040 + uint32_t(i) * 2000, false);
    EXPECT_FLOAT_EQ(clock.FrameTime(), FrameClock::kLongestFrame);
    EXPECT_FLOAT_EQ(clock.GameStep(), FrameClock::kLongestGameStep);
    clock.SetTimeScale(0.2f);
    clock.Advance(9040 + 10 * 2000, false);
    EXPECT_FLOAT_EQ(clock.GameStep(), 0.05f);
    clock.Advance(9040 + 11 * 2000, true);
    EXPECT_FLOAT_EQ(clock.GameStep(), 0.0f);

    // Across the wrap of the 32-bit clock.
    FrameClock wrapping;
    wrapping.Restart();
    wrapping.Advance(0xFFFFFFF0u, false);
    wrapping.Advance(0x00000010u, false);
    EXPECT_NEAR(wrapping.FrameTime(), 0.032f, 1e-6);
    EXPECT_EQ(wrapping.RealTimeMs(), 32u);
}
