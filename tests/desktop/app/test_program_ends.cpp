// How the program answers and ends: the usage on asking and on an unknown
// option, a word on stderr when its display cannot be opened, the menu's
// turn-off ending a running desktop (a random scene asked for and not yet
// taken is answered in the settings first), and every way out leaving none
// of the desktop's named objects behind.
#include "desktop/app/exit_signal.h"
#include "tests/desktop/app/app_test_support.h"

#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

using namespace lumivane;
using namespace app_test;
using platform_test::Child;

namespace {

class LvProgramEnds : public AppTest {
protected:
    // The segments of this test's named objects that exist (on any display).
    int NamedObjects() const {
        const std::string& prefix = NamedPrefix();
        int count = 0;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ec))
            count += entry.path().filename().string().rfind(prefix, 0) == 0;
        return count;
    }
    // Runs the menu's host program to its end; answers its exit code.
    int Menu(const std::vector<std::string>& args, std::string* out = nullptr) {
        std::vector<std::string> argv = {LUMIVANE_MENU_HOST};
        argv.insert(argv.end(), args.begin(), args.end());
        Child child(argv);
        const int code = child.Finish();
        if (out) *out = child.Stdout();
        EXPECT_EQ(code, 0) << args[0] << ": " << child.Stderr();
        return code;
    }
    // The line of the popup's "Animated Desktop" item.
    std::string AnimatedDesktopItem() {
        std::string listing;
        Menu({"list"}, &listing);
        std::istringstream lines(listing);
        for (std::string line; std::getline(lines, line);)
            if (line.find("\"Animated Desktop\"") != std::string::npos) return line;
        ADD_FAILURE() << listing;
        return {};
    }
};

} // namespace

TEST_F(LvProgramEnds, HelpGoesToStdoutAndAnUnknownOptionIsRefusedWithTheUsage) {
    for (const char* ask : {"--help", "-h"}) {
        Child program({LUMIVANE_PROGRAM, ask});
        EXPECT_EQ(program.Finish(), 0) << ask;
        EXPECT_EQ(program.Stdout().rfind("usage: Lumivane", 0), 0u) << program.Stdout();
        EXPECT_NE(program.Stdout().find("--window-id"), std::string::npos);
        EXPECT_EQ(program.Stderr(), "") << ask;
    }
    // Anywhere on the line; a negative number stays the old number form.
    for (const std::vector<std::string>& line :
         {std::vector<std::string>{"--bogus"}, {"1a2b", "--fullscreen"}, {"-x"}}) {
        std::vector<std::string> argv = {LUMIVANE_PROGRAM};
        argv.insert(argv.end(), line.begin(), line.end());
        Child program(argv);
        EXPECT_EQ(program.Finish(), kExitUsage) << line.back();
        EXPECT_EQ(program.Stdout(), "");
        EXPECT_NE(program.Stderr().find("unknown option " + line.back()), std::string::npos)
            << program.Stderr();
        EXPECT_NE(program.Stderr().find("usage: Lumivane"), std::string::npos);
    }
    EXPECT_EQ(NamedObjects(), 0); // nothing was started
}

TEST_F(LvProgramEnds, WithoutItsDisplayEveryStartModeSaysWhichAndEndsAtOnce) {
    // No off-screen driver asked for, as a person starts it (the fixture
    // puts the tests' own back).
    unsetenv("SDL_VIDEODRIVER");
    for (const platform_test::MissingDisplay& missing : platform_test::EachMissingDisplay()) {
        missing.Use();
        for (const std::vector<std::string>& words : {std::vector<std::string>{"--window"},
                                                      {},
                                                      {"0x400001"},
                                                      {"/w", "0x400001"},
                                                      {"--window-id", "0x400001"}}) {
            std::vector<std::string> argv = {LUMIVANE_PROGRAM};
            argv.insert(argv.end(), words.begin(), words.end());
            SCOPED_TRACE(missing.Shown() + " " + (words.empty() ? "" : words.back()));
            const auto start = std::chrono::steady_clock::now();
            Child program(argv);
            ASSERT_TRUE(program.Started());
            const int code = program.FinishWithin(std::chrono::seconds(20));
            const auto took = std::chrono::steady_clock::now() - start;
            EXPECT_EQ(code, 1);
            EXPECT_EQ(program.Stderr(), "Lumivane: " + missing.said + "\n");
            // The fault this guards against ran on for good, or ended
            // without a word.
            EXPECT_LT(took, platform_test::kAtOnce);
            EXPECT_EQ(NamedObjects(), 0);
        }
    }
}

TEST_F(LvProgramEnds, TurningTheAnimatedDesktopOffEndsTheRunningDesktop) {
    SetMachine("Logging", 1u);
    // The menu's words, read from the same data folder.
    shell_test::WriteFile(dataRoot_ / "Langfile.csv",
                          shell_test::ReadFile(dataRoot_ / "Langfile.csv") +
                              "10114,menu,Animated Desktop\n");
    ASSERT_EQ(Menu({"register"}), 0);
    ASSERT_EQ(Menu({"turn-on"}), 0);
    auto app = std::make_unique<DesktopApp>(Services());
    std::string itemWhileRunning;
    std::atomic<bool> ended{false};
    bool fellBack = false;
    std::thread user([&] {
        while (LogText().find("Starting hwnd=") == std::string::npos)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        itemWhileRunning = AnimatedDesktopItem();
        std::istringstream words(itemWhileRunning);
        std::string item, id;
        words >> item >> id;
        Menu({"invoke", id});
        // The program must end by itself; this only keeps a failing test
        // from hanging.
        for (int i = 0; i < 500 && !ended; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!ended) {
            fellBack = true;
            RaiseExitSignal();
        }
    });
    EXPECT_EQ(app->InitInstance({"1a2b"}), 0);
    ended = true;
    user.join();
    app.reset();
    EXPECT_FALSE(fellBack) << "the program did not end when turned off";
    EXPECT_NE(itemWhileRunning.find("check=1"), std::string::npos) << itemWhileRunning;
    const std::string log = LogText();
    EXPECT_NE(log.find("Exit event signaled"), std::string::npos) << log;
    EXPECT_NE(log.find("Term done"), std::string::npos) << log;
    EXPECT_TRUE(boxes_.empty());
    // The desktop is off, and nothing of the program is left.
    EXPECT_NE(AnimatedDesktopItem().find("check=0"), std::string::npos);
    EXPECT_EQ(NamedObjects(), 0);
}

TEST_F(LvProgramEnds, ARandomSceneAskedForAtTheEndIsAnsweredInTheSettings) {
    for (const char* name : {"a.mis", "b.mis"})
        shell_test::WriteFile(dataRoot_ / "scenes" / name, "MISS");
    SetUser(values::kRandomStartup, uint8_t(0));
    SetUser(values::kScene, std::string("a.mis"));
    auto app = ReadyApp({"1a2b"});
    // The menu asks for a random scene and turns the desktop off before a
    // pass took the request.
    SetUser(values::kRandomNow, uint8_t(1));
    OpenEvent(DesktopEvent::Exit)->Set();
    app->MainLoopPass();
    ASSERT_TRUE(app->QuitPosted());
    app->Term();
    SettingsKey key;
    ASSERT_TRUE(key.OpenKeys());
    EXPECT_EQ(key.Read(values::kRandomNow), 0);
    EXPECT_EQ(key.Read(values::kScene), "b.mis"); // the only other scene
}

TEST_F(LvProgramEnds, EveryWayOutRemovesTheDesktopsNamedObjects) {
    // Stuck for good while loading: the exit signal's watchdog ends it, on
    // SIGTERM as on a hang-up.
    for (const int signal : {SIGTERM, SIGHUP}) {
        Child program({(platform_test::TestProgramFolder() / "lumivane_app_test_helper").string(),
                       "stuck-desktop"});
        ASSERT_EQ(program.ReadLine(), "loading");
        EXPECT_EQ(NamedObjects(), kDesktopEventCount + 1); // the events and the mapping
        kill(program.Pid(), signal);
        EXPECT_EQ(program.Finish(), 0) << program.Stderr();
        EXPECT_NE(program.Stderr().find("ending now"), std::string::npos) << program.Stderr();
        EXPECT_EQ(NamedObjects(), 0) << strsignal(signal);
    }
    // No data folder: the error box ends it, by itself or on SIGTERM.
    SetMachine("WorkingDir", (Dir() / "nowhere").string());
    for (const bool terminate : {false, true}) {
        Child program({LUMIVANE_PROGRAM, "1a2b"});
        ASSERT_TRUE(program.Started());
        if (terminate) {
            // Once it made its objects (or ended by itself already).
            for (int i = 0; i < 400 && NamedObjects() == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            kill(program.Pid(), SIGTERM);
        }
        const int code = program.Finish();
        EXPECT_EQ(program.TermSignal(), 0) << program.Stderr();
        if (!terminate) {
            EXPECT_EQ(code, 1);
            EXPECT_NE(program.Stderr().find("data folder"), std::string::npos) << program.Stderr();
        }
        EXPECT_EQ(NamedObjects(), 0) << (terminate ? "SIGTERM" : "by itself");
    }
}

TEST_F(LvProgramEnds, AHangUpEndsTheScreenSaverAsSigtermDoes) {
    SetMachine("Logging", 1u);
    Child program({LUMIVANE_PROGRAM});
    ASSERT_TRUE(program.Started());
    // Once it runs its main loop.
    for (int i = 0; i < 2000 && LogText().find("Starting hwnd=") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_NE(LogText().find("Starting hwnd="), std::string::npos) << LogText();
    EXPECT_TRUE(std::filesystem::exists(SegmentFile("Lumivane_Screensaver_running")));
    kill(program.Pid(), SIGHUP);
    EXPECT_EQ(program.Finish(), 0) << program.Stderr();
    EXPECT_EQ(program.TermSignal(), 0);
    EXPECT_EQ(NamedObjects(), 0);
}
