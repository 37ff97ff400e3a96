// Event queue: injected events come out in order with their fields, and
// system events are translated into our records.
#include "platform/events.h"
#include "platform/clock.h"
#include "platform/scancodes.h"
#include "platform/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>

using namespace platform;

TEST(Events, InjectedEventsComeOutInOrderWithTheirFields) {
    EventQueue queue;
    Event key;
    key.type = EventType::KeyDown;
    key.timestamp = 100;
    key.key.scancode = ScanLeftShift;
    key.key.modifiers = KeyModLeftShift;
    Event text;
    text.type = EventType::TextInput;
    text.timestamp = 101;
    std::strcpy(text.text, "é");
    Event click;
    click.type = EventType::MouseButtonDown;
    click.timestamp = 102;
    click.button = {10, 20, MouseRight, 2};
    queue.Push(key);
    queue.Push(text);
    queue.Push(click);
    EXPECT_EQ(queue.Size(), 3u);

    Event out;
    ASSERT_TRUE(queue.Poll(out));
    EXPECT_EQ(out.type, EventType::KeyDown);
    EXPECT_EQ(out.timestamp, 100u);
    EXPECT_EQ(out.key.scancode, ScanLeftShift);
    EXPECT_EQ(out.key.modifiers, KeyModLeftShift);
    ASSERT_TRUE(queue.Poll(out));
    EXPECT_EQ(out.type, EventType::TextInput);
    EXPECT_STREQ(out.text, "é");
    ASSERT_TRUE(queue.Poll(out));
    EXPECT_EQ(out.type, EventType::MouseButtonDown);
    EXPECT_EQ(out.button.x, 10);
    EXPECT_EQ(out.button.y, 20);
    EXPECT_EQ(out.button.button, MouseRight);
    EXPECT_EQ(out.button.clicks, 2);
    EXPECT_FALSE(queue.Poll(out));

    // A push from another thread wakes a waiting queue.
    std::thread pusher([&] {
        Event quit;
        quit.type = EventType::Quit;
        queue.Push(quit);
    });
    EXPECT_TRUE(queue.Wait(out, 5000));
    pusher.join();
    EXPECT_EQ(out.type, EventType::Quit);
    EXPECT_FALSE(queue.Wait(out, 20));
}

TEST(Events, SystemEventsAreTranslatedAndStamped) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    std::string error;
    WindowDesc desc;
    desc.width = 32;
    desc.height = 32;
    auto window = Window::Create(desc, &error);
    ASSERT_TRUE(window) << error;
    EventQueue queue;
    Event drop;
    while (queue.Poll(drop)) {
    }

    TestClock clock(5000);
    ScopedClock useClock(clock);
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = window->Id();
    e.key.keysym.scancode = SDL_SCANCODE_F2;
    e.key.keysym.mod = KMOD_LCTRL | KMOD_CAPS;
    e.key.repeat = 1;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e = {};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = window->Id();
    e.motion.x = 5;
    e.motion.y = 6;
    e.motion.xrel = -3;
    e.motion.yrel = 4;
    e.motion.state = SDL_BUTTON_LMASK | SDL_BUTTON_RMASK;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e = {};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = 2;
    e.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e = {};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = window->Id();
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e = {};
    e.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&e), 1);

    std::vector<Event> got;
    Event out;
    while (queue.Poll(out))
        got.push_back(out);
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0].type, EventType::KeyDown);
    EXPECT_EQ(got[0].windowId, window->Id());
    EXPECT_EQ(got[0].key.scancode, ScanF2);
    EXPECT_EQ(got[0].key.modifiers, KeyModLeftCtrl | KeyModCapsLock);
    EXPECT_TRUE(got[0].key.repeat);
    EXPECT_EQ(got[0].timestamp, 5000u);
    EXPECT_EQ(got[1].type, EventType::MouseMove);
    EXPECT_EQ(got[1].motion.x, 5);
    EXPECT_EQ(got[1].motion.dx, -3);
    EXPECT_EQ(got[1].motion.dy, 4);
    EXPECT_EQ(got[1].motion.buttons, MouseButtonBit(MouseLeft) | MouseButtonBit(MouseRight));
    EXPECT_EQ(got[2].type, EventType::MouseWheel);
    EXPECT_EQ(got[2].wheel.dy, -2); // a flipped wheel is turned back
    EXPECT_EQ(got[3].type, EventType::FocusLost);
    EXPECT_EQ(got[4].type, EventType::Quit);

    // A size change made through the window arrives as a resize.
    window->SetSize(40, 30);
    bool resized = false;
    while (queue.Poll(out))
        if (out.type == EventType::Resized && out.size.width == 40 && out.size.height == 30)
            resized = true;
    EXPECT_TRUE(resized);
}
