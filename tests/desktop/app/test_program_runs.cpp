// The program from the command line to its end: each mode makes only its
// named objects, the desktop runs until Exit is signalled, a missing host
// window ends it quietly, the screensaver host's window is the one drawn
// into, and SIGTERM ends it in every state.
#include "desktop/app/exit_signal.h"
#include "tests/desktop/app/app_test_support.h"

#include <signal.h>
#include <unistd.h>

#include <thread>

using namespace lumivane;
using namespace app_test;
using platform_test::Child;

namespace {

class LvProgram : public AppTest {
protected:
    bool SegmentExists(const std::string& name) {
        return std::filesystem::exists(SegmentFile(name));
    }
    int EventSegments() {
        int count = 0;
        for (const auto& desc : kDesktopEvents) {
            std::string name = desc.name;
            for (char& c : name)
                if (c == ':' || c == ' ') c = '_';
            name.erase(std::unique(name.begin(), name.end(),
                                   [](char a, char b) { return a == '_' && b == '_'; }),
                       name.end());
            count += SegmentExists(name);
        }
        return count;
    }
};

} // namespace

TEST_F(LvProgram, EachModeMakesOnlyItsNamedObjects) {
    {
        DesktopApp app(Services());
        ASSERT_TRUE(app.SetUpMode({"1a2b"}));
        EXPECT_TRUE(app.DesktopMode());
        EXPECT_EQ(EventSegments(), 8);
        EXPECT_TRUE(SegmentExists("Lumivane_File_Mapping"));
        EXPECT_FALSE(SegmentExists("Lumivane_Screensaver_running"));
        auto mapping = platform::SharedBlock::Create(kFileMappingName);
        ASSERT_TRUE(mapping);
        EXPECT_EQ(mapping->Word(kRequestWord), 0u);
        EXPECT_EQ(mapping->Word(kProcessIdWord), uint32_t(getpid()));
        // Loading and Preload start signalled.
        EXPECT_TRUE(OpenEvent(DesktopEvent::Loading)->Poll());
        EXPECT_TRUE(OpenEvent(DesktopEvent::Preload)->Poll());
        EXPECT_FALSE(OpenEvent(DesktopEvent::Exit)->Poll());
    }
    {
        DesktopApp app(Services());
        ASSERT_TRUE(app.SetUpMode({}));
        EXPECT_TRUE(app.ScreensaverMode());
        EXPECT_TRUE(SegmentExists("Lumivane_Screensaver_running"));
        EXPECT_EQ(EventSegments(), 0);
        EXPECT_FALSE(SegmentExists("Lumivane_File_Mapping"));
    }
    {
        DesktopApp app(Services());
        ASSERT_TRUE(app.SetUpMode({"/w1a2b"}));
        EXPECT_TRUE(app.WindowMode());
        EXPECT_EQ(EventSegments(), 0);
        EXPECT_FALSE(SegmentExists("Lumivane_File_Mapping"));
        EXPECT_FALSE(SegmentExists("Lumivane_Screensaver_running"));
    }
}

TEST_F(LvProgram, DesktopRunsUntilExitIsSignalledThenEndsCleanly) {
    SetMachine("Logging", 1u);
    DesktopApp app(Services());
    std::thread outsider([&] {
        auto exitEvent = OpenEvent(DesktopEvent::Exit);
        // Let the program reach its loop before asking it to end.
        while (LogText().find("Starting hwnd=") == std::string::npos)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        exitEvent->Set();
    });
    const int code = app.InitInstance({"1a2b"});
    outsider.join();
    EXPECT_EQ(code, 0);
    const std::string log = LogText();
    EXPECT_NE(log.find("Starting hwnd=1a2b"), std::string::npos) << log;
    EXPECT_NE(log.find("Exit event signaled"), std::string::npos) << log;
    EXPECT_NE(log.find("Term done"), std::string::npos) << log;
    EXPECT_LT(log.find("Exit event signaled"), log.find("Term done"));
    EXPECT_TRUE(boxes_.empty());
    EXPECT_GT(app.FrameNumber(), 0u);
    // Term wrote the process id again.
    auto mapping = platform::SharedBlock::Create(kFileMappingName);
    EXPECT_EQ(mapping->Word(kProcessIdWord), uint32_t(getpid()));
}

TEST_F(LvProgram, AMissingHostWindowEndsQuietly) {
    SetMachine("Logging", 1u);
    windows_.foreignExists = false;
    DesktopApp app(Services());
    EXPECT_EQ(app.InitInstance({"beef"}), 0);
    EXPECT_NE(LogText().find("Window Gone! Exitting!  hwnd=beef"), std::string::npos) << LogText();
    EXPECT_EQ(display_.creates, 0);
    EXPECT_TRUE(boxes_.empty());
    // Too large a number is a window that is not there.
    DesktopApp tooLarge(Services());
    EXPECT_EQ(tooLarge.InitInstance({"1ffffffff"}), 0);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(LvProgram, AMalformedHostWindowIdIsRefusedWithoutShowingAnything) {
    testing::internal::CaptureStderr();
    DesktopApp app(Services());
    EXPECT_EQ(app.InitInstance({"--window-id", "0xZZZ"}), 1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("\"0xZZZ\" is not a window id"), std::string::npos) << err;
    EXPECT_EQ(windows_.screensaverWindows, 0);
    EXPECT_TRUE(windows_.foreign.empty());
    EXPECT_EQ(display_.creates, 0);
    EXPECT_FALSE(SegmentExists("Lumivane_Screensaver_running"));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(LvProgram, TheScreensaverHostsWindowIsDrawnIntoAndSigtermEnds) {
    setenv("XSCREENSAVER_WINDOW", "0x2a", 1);
    DesktopApp app(Services());
    std::thread host([&] {
        while (display_.presents == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        RaiseExitSignal(); // what SIGTERM does
    });
    const int code = app.InitInstance({"--root"});
    host.join();
    unsetenv("XSCREENSAVER_WINDOW");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(windows_.foreign, std::vector<uint64_t>{0x2a});
    EXPECT_EQ(windows_.screensaverWindows, 0); // no windows of its own
    ASSERT_FALSE(display_.createdFor.empty());
    EXPECT_EQ(display_.createdFor.front(), 0x2au);
    EXPECT_TRUE(SegmentExists("Lumivane_Screensaver_running"));
}

TEST_F(LvProgram, RootWithoutAHostWindowSaysItRunsFullScreen) {
    unsetenv("XSCREENSAVER_WINDOW");
    testing::internal::CaptureStderr();
    DesktopApp app(Services());
    ASSERT_TRUE(app.SetUpMode({"--root"}));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(app.ScreensaverMode());
    EXPECT_FALSE(app.Options().hostedScreensaver);
    EXPECT_NE(err.find("--root without XSCREENSAVER_WINDOW"), std::string::npos) << err;
}

TEST_F(LvProgram, AFailedDisplayIsReportedOnceAndTheDesktopTurnedOff) {
    platform::TestClock clock;
    platform::ScopedClock useClock(clock); // the pauses between tries pass at once
    display_.answers = {false, false, false, false};
    DesktopApp app(Services());
    EXPECT_EQ(app.InitInstance({"/w1a2b"}), 0); // window mode: no Paint to wait for
    EXPECT_EQ(display_.creates, 4);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], "Display failed");
}

TEST_F(LvProgram, ABadColourDepthRetriesTheRunUnlessExitIsSignalled) {
    platform::TestClock clock;
    platform::ScopedClock useClock(clock);
    SetMachine("Logging", 1u);
    DesktopApp app(Services());
    display_.answers = {false, false, false, false};
    display_.onCreate = [&] {
        if (display_.creates <= 4) app.SetBadColourDepth();
        if (display_.creates == 5) RaiseExitSignal(); // the retried run ends normally
    };
    EXPECT_EQ(app.InitInstance({"/w1a2b"}), 0);
    EXPECT_EQ(display_.creates, 5);
    const std::string log = LogText();
    EXPECT_NE(log.find("BadBPP, retrying"), std::string::npos) << log;
    EXPECT_TRUE(boxes_.empty()); // not the display-failed box

    // Exit with the first failed try: no more tries, no second run.
    DesktopApp again(Services());
    display_.answers = {false, false, false, false};
    display_.onCreate = [&] {
        again.SetBadColourDepth();
        RaiseExitSignal();
    };
    EXPECT_EQ(again.InitInstance({"/w1a2b"}), 0);
    EXPECT_EQ(display_.creates, 6);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(LvProgram, AnExitSignalWhileLoadingEndsTheStartThere) {
    SetMachine("Logging", 1u);
    scene_.duringModelLoad = [] { RaiseExitSignal(); };
    DesktopApp app(Services());
    EXPECT_EQ(app.InitInstance({"--window-id", "0x2a"}), 0);
    // Nothing after the models was loaded, nothing drawn, nothing asked.
    EXPECT_EQ(scene_.firstRunSetUps, 0);
    EXPECT_EQ(display_.presents, 0);
    EXPECT_TRUE(boxes_.empty());
    const std::string log = LogText();
    EXPECT_NE(log.find("Protobase: Exit event signaled"), std::string::npos) << log;
    EXPECT_NE(log.find("Term done"), std::string::npos) << log;
}

TEST_F(LvProgram, TheWatchdogLetsAWriteUnderWayFinish) {
    Child program({(platform_test::TestProgramFolder() / "lumivane_app_test_helper").string(),
                   "stuck-writing"});
    ASSERT_TRUE(program.Started());
    ASSERT_EQ(program.ReadLine(), "writing");
    kill(program.Pid(), SIGTERM);
    // The write takes longer than the grace, and still ends.
    EXPECT_EQ(program.ReadLine(), "written") << program.Stderr();
    EXPECT_EQ(program.Finish(), 0) << program.Stderr();
    EXPECT_NE(program.Stderr().find("ending now"), std::string::npos) << program.Stderr();
}

TEST_F(LvProgram, SigtermEndsTheProgramEvenWhereItIsStuckForGood) {
    for (const std::string state : {"loading", "drawing"}) {
        Child program({(platform_test::TestProgramFolder() / "lumivane_app_test_helper").string(),
                       "stuck-" + state});
        ASSERT_TRUE(program.Started());
        ASSERT_EQ(program.ReadLine(), state);
        kill(program.Pid(), SIGTERM);
        // It ends by itself, as after an orderly end.
        EXPECT_EQ(program.Finish(), 0) << state << ": " << program.Stderr();
        EXPECT_EQ(program.TermSignal(), 0) << state;
        EXPECT_NE(program.Stderr().find("ending now"), std::string::npos) << program.Stderr();
    }
}
