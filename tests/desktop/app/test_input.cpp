// Input: events fill the key and mouse holders, focus suspends them, the
// pointer shows only where the mouse is; and the abort rule of long loads
// in each mode.
#include "desktop/app/exit_signal.h"
#include "desktop/app/input_feed.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/mouse.h"
#include "platform/scancodes.h"
#include "tests/desktop/app/app_test_support.h"

using namespace lumivane;
using namespace app_test;
using platform::Event;
using platform::EventType;

namespace {

Event Key(EventType type, int scancode) {
    Event e;
    e.type = type;
    e.key.scancode = scancode;
    return e;
}

Event Move(int x, int y, int dx, int dy) {
    Event e;
    e.type = EventType::MouseMove;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.dx = dx;
    e.motion.dy = dy;
    return e;
}

Event Button(EventType type, uint8_t button, uint8_t clicks = 1) {
    Event e;
    e.type = type;
    e.button.button = button;
    e.button.clicks = clicks;
    return e;
}

Event Plain(EventType type) {
    Event e;
    e.type = type;
    return e;
}

constexpr int kDikSpace = 0x39;

} // namespace

TEST(LvInputFeed, EventsFillTheHoldersAndFocusSuspendsThem) {
    Keyboard keyboard;
    Mouse mouse;
    mouse.SetRange(800, 600);
    InputFeed feed(keyboard, mouse);

    feed.BeginPoll();
    feed.Apply(Key(EventType::KeyDown, platform::ScanSpace));
    feed.Apply(Move(800, 0, 5, -3));
    feed.Apply(Move(400, 600, 2, 1));
    feed.Apply(Button(EventType::MouseButtonDown, platform::MouseRight, 2));
    EXPECT_TRUE(keyboard.IsKeyDown(kDikSpace));
    EXPECT_TRUE(keyboard.WasKeyPressed(kDikSpace));
    EXPECT_FLOAT_EQ(mouse.x, 0.0f);
    EXPECT_FLOAT_EQ(mouse.y, 0.75f);
    EXPECT_EQ(mouse.dx, 7);
    EXPECT_EQ(mouse.dy, -2);
    EXPECT_EQ(mouse.buttons[Mouse::kHeld][1], 1);
    EXPECT_EQ(mouse.buttons[Mouse::kPressed][1], 1);
    EXPECT_EQ(mouse.buttons[Mouse::kDoubleClicked][1], 1);

    // The next pass: still held, no longer pressed; then released.
    feed.BeginPoll();
    EXPECT_TRUE(keyboard.IsKeyDown(kDikSpace));
    EXPECT_FALSE(keyboard.WasKeyPressed(kDikSpace));
    EXPECT_EQ(mouse.dx, 0);
    EXPECT_EQ(mouse.buttons[Mouse::kPressed][1], 0);
    feed.Apply(Key(EventType::KeyUp, platform::ScanSpace));
    feed.Apply(Button(EventType::MouseButtonUp, platform::MouseRight));
    EXPECT_FALSE(keyboard.IsKeyDown(kDikSpace));
    EXPECT_EQ(keyboard.released[kDikSpace], 1);
    EXPECT_EQ(mouse.buttons[Mouse::kReleased][1], 1);

    // Focus away: what is held is let go, and input is ignored until it returns.
    feed.Apply(Key(EventType::KeyDown, platform::ScanA));
    feed.Apply(Plain(EventType::FocusLost));
    EXPECT_TRUE(feed.Suspended());
    EXPECT_FALSE(keyboard.IsKeyDown(0x1E));
    feed.Apply(Key(EventType::KeyDown, platform::ScanB));
    EXPECT_FALSE(keyboard.IsKeyDown(0x30));
    feed.Apply(Plain(EventType::FocusGained));
    EXPECT_EQ(keyboard.resumeState, 3);
    EXPECT_EQ(mouse.resumeState, 2);
    feed.Apply(Key(EventType::KeyDown, platform::ScanB));
    EXPECT_TRUE(keyboard.IsKeyDown(0x30));

    // A click within one pass: held and pressed in it, released in the next.
    feed.BeginPoll();
    feed.Apply(Button(EventType::MouseButtonDown, platform::MouseLeft));
    feed.Apply(Button(EventType::MouseButtonUp, platform::MouseLeft));
    EXPECT_EQ(mouse.buttons[Mouse::kHeld][0], 1);
    EXPECT_EQ(mouse.buttons[Mouse::kPressed][0], 1);
    EXPECT_EQ(mouse.buttons[Mouse::kReleased][0], 0);
    feed.BeginPoll();
    EXPECT_EQ(mouse.buttons[Mouse::kHeld][0], 0);
    EXPECT_EQ(mouse.buttons[Mouse::kPressed][0], 0);
    EXPECT_EQ(mouse.buttons[Mouse::kReleased][0], 1);
    feed.BeginPoll();
    EXPECT_EQ(mouse.buttons[Mouse::kReleased][0], 0);
}

class LvPointer : public AppTest {};

TEST_F(LvPointer, ThePointerShowsOverTheWindowOnlyAndNeverInAScreenSaver) {
    // The feed alone: motion and entering bring the pointer, leaving takes
    // it; a new display size forgets where it was.
    Keyboard keyboard;
    Mouse mouse;
    InputFeed feed(keyboard, mouse);
    EXPECT_EQ(mouse.overWindow, 0) << "not seen yet";
    feed.Apply(Move(10, 10, 1, 1));
    EXPECT_EQ(mouse.overWindow, 1);
    feed.Apply(Plain(EventType::PointerLeave));
    EXPECT_EQ(mouse.overWindow, 0);
    feed.Apply(Plain(EventType::PointerEnter));
    EXPECT_EQ(mouse.overWindow, 1);
    mouse.SetRange(640, 480);
    EXPECT_EQ(mouse.overWindow, 0);
    feed.SetPointerShown(false);
    feed.Apply(Plain(EventType::PointerEnter));
    feed.Apply(Move(20, 20, 1, 1));
    EXPECT_EQ(mouse.overWindow, 0);

    // Through the program: the desktop and window mode show it where the
    // mouse is; the screen saver, in its own windows or a host's, never.
    const std::vector<std::vector<std::string>> lines = {
        {"2b"}, {"/w2b"}, {}, {"--window-id", "0x2a"}};
    for (const auto& line : lines) {
        DesktopApp app(Services());
        ASSERT_TRUE(app.SetUpMode(line));
        app.Events().Push(Move(5, 5, 1, 1));
        app.PumpEvents();
        EXPECT_EQ(app.MouseState().overWindow, app.ScreensaverMode() ? 0 : 1)
            << (line.empty() ? "(no arguments)" : line.front());
    }
}

TEST_F(LvPointer, AHandedWindowsSharedPointerFeedsTheHoldersOutsideTheScreenSaver) {
    // A desktop, a child window and a screen saver's host, all handed over
    // by id: the shared pointer of the first two feeds the mouse holder.
    const std::vector<std::vector<std::string>> lines = {{"2b"}, {"/w2b"}, {"--window-id", "0x2a"}};
    for (const auto& line : lines) {
        SCOPED_TRACE(line.front());
        DesktopApp app(Services());
        ASSERT_TRUE(app.SetUpMode(line));
        FakeHost* host = windows_.lastHost;
        ASSERT_NE(host, nullptr);
        app.MouseState().SetRange(host->width, host->height);
        host->shared = {Plain(EventType::PointerEnter), Move(1280, 0, 0, 0),
                        Button(EventType::MouseButtonDown, platform::MouseLeft)};
        app.PumpEvents();
        const Mouse& mouse = app.MouseState();
        if (app.ScreensaverMode()) {
            EXPECT_EQ(host->sharedPolls, 0) << "its mouse only ends the saver";
            EXPECT_EQ(mouse.overWindow, 0);
            EXPECT_EQ(mouse.buttons[Mouse::kPressed][0], 0);
            continue;
        }
        EXPECT_EQ(mouse.overWindow, 1);
        EXPECT_FLOAT_EQ(mouse.x, 1.0f);
        EXPECT_FLOAT_EQ(mouse.y, -0.75f);
        EXPECT_EQ(mouse.buttons[Mouse::kPressed][0], 1);
        // The next pass: held, no longer pressed; the pointer leaves.
        host->shared = {Plain(EventType::PointerLeave)};
        app.PumpEvents();
        EXPECT_EQ(mouse.buttons[Mouse::kHeld][0], 1);
        EXPECT_EQ(mouse.buttons[Mouse::kPressed][0], 0);
        EXPECT_EQ(mouse.overWindow, 0);
    }
}

class LvAbortRule : public AppTest {};

TEST_F(LvAbortRule, TheScreensaverStopsOnInputFromTheFourthMove) {
    DesktopApp app(Services());
    ASSERT_TRUE(app.SetUpMode({}));
    EXPECT_FALSE(app.ShouldAbortLoad());
    for (int i = 0; i < 3; ++i)
        app.Events().Push(Move(i, i, 1, 1));
    EXPECT_FALSE(app.ShouldAbortLoad());
    EXPECT_EQ(app.Events().Size(), 0u); // moves are taken and counted
    app.Events().Push(Move(9, 9, 1, 1));
    EXPECT_TRUE(app.ShouldAbortLoad());

    DesktopApp keyed(Services());
    ASSERT_TRUE(keyed.SetUpMode({}));
    keyed.Events().Push(Key(EventType::KeyDown, platform::ScanA));
    EXPECT_TRUE(keyed.ShouldAbortLoad());
    EXPECT_EQ(keyed.Events().Size(), 1u); // the key stays for the pump
}

TEST_F(LvAbortRule, WindowModeStopsOnCloseTheDesktopOnExitOnly) {
    DesktopApp window(Services());
    ASSERT_TRUE(window.SetUpMode({"/w2b"}));
    window.Events().Push(Key(EventType::KeyDown, platform::ScanA));
    EXPECT_FALSE(window.ShouldAbortLoad());
    window.Events().Push(Plain(EventType::WindowClose));
    EXPECT_TRUE(window.ShouldAbortLoad());

    DesktopApp desktop(Services());
    ASSERT_TRUE(desktop.SetUpMode({"2b"}));
    desktop.Events().Push(Key(EventType::KeyDown, platform::ScanA));
    desktop.Events().Push(Plain(EventType::WindowClose));
    EXPECT_FALSE(desktop.ShouldAbortLoad());
    OpenEvent(DesktopEvent::Exit)->Set();
    EXPECT_TRUE(desktop.ShouldAbortLoad());
    EXPECT_FALSE(desktop.ShouldAbortLoad()); // the event is taken
    RaiseExitSignal();
    EXPECT_TRUE(desktop.ShouldAbortLoad());
}
