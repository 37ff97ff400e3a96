// Whether any part of a window of another program shows, on an X server of
// the test's own: told by X as windows come and go above it, and worked out
// from the stacking order when the asking starts with the window already
// behind others (whole windows, a shape with a hole, a frame around it).
#include "platform/x11_visibility.h"
#include "tests/desktop/app/private_x_server.h"

// Before Xlib, whose macros (None, Bool) would clash with it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using platform::WindowVisibility;

namespace {

class X11Visibility : public ::testing::Test {
protected:
    void SetUp() override {
        if (server_.Name().empty()) GTEST_SKIP() << "Xvfb is not installed";
        setenv("DISPLAY", server_.Name().c_str(), 1);
        x_ = XOpenDisplay(server_.Name().c_str());
        ASSERT_TRUE(x_);
        root_ = DefaultRootWindow(x_);
        window_ = Make(root_, 20, 10, 100, 80);
    }
    void TearDown() override {
        if (x_) XCloseDisplay(x_);
    }
    ::Window Make(::Window parent, int x, int y, int width, int height, bool map = true) {
        const ::Window made =
            XCreateSimpleWindow(x_, parent, x, y, unsigned(width), unsigned(height), 0, 0, 0);
        if (map) XMapWindow(x_, made);
        XSync(x_, False);
        return made;
    }
    // What the visibility says once X had the time to tell it `expected`
    // (two seconds); what it said last when that never came.
    static bool Settles(WindowVisibility& visibility, bool expected) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        bool covered = visibility.FullyCovered();
        while (covered != expected && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            covered = visibility.FullyCovered();
        }
        return covered;
    }
    // A second, fresh look, as a program started now takes it.
    bool CoveredAtStart() {
        XSync(x_, False);
        auto visibility = WindowVisibility::Open(window_);
        return visibility && visibility->FullyCovered();
    }

    app_test::PrivateXServer server_{"200x150x24"};
    Display* x_ = nullptr;
    ::Window root_ = 0, window_ = 0;
};

} // namespace

TEST_F(X11Visibility, XTellsWhenWindowsAboveCoverAllOfIt) {
    auto visibility = WindowVisibility::Open(window_);
    ASSERT_TRUE(visibility);
    EXPECT_FALSE(visibility->FullyCovered());

    // A part of it hidden still shows the rest.
    const ::Window part = Make(root_, 40, 30, 40, 40);
    EXPECT_FALSE(Settles(*visibility, true));
    // All of it hidden (a maximised application).
    const ::Window whole = Make(root_, 0, 0, 200, 150);
    EXPECT_TRUE(Settles(*visibility, true));
    // Any part showing again is enough.
    XMoveWindow(x_, whole, 0, 11); // the window's top row shows
    XSync(x_, False);
    EXPECT_FALSE(Settles(*visibility, false));
    XMoveWindow(x_, whole, 0, 0);
    XSync(x_, False);
    EXPECT_TRUE(Settles(*visibility, true));
    XUnmapWindow(x_, whole);
    XSync(x_, False);
    EXPECT_FALSE(Settles(*visibility, false));
    // Lowered beneath the window, a cover hides nothing of it.
    XMapWindow(x_, whole);
    XLowerWindow(x_, whole);
    XSync(x_, False);
    EXPECT_FALSE(Settles(*visibility, true));
    XDestroyWindow(x_, part);
    XDestroyWindow(x_, whole);
}

TEST_F(X11Visibility, AWindowAlreadyBehindOthersIsSeenCoveredFromTheStart) {
    EXPECT_FALSE(CoveredAtStart());
    // Two windows side by side that hide it together, with a gap between
    // them at first.
    const ::Window left = Make(root_, 0, 0, 69, 150);
    const ::Window right = Make(root_, 70, 0, 130, 150);
    EXPECT_FALSE(CoveredAtStart()) << "a one-pixel column shows";
    XMoveWindow(x_, right, 69, 0);
    EXPECT_TRUE(CoveredAtStart());
    XLowerWindow(x_, right);
    EXPECT_FALSE(CoveredAtStart()) << "one of them lies beneath it";
    XDestroyWindow(x_, left);
    XDestroyWindow(x_, right);

    // A window over all of it with a hole in its shape: the hole shows it.
    const ::Window holed = Make(root_, 0, 0, 200, 150, false);
    XRectangle rim[4] = {{0, 0, 200, 50}, {0, 50, 60, 20}, {70, 50, 130, 20}, {0, 70, 200, 80}};
    XShapeCombineRectangles(x_, holed, ShapeBounding, 0, 0, rim, 4, ShapeSet, Unsorted);
    XMapWindow(x_, holed);
    EXPECT_FALSE(CoveredAtStart());
    XRectangle plug{60, 50, 10, 20};
    XShapeCombineRectangles(x_, holed, ShapeBounding, 0, 0, &plug, 1, ShapeUnion, Unsorted);
    EXPECT_TRUE(CoveredAtStart());
    XDestroyWindow(x_, holed);

    // Inside a frame, as a window manager puts it: a window above the
    // frame hides it, and what lies past the frame's edge never shows.
    const ::Window frame = Make(root_, 10, 5, 120, 100);
    XReparentWindow(x_, window_, frame, 10, 10);
    XMapWindow(x_, window_);
    EXPECT_FALSE(CoveredAtStart());
    const ::Window over = Make(root_, 15, 0, 120, 110);
    EXPECT_TRUE(CoveredAtStart());
    XMoveResizeWindow(x_, over, 15, 40, 120, 80); // its top 25 rows show
    EXPECT_FALSE(CoveredAtStart());
    XMoveWindow(x_, window_, 10, 40); // its bottom rows lie past the frame, below `over`
    EXPECT_TRUE(CoveredAtStart());
    XDestroyWindow(x_, over);
    XDestroyWindow(x_, frame);
}
