// The command interface without units: cursor tables and settings from
// script.dat, and rays that reach the ground only ahead and inside the scene.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/object/script_config.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/message.h"
#include "desktop/scene/world/mouse.h"
#include "tests/desktop/scene/command/command_fixture.h"
#include "tests/desktop/scene/world/scene_fixture.h"

namespace lumivane {
namespace {

constexpr int kCtrlKey = 0x1D;
constexpr int kShiftKey = 0x2A;

class LvCommand : public ::testing::Test {
protected:
    LvCommand() {
        SetCameraLink(&camera);
        SetInputHolders(&keyboard, &mouse);
        GetDisplayState() = {};
        GetSceneBounds() = {};
        commands = CommandInterface();
    }
    ~LvCommand() override {
        commands = CommandInterface();
        SetInputHolders(nullptr, nullptr);
        SetCameraLink(nullptr);
    }

    // One frame of the handler with the cursor at x, y.
    void Frame(float x, float y) {
        mouse.x = x;
        mouse.y = y;
        GetUserInputWords().events[0] = GetUserInputWords().events[1] = 0;
        commands.Update();
        for (auto& group : {Mouse::kPressed, Mouse::kReleased, Mouse::kDoubleClicked})
            mouse.buttons[group][0] = 0;
        GetSceneClock().gameTime += 20;
    }
    void Press(float x, float y) {
        mouse.buttons[Mouse::kPressed][0] = mouse.buttons[Mouse::kHeld][0] = 1;
        Frame(x, y);
    }
    void Release(float x, float y) {
        mouse.buttons[Mouse::kHeld][0] = 0;
        mouse.buttons[Mouse::kReleased][0] = 1;
        Frame(x, y);
    }
    void Click(float x, float y) {
        Press(x, y);
        Release(x, y);
    }
    void Ctrl(bool down) { keyboard.keyState[kCtrlKey] = down ? 0x80 : 0; }

    template <class Order> const Order* Queued(int index) {
        if (index >= fixture.queue.Count()) return nullptr;
        return dynamic_cast<const Order*>(&fixture.queue.At(index));
    }
    int Cues(InterfaceCue cue) const {
        return int(std::count(fixture.sounds.calls.begin(), fixture.sounds.calls.end(),
                              "interface " + std::to_string(int(cue))));
    }

    test::SceneFixture fixture;
    test::TopCamera camera;
    Mouse mouse;
    Keyboard keyboard;
    CommandInterface& commands = GetCommandInterface();
};

TEST_F(LvCommand, CursorTablesAndSettingsComeFromScriptDat) {
    ScriptConfig config;
    std::string entries;
    for (int k = 0; k < kCursorFrames; ++k)
        entries += std::to_string(k) + " " + std::to_string(k + 100) + " 0.5\n";
    config.Parse("[Cursors]\n<default>\ntexture arrow.dds\nhotspot 0.25 0.5\n0 3 0.1\n1 4 0.2\n"
                 "<select>\n0 2 0.1\n1 -1\n"
                 "<orbit>\n0 -7 0.1\n"
                 "<trackball>\n" +
                 entries + "[Game]\n<settings>\nbeaconmaxangle 90\nbeaconspeed 0\n");
    commands.LoadSettings(config);

    const Cursor& arrow = commands.cursors[kCursorDefault];
    EXPECT_EQ(arrow.hotspot[1], 0.5f);
    EXPECT_EQ(arrow.frames[1].frame, 4);
    EXPECT_EQ(arrow.frames[2].frame, -1) << "two entries play, then repeat";
    EXPECT_EQ(commands.CursorFrameAt(kCursorDefault, 1000), 3);
    EXPECT_EQ(commands.CursorFrameAt(kCursorDefault, 1100), 4);
    EXPECT_EQ(commands.CursorFrameAt(kCursorDefault, 1300), 3);
    EXPECT_EQ(commands.cursors[2].frames[1].frame, -1) << "entry 1 of -1 keeps entry 0";
    EXPECT_EQ(commands.cursors[3].frames[0].frame, 0) << "a frame below 0 is held to 0";
    EXPECT_EQ(commands.cursors[4].frames[0].duration, std::numeric_limits<float>::max())
        << "a missing block is a still cursor";

    // All twenty entries in use: after entry 19 comes entry 0.
    uint32_t clock = 0;
    EXPECT_EQ(commands.CursorFrameAt(kCursorTrackball, clock), 100);
    for (int k = 1; k < kCursorFrames; ++k)
        EXPECT_EQ(commands.CursorFrameAt(kCursorTrackball, clock += 500), 100 + k);
    EXPECT_EQ(commands.CursorFrameAt(kCursorTrackball, clock += 500), 100);

    EXPECT_NEAR(commands.beaconMaxAngle, 1.5707964f, 1e-6f);
    EXPECT_EQ(commands.beaconSpeed, 0.0f);
    EXPECT_EQ(commands.fieldRepeat, 1.0f) << "no selectionbox block keeps the defaults";
    EXPECT_EQ(commands.cornerTexture, nullptr);
}

TEST_F(LvCommand, RaysReachTheGroundOnlyAheadAndInsideTheScene) {
    Vec3 origin, direction;
    commands.MakeScreenRay(nullptr, origin, direction);
    EXPECT_NEAR(direction.y, -1.0f, 1e-5f) << "the centre ray is the camera's forward axis";
    Vec3 ground;
    ASSERT_TRUE(CommandInterface::GroundPoint(origin, direction, ground));
    EXPECT_NEAR(ground.x, 0.0f, 1e-4f);

    const float right[2] = {1.0f, 0.0f};
    commands.MakeScreenRay(right, origin, direction);
    EXPECT_GT(direction.x, 0.1f) << "the right edge of the screen looks to +x";

    EXPECT_FALSE(CommandInterface::GroundPoint({0, 50, 0}, {0, 1, 0}, ground)) << "behind";
    EXPECT_FALSE(CommandInterface::GroundPoint({0, 50, 0}, {0, 0, 1}, ground)) << "parallel";
    GetSceneBounds().radius = 10.0f;
    EXPECT_FALSE(CommandInterface::GroundPoint({0, 50, 0}, Vec3(1, -1, 0).Normalize(), ground))
        << "50 from the centre of a scene of radius 10";
}

} // namespace
} // namespace lumivane
