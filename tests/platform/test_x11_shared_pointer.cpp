// The pointer over a window of another program, on an X server of the
// test's own: where it is and whether it is over the window (not hidden by
// one above), and its buttons and wheel, whether the window's owner takes
// the button presses itself from the start or only later; the owner gets
// them either way (X grants them to one client: we must never hold them).
#include "platform/x11_shared_pointer.h"
#include "platform/x11_windows.h"
#include "tests/desktop/app/private_x_server.h"

// Before Xlib, whose macros (None, Bool) would clash with it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

using platform::Event;
using platform::EventType;
using platform::SharedButtons;
using platform::SharedPointer;

namespace {

constexpr const char* kXdotool = "/usr/bin/xdotool";

int CountOf(const std::vector<Event>& events, EventType type) {
    int n = 0;
    for (const Event& e : events)
        n += e.type == type;
    return n;
}

// Polls for up to two seconds until an event of `until` came (or the time
// is up, to show that none comes).
std::vector<Event> PollFor(SharedPointer& pointer, EventType until,
                           std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
    std::vector<Event> events;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        pointer.Poll(events);
        if (CountOf(events, until) > 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return events;
}

void Warp(Display* x, int px, int py) {
    XWarpPointer(x, 0, DefaultRootWindow(x), 0, 0, 0, 0, px, py);
    XSync(x, False);
}

// A click of X button `button` where the pointer is, as a device makes it.
bool Click(const std::string& display, int button) {
    const std::string command =
        "DISPLAY=" + display + " " + kXdotool + " click " + std::to_string(button);
    return std::system(command.c_str()) == 0;
}

} // namespace

TEST(X11SharedPointer, AHandedWindowsPointerIsReadWithoutTakingItsOwnersButtons) {
    app_test::PrivateXServer server("200x150x24");
    if (server.Name().empty()) GTEST_SKIP() << "Xvfb is not installed";
    if (access(kXdotool, X_OK) != 0) GTEST_SKIP() << "xdotool is not installed";
    setenv("DISPLAY", server.Name().c_str(), 1);
    Display* owner = XOpenDisplay(server.Name().c_str());
    ASSERT_TRUE(owner);
    const ::Window root = DefaultRootWindow(owner);

    // A refusal (BadAccess) would end the test under Xlib's own handler: it
    // shows in the owner's event mask instead.
    platform::SetQuietXConnection(owner, true);
    const long plain = ExposureMask | StructureNotifyMask;
    const long presses = ButtonPressMask | ButtonReleaseMask;

    for (const bool ownerFirst : {true, false}) {
        SCOPED_TRACE(ownerFirst ? "the owner takes the presses first"
                                : "the owner takes them late");
        const ::Window window = XCreateSimpleWindow(owner, root, 20, 10, 100, 80, 0, 0, 0);
        XSelectInput(owner, window, ownerFirst ? plain | presses : plain);
        XMapWindow(owner, window);
        Warp(owner, 190, 140); // beside the window
        auto pointer = SharedPointer::Open(window);
        ASSERT_TRUE(pointer);
        EXPECT_EQ(pointer->Buttons(), SharedButtons::RawEvents);
        // A desktop turning its click menu on: X grants it the presses.
        if (!ownerFirst) XSelectInput(owner, window, plain | presses);
        XSync(owner, False);
        XWindowAttributes attributes;
        ASSERT_TRUE(XGetWindowAttributes(owner, window, &attributes));
        EXPECT_NE(attributes.your_event_mask & ButtonPressMask, 0) << "X refused the owner";

        std::vector<Event> events;
        pointer->Poll(events);
        EXPECT_EQ(CountOf(events, EventType::PointerEnter), 0);
        EXPECT_EQ(CountOf(events, EventType::MouseMove), 0) << "no position beside the window";

        // Over it: it enters, at the place in the window.
        Warp(owner, 50, 40);
        events.clear();
        pointer->Poll(events);
        ASSERT_EQ(CountOf(events, EventType::PointerEnter), 1);
        ASSERT_EQ(CountOf(events, EventType::MouseMove), 1);
        EXPECT_EQ(events.back().motion.x, 30);
        EXPECT_EQ(events.back().motion.y, 30);

        // A click and a wheel notch away from the user.
        ASSERT_TRUE(Click(server.Name(), 1));
        events = PollFor(*pointer, EventType::MouseButtonUp);
        ASSERT_EQ(CountOf(events, EventType::MouseButtonDown), 1);
        EXPECT_EQ(CountOf(events, EventType::MouseButtonUp), 1);
        for (const Event& e : events)
            if (e.type == EventType::MouseButtonDown) {
                EXPECT_EQ(e.button.button, platform::MouseLeft);
                EXPECT_EQ(e.button.x, 30);
                EXPECT_EQ(e.button.y, 30);
            }
        ASSERT_TRUE(Click(server.Name(), 4));
        events = PollFor(*pointer, EventType::MouseWheel);
        ASSERT_EQ(CountOf(events, EventType::MouseWheel), 1);
        for (const Event& e : events) {
            if (e.type == EventType::MouseWheel) {
                EXPECT_EQ(e.wheel.dy, 1);
            }
        }
        EXPECT_EQ(CountOf(events, EventType::MouseButtonDown), 0) << "the wheel is no button";
        XEvent event;
        XSync(owner, False);
        EXPECT_TRUE(XCheckTypedWindowEvent(owner, window, ButtonPress, &event))
            << "the owner gets its presses";

        // A window stacked above hides it there: the pointer leaves and a
        // click on that window is none of ours.
        const ::Window cover = XCreateSimpleWindow(owner, root, 40, 30, 40, 40, 0, 0, 0);
        XMapWindow(owner, cover);
        XSync(owner, False);
        events.clear();
        pointer->Poll(events);
        EXPECT_EQ(CountOf(events, EventType::PointerLeave), 1);
        ASSERT_TRUE(Click(server.Name(), 1));
        events = PollFor(*pointer, EventType::MouseButtonDown, std::chrono::milliseconds(500));
        EXPECT_EQ(CountOf(events, EventType::MouseButtonDown), 0);
        EXPECT_EQ(CountOf(events, EventType::MouseMove), 0);

        pointer.reset();
        XDestroyWindow(owner, cover);
        XDestroyWindow(owner, window);
        XSync(owner, False);
    }
    XCloseDisplay(owner);
    platform::SetQuietXConnection(owner, false);
}
