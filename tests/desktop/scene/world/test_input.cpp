// The key and mouse state holders, which no device feeds in this program.
#include <gtest/gtest.h>

#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/mouse.h"

namespace lumivane {
namespace {

class CountingDevice : public InputDevice {
public:
    void Acquire() override { ++acquired; }
    void Unacquire() override { ++released; }
    int acquired = 0;
    int released = 0;
};

TEST(LvInput, WithoutADeviceEverythingReadsReleased) {
    Keyboard keys;
    keys.SetSuspended(true);
    keys.SetSuspended(false);
    EXPECT_EQ(keys.resumeState, 0);
    for (int code = 0; code < 256; ++code) {
        EXPECT_FALSE(keys.WasKeyPressed(code));
        EXPECT_FALSE(keys.IsKeyDown(code));
    }
    EXPECT_FALSE(keys.WasKeyPressed(-1));
    EXPECT_FALSE(keys.WasKeyPressed(256));

    Mouse mouse;
    EXPECT_EQ(mouse.width, 100);
    EXPECT_EQ(mouse.height, 100);
    mouse.SetSuspended(false);
    EXPECT_EQ(mouse.resumeState, 0);
}

TEST(LvInput, HoldersAnswerFromTheirTables) {
    Keyboard keys;
    keys.pressed[57] = 1;
    keys.keyState[0x1D] = 0x80;
    EXPECT_TRUE(keys.WasKeyPressed(57));
    EXPECT_TRUE(keys.IsCtrlDown());
    EXPECT_FALSE(keys.IsShiftDown());
    keys.blocked = 1;
    EXPECT_FALSE(keys.WasKeyPressed(57));
    EXPECT_FALSE(keys.IsCtrlDown());
    keys.blocked = 0;
    keys.ClearKeyTables();
    EXPECT_FALSE(keys.WasKeyPressed(57));

    CountingDevice device;
    keys.device = &device;
    keys.SetSuspended(true);
    EXPECT_EQ(device.released, 1);
    EXPECT_FALSE(keys.IsCtrlDown()); // states cleared
    keys.SetSuspended(false);
    EXPECT_EQ(device.acquired, 1);
    EXPECT_EQ(keys.resumeState, 3);
    keys.Shutdown();
    EXPECT_EQ(keys.device, nullptr);

    Mouse mouse;
    mouse.x = 40;
    mouse.y = 30;
    mouse.SetRange(800, 600);
    EXPECT_EQ(mouse.width, 800);
    EXPECT_EQ(mouse.x, 0.0f);
    EXPECT_EQ(mouse.y, 0.0f);
    mouse.buttons[Mouse::kHeld][0] = 1;
    mouse.buttons[Mouse::kPressed][0] = 1;
    mouse.ClearButtons();
    EXPECT_EQ(mouse.buttons[Mouse::kHeld][0], 0);
    EXPECT_EQ(mouse.buttons[Mouse::kPressed][0], 1);
    mouse.device = &device;
    mouse.SetSuspended(false);
    EXPECT_EQ(mouse.resumeState, 2);
}

} // namespace
} // namespace lumivane
