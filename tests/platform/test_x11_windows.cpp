// Windows of other programs on an X server of the test's own: one that its
// owner destroys while we watch it is reported gone, and the errors of
// requests about it no longer end the process.
#include "platform/x11_windows.h"
#include "tests/desktop/app/private_x_server.h"

// Before Xlib, whose macros (None, Bool) would clash with it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cstdlib>

namespace {

// Runs in a process of its own (a death test): the query connection is
// made once per process, for the display in $DISPLAY. Exit codes: 0 all
// held, 2 and up the first check that failed.
[[noreturn]] void WatchAWindowGoAway(const std::string& displayName, bool watched) {
    setenv("DISPLAY", displayName.c_str(), 1);
    Display* owner = XOpenDisplay(displayName.c_str());
    Display* drawer = XOpenDisplay(displayName.c_str()); // as the GL driver's
    if (!owner || !drawer) std::_Exit(2);
    const ::Window window =
        XCreateSimpleWindow(owner, DefaultRootWindow(owner), 0, 0, 40, 30, 0, 0, 0);
    XMapWindow(owner, window);
    XSync(owner, False);
    if (watched) platform::WatchForeignWindow(window);
    platform::ForeignWindowState state;
    if (!platform::QueryX11Window(window, state) || state.width != 40) std::_Exit(3);
    if (platform::ForeignWindowGone(window)) std::_Exit(4);

    XDestroyWindow(owner, window);
    XSync(owner, False);
    // What a driver drawing into it asks next: Xlib's default handler
    // would end the process here.
    ::Window root;
    int x, y;
    unsigned width, height, border, depth;
    XGetGeometry(drawer, window, &root, &x, &y, &width, &height, &border, &depth);
    XSync(drawer, False);
    if (!platform::ForeignWindowGone(window)) std::_Exit(5);
    if (platform::QueryX11Window(window, state)) std::_Exit(6);
    std::_Exit(0);
}

} // namespace

TEST(X11ForeignWindows, AWatchedWindowThatGoesAwayIsGoneAndEndsNothing) {
    app_test::PrivateXServer server;
    if (server.Name().empty()) GTEST_SKIP() << "Xvfb is not installed";
    EXPECT_EXIT(WatchAWindowGoAway(server.Name(), true), testing::ExitedWithCode(0), "");
    // A window nobody watches is no business of ours: its errors go on to
    // the handler before, here Xlib's own, which ends the process with 1.
    EXPECT_EXIT(WatchAWindowGoAway(server.Name(), false), testing::ExitedWithCode(1),
                "BadDrawable|BadWindow");
}
