// The program itself on an X server of the test's own, as a person meets
// it: its message box fits the screen and goes when the program is ended,
// it ends quietly when the window it draws into is destroyed, and with a
// desktop on each of two displays the menu run on one turns off only that
// one's, while a hang-up ends the other as cleanly as SIGTERM. As the
// desktop, in this process: it pauses while other windows hide all of its
// window and goes on once any part shows, and its pointer keeps to the
// window's size when the owner resizes it.
#include "desktop/scene/world/mouse.h"
#include "platform/clock.h"
#include "platform/named/named_segment.h"
#include "tests/desktop/app/app_test_support.h"
#include "tests/desktop/app/private_x_server.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace app_test;
using platform_test::Child;

namespace {

using Clock = std::chrono::steady_clock;

class LvProgramOnX : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        // The program is to use the real X server, not the tests' headless
        // video driver.
        if (const char* driver = std::getenv("SDL_VIDEODRIVER")) savedDriver_ = driver;
        if (const char* display = std::getenv("DISPLAY")) savedDisplay_ = display;
    }
    void TearDown() override {
        Restore("SDL_VIDEODRIVER", savedDriver_);
        Restore("DISPLAY", savedDisplay_);
        AppTest::TearDown();
    }
    static void Restore(const char* name, const std::string& value) {
        if (value.empty()) {
            unsetenv(name);
        } else {
            setenv(name, value.c_str(), 1);
        }
    }
    // Programs started from now on use the server.
    void UseServer(const PrivateXServer& server) {
        unsetenv("SDL_VIDEODRIVER");
        setenv("DISPLAY", server.Name().c_str(), 1);
    }

    // Waits up to `seconds` for `done`; false when it never came.
    template <typename Test> static bool WaitFor(int seconds, Test done) {
        const auto deadline = Clock::now() + std::chrono::seconds(seconds);
        while (!done()) {
            if (Clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }

    // The program's exit code; a program that has not ended within 20 s
    // is killed (and the code is -1).
    static int FinishWithin20s(Child& program) {
        return program.FinishWithin(std::chrono::seconds(20));
    }

    // The named objects of the programs on that server (their names begin
    // with the test's prefix and the server's display).
    int ObjectsOn(const PrivateXServer& server) {
        const char* display = std::getenv("DISPLAY");
        const std::string saved = display ? display : "";
        setenv("DISPLAY", server.Name().c_str(), 1);
        const std::string begin = platform::named_detail::SystemName("").substr(1);
        Restore("DISPLAY", saved);
        int count = 0;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ec))
            count += entry.path().filename().string().rfind(begin, 0) == 0;
        return count;
    }

    // Runs the menu's host program on that server to its end.
    void Menu(const PrivateXServer& server, const std::string& command) {
        UseServer(server);
        Child menu({LUMIVANE_MENU_HOST, command});
        EXPECT_EQ(menu.Finish(), 0) << command << ": " << menu.Stderr();
    }

    // Whether the program still runs (it is not reaped here).
    static bool StillRuns(const Child& program) {
        siginfo_t info{};
        return waitid(P_PID, id_t(program.Pid()), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == 0;
    }

    std::string savedDriver_, savedDisplay_;
};

// The program's own data, so that it draws its scenes.
std::string ProgramData() {
    return (std::filesystem::path(LUMIVANE_PROGRAM).parent_path() / "LumivaneData").string();
}

// The whole program in this process with its own windows, display and scene
// engine, as the desktop drawing into a window of the test's (320 x 240 at
// the screen's corner), one pass at a time on a test clock.
class LvDesktopOnX : public LvProgramOnX {
protected:
    void SetUp() override {
        LvProgramOnX::SetUp();
        if (server_.Name().empty()) GTEST_SKIP() << "Xvfb is not installed";
        x_ = XOpenDisplay(server_.Name().c_str());
        ASSERT_TRUE(x_);
        UseServer(server_);
        host_ = XCreateSimpleWindow(x_, DefaultRootWindow(x_), 0, 0, kWidth, kHeight, 0, 0, 0);
        XMapWindow(x_, host_);
        XSync(x_, False);
        SetMachine("WorkingDir", ProgramData());
        SetUser(lumivane::values::kRandomStartup, uint8_t(0));
        SetUser(lumivane::values::kScene, std::string("fleet.mis"));
        useClock_ = std::make_unique<platform::ScopedClock>(clock_);
        lumivane::AppServices services = lumivane::DefaultAppServices();
        services.processEndsAfter = false;
        app_ = std::make_unique<lumivane::DesktopApp>(std::move(services));
        char id[32];
        std::snprintf(id, sizeof id, "%lx", static_cast<unsigned long>(host_));
        ASSERT_TRUE(app_->SetUpMode({id}));
        ASSERT_EQ(app_->Startup(), lumivane::DesktopApp::StartupResult::Ready);
        app_->BeginRun();
        ASSERT_EQ(app_->FirstRun(), lumivane::DesktopApp::FirstRunResult::Ready);
        app_->ReadyToLoop();
        ASSERT_TRUE(PassUntil([&] { return Drawing(); })) << "it never drew";
    }
    void TearDown() override {
        app_.reset();
        useClock_.reset();
        if (x_) XCloseDisplay(x_);
        LvProgramOnX::TearDown();
    }

    // One turn of the message pump: the pointer's events, then a pass.
    void Pass() {
        clock_.AdvanceMilliseconds(33);
        app_->PumpEvents();
        app_->MainLoopPass();
    }
    // Passes until `done` (the X server answers in its own time), for up to
    // 10 s; false when it never came.
    template <typename Test> bool PassUntil(Test done) {
        return WaitFor(10, [&] {
            Pass();
            return done();
        });
    }
    // Frames are being drawn: the device is there and the frame count grows.
    bool Drawing() {
        const uint32_t frame = app_->FrameNumber();
        Pass();
        return app_->Display()->HasDevice() && app_->FrameNumber() > frame;
    }
    // Puts the pointer at that place of the window (at the screen's corner).
    void PointerAt(int px, int py) {
        XWarpPointer(x_, 0, DefaultRootWindow(x_), 0, 0, 0, 0, px, py);
        XSync(x_, False);
    }

    static constexpr int kWidth = 320, kHeight = 240;
    PrivateXServer server_{"320x240x24"};
    Display* x_ = nullptr;
    ::Window host_ = 0;
    platform::TestClock clock_{1000};
    std::unique_ptr<platform::ScopedClock> useClock_;
    std::unique_ptr<lumivane::DesktopApp> app_;
};

// How many pixels of the window are not black.
int LitPixels(Display* x, ::Window window, int width, int height) {
    XImage* image =
        XGetImage(x, window, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!image) return 0;
    int lit = 0;
    for (int py = 0; py < height; ++py)
        for (int px = 0; px < width; ++px)
            lit += (XGetPixel(image, px, py) & 0xFFFFFF) != 0;
    XDestroyImage(image);
    return lit;
}

// The top-level windows whose class is the message box's.
std::vector<XWindowAttributes> MessageBoxes(Display* x) {
    std::vector<XWindowAttributes> found;
    XSync(x, False);
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) return found;
    for (unsigned i = 0; i < count; ++i) {
        XClassHint hint{};
        if (!XGetClassHint(x, children[i], &hint)) continue;
        const bool box = hint.res_name && std::string(hint.res_name) == "messagebox";
        XFree(hint.res_name);
        XFree(hint.res_class);
        XWindowAttributes attributes;
        if (box && XGetWindowAttributes(x, children[i], &attributes)) found.push_back(attributes);
    }
    XFree(children);
    return found;
}

} // namespace

TEST_F(LvProgramOnX, ItsBoxFitsTheScreenAndGoesWhenTheProgramIsEnded) {
    PrivateXServer server("640x480x24");
    if (server.Name().empty()) GTEST_SKIP() << "Xvfb is not installed";
    Display* x = XOpenDisplay(server.Name().c_str());
    ASSERT_TRUE(x);
    // The data folder is missing: the program says so in a box and waits.
    SetMachine("WorkingDir", (Dir() / "nowhere").string());
    UseServer(server);
    Child program({LUMIVANE_PROGRAM, "--window"});
    ASSERT_TRUE(program.Started());
    std::vector<XWindowAttributes> boxes;
    ASSERT_TRUE(WaitFor(30, [&] { return !(boxes = MessageBoxes(x)).empty(); })) << "no box came";
    ASSERT_EQ(boxes.size(), 1u);
    // Its text (wider than the screen on one line) is wrapped to the screen.
    const XWindowAttributes& box = boxes.front();
    EXPECT_GE(box.x, 0);
    EXPECT_LE(box.x + box.width, 640);
    EXPECT_GT(box.height, 100) << "more than one line of text above the button";

    kill(program.Pid(), SIGTERM);
    EXPECT_EQ(FinishWithin20s(program), 1) << program.Stderr(); // it could not start
    EXPECT_NE(program.Stderr().find("does not exist"), std::string::npos) << program.Stderr();
    // Nothing of it stays on the screen.
    EXPECT_TRUE(MessageBoxes(x).empty());
    XCloseDisplay(x);
}

TEST_F(LvProgramOnX, ItEndsQuietlyWhenTheWindowItDrawsIntoIsDestroyed) {
    PrivateXServer server("320x240x24");
    if (server.Name().empty()) GTEST_SKIP() << "Xvfb is not installed";
    Display* x = XOpenDisplay(server.Name().c_str());
    ASSERT_TRUE(x);
    UseServer(server);
    // The program's own data, so that it draws its scenes.
    SetMachine("WorkingDir",
               (std::filesystem::path(LUMIVANE_PROGRAM).parent_path() / "LumivaneData").string());
    // As a screensaver host hands it over, and as the desktop's host.
    for (const bool desktop : {false, true}) {
        SCOPED_TRACE(desktop ? "desktop" : "screensaver host");
        const ::Window host = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 96, 72, 0, 0, 0);
        XMapWindow(x, host);
        XSync(x, False);
        char id[32];
        std::snprintf(id, sizeof id, "0x%lx", static_cast<unsigned long>(host));
        Child program =
            desktop ? Child({LUMIVANE_PROGRAM, id}) : Child({LUMIVANE_PROGRAM, "--window-id", id});
        ASSERT_TRUE(program.Started());
        // Drawing: the load screen, then the scene.
        ASSERT_TRUE(WaitFor(60, [&] { return LitPixels(x, host, 96, 72) > 96 * 72 / 2; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        XDestroyWindow(x, host);
        XSync(x, False);
        EXPECT_EQ(FinishWithin20s(program), 0) << program.Stderr();
        EXPECT_EQ(program.Stderr().find("X Error"), std::string::npos) << program.Stderr();
    }
    XCloseDisplay(x);
}

TEST_F(LvDesktopOnX, ItPausesWhileWindowsAboveHideAllOfItAndGoesOnOnceAnyPartShows) {
    // A window over part of it: it draws on.
    const ::Window cover = XCreateSimpleWindow(x_, DefaultRootWindow(x_), 40, 30, 100, 80, 0, 0, 0);
    XMapWindow(x_, cover);
    XSync(x_, False);
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(Drawing()) << "pass " << i;
    // A maximised application over all of it: a still picture, no device,
    // no frames.
    XMoveResizeWindow(x_, cover, 0, 0, kWidth, kHeight);
    XSync(x_, False);
    ASSERT_TRUE(PassUntil([&] { return !app_->Display()->HasDevice(); })) << "it never paused";
    const uint32_t frame = app_->FrameNumber();
    for (int i = 0; i < 10; ++i)
        Pass();
    EXPECT_FALSE(app_->Display()->HasDevice());
    EXPECT_EQ(app_->FrameNumber(), frame);
    // One row of it showing is enough to go on.
    XMoveWindow(x_, cover, 0, 1);
    XSync(x_, False);
    EXPECT_TRUE(PassUntil([&] { return Drawing(); })) << "it never went on";
    // Hidden again, then the cover goes away altogether.
    XMoveWindow(x_, cover, 0, 0);
    XSync(x_, False);
    ASSERT_TRUE(PassUntil([&] { return !app_->Display()->HasDevice(); }));
    XDestroyWindow(x_, cover);
    XSync(x_, False);
    EXPECT_TRUE(PassUntil([&] { return Drawing(); }));
}

TEST_F(LvDesktopOnX, ThePointerKeepsToTheWindowWhenItsOwnerResizesIt) {
    const lumivane::Mouse& mouse = app_->MouseState();
    // Three quarters across, a quarter down: x 0.5, y -0.375 (the holder's
    // y runs -0.75 to 0.75).
    const auto there = [&] {
        return mouse.overWindow == 1 && std::abs(mouse.x - 0.5f) < 0.01f &&
               std::abs(mouse.y + 0.375f) < 0.01f;
    };
    PointerAt(240, 60);
    EXPECT_TRUE(PassUntil(there)) << mouse.x << ", " << mouse.y;
    for (const auto& [width, height] : {std::pair{160, 120}, std::pair{300, 225}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        XResizeWindow(x_, host_, unsigned(width), unsigned(height));
        XSync(x_, False);
        ASSERT_TRUE(PassUntil([&] { return mouse.width == width && mouse.height == height; }))
            << "the mouse holder kept " << mouse.width << "x" << mouse.height;
        // The same place of the new size reads as the same place.
        PointerAt(width * 3 / 4, height / 4);
        EXPECT_TRUE(PassUntil(there)) << mouse.x << ", " << mouse.y;
        EXPECT_TRUE(Drawing());
    }
}

TEST_F(LvProgramOnX, TheMenuTurnsOffTheDesktopOfItsOwnDisplayOnly) {
    PrivateXServer servers[2];
    if (servers[0].Name().empty() || servers[1].Name().empty())
        GTEST_SKIP() << "Xvfb is not installed";
    Menu(servers[0], "register");
    // A desktop on each display, each drawing into the window its host made.
    std::unique_ptr<Child> desktops[2];
    Display* connections[2] = {};
    for (int i = 0; i < 2; ++i) {
        connections[i] = XOpenDisplay(servers[i].Name().c_str());
        ASSERT_TRUE(connections[i]);
        Display* x = connections[i];
        const ::Window host = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 64, 64, 0, 0, 0);
        XMapWindow(x, host);
        XSync(x, False);
        char id[32];
        std::snprintf(id, sizeof id, "0x%lx", static_cast<unsigned long>(host));
        UseServer(servers[i]);
        desktops[i] = std::make_unique<Child>(std::vector<std::string>{LUMIVANE_PROGRAM, id});
        ASSERT_TRUE(desktops[i]->Started());
    }
    const int kObjects = lumivane::kDesktopEventCount + 1; // the events and the mapping
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(WaitFor(20, [&] { return ObjectsOn(servers[i]) == kObjects; }))
            << "display " << i << ": " << ObjectsOn(servers[i]);

    // Turned off on the first display: the first desktop ends, the second
    // runs on with its objects.
    Menu(servers[0], "turn-off");
    EXPECT_EQ(FinishWithin20s(*desktops[0]), 0) << desktops[0]->Stderr();
    EXPECT_EQ(ObjectsOn(servers[0]), 0);
    EXPECT_TRUE(StillRuns(*desktops[1]));
    EXPECT_EQ(ObjectsOn(servers[1]), kObjects);
    // Turned off there again, with no desktop left on it: nothing reaches
    // the other display's.
    Menu(servers[0], "turn-off");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_TRUE(StillRuns(*desktops[1]));
    EXPECT_EQ(ObjectsOn(servers[1]), kObjects);

    // The terminal it was started from goes away: it ends as on SIGTERM,
    // leaving nothing behind.
    kill(desktops[1]->Pid(), SIGHUP);
    EXPECT_EQ(FinishWithin20s(*desktops[1]), 0) << desktops[1]->Stderr();
    EXPECT_EQ(desktops[1]->TermSignal(), 0);
    EXPECT_EQ(ObjectsOn(servers[1]), 0);
    for (Display* x : connections)
        XCloseDisplay(x);
}
