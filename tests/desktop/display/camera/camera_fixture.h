// A camera over a small world for the camera controller's tests: the key
// and mouse holders and the command interface's cursor are filled by the
// test, the clocks step exactly, and the world's removals reach the camera.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "desktop/display/camera/camera.h"
#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/scene_classes.h"
#include "desktop/units/unit_class_headers.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/mouse.h"
#include "desktop/scene/world/scene_hooks.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane::test {

inline float Degrees(float radians) {
    return radians * 180.0f / 3.14159265f;
}

// The command interface as the camera reads it: the cursor, the unit under
// it and the selection.
class CommandsView {
public:
    void Cursor(float x, float y) {
        GetCommandInterface().cursorX = x;
        GetCommandInterface().cursorY = y;
    }
    void Under(Entity* unit) {
        GetCommandInterface().candidates.Clear();
        if (unit) GetCommandInterface().candidates.Add(unit);
    }
    void Select(std::vector<Entity*> units) {
        GetCommandInterface().selection.Clear();
        for (Entity* unit : units)
            GetCommandInterface().selection.Add(unit);
    }
    bool Tracking() const { return GetCommandInterface().cursorEnabled != 0; }
};

class RecordingCues : public SceneSounds {
public:
    void PlayInterfaceCue(InterfaceCue cue, float share) override {
        cues.push_back(cue);
        shares.push_back(share);
    }
    std::vector<InterfaceCue> cues;
    std::vector<float> shares;
};

class CameraTest : public WorldTest {
protected:
    static constexpr int kSecondButton = 1;
    static constexpr uint32_t kStartMs = 10000;

    CameraTest() {
        GetUserInputWords() = {};
        GetCommandInterface() = CommandInterface();
        SetInputHolders(&keyboard, &mouse);
        SetSceneSounds(&sounds);
        GetSceneClock().gameTime = kStartMs;
        GetSceneClock().realTime = kStartMs;
        camera = std::make_unique<Camera>();
        SetCameraLink(camera.get());
        AddPrototype<Ship>("scout");
        AddPrototype<Structure>("depot");
    }
    ~CameraTest() override {
        SetCameraLink(nullptr);
        SetInputHolders(nullptr, nullptr);
        SetSceneSounds(nullptr);
        world.Clear();
        GetCommandInterface() = CommandInterface();
    }

    // A unit of the given radius.
    Entity* Unit(Vec3 position, float radius = 1.0f, const char* prototype = "scout") {
        Entity* unit = Spawn(prototype, position);
        unit->radius = radius;
        return unit;
    }

    // One frame of `ms` milliseconds on both clocks; what was pressed,
    // moved or turned this frame is forgotten afterwards, as by a poll.
    void Frame(uint32_t ms = 10) {
        SceneClock& clock = GetSceneClock();
        clock.frameTime = float(ms) / 1000.0f;
        clock.realFrameTime = clock.frameTime;
        clock.gameTime += ms;
        clock.realTime += ms;
        camera->Update();
        world.FlushRemovals();
        for (int group : {Mouse::kPressed, Mouse::kReleased})
            for (int32_t& button : mouse.buttons[group])
                button = 0;
        mouse.dx = mouse.dy = 0;
        mouse.wheel = 0;
        for (int32_t& key : keyboard.pressed)
            key = 0;
    }

    void PressSecondButton() {
        mouse.buttons[Mouse::kHeld][kSecondButton] = 1;
        mouse.buttons[Mouse::kPressed][kSecondButton] = 1;
    }
    void ReleaseSecondButton() {
        mouse.buttons[Mouse::kHeld][kSecondButton] = 0;
        mouse.buttons[Mouse::kReleased][kSecondButton] = 1;
    }
    void HoldKey(int code, bool down = true) { keyboard.keyState[code] = down ? 0x80 : 0; }

    // Frames until the running move has ended (at most `limit`).
    void FinishMove(int limit = 1000) {
        for (int i = 0; i < limit && camera->Transition().moving; ++i)
            Frame();
        ASSERT_EQ(camera->Transition().moving, 0u);
    }

    // A view at `position` looking along `direction`, level, without targets.
    static CameraView LevelView(Vec3 position, Vec3 direction) {
        CameraView view;
        view.position = position;
        view.direction = direction.Normalize();
        view.right = Vec3::Cross({0, 1, 0}, view.direction).Normalize();
        view.up = Vec3::Cross(view.direction, view.right).Normalize();
        return view;
    }

    float Tilt() const { return Degrees(std::acos(camera->Current().direction.y)); }

    Keyboard keyboard;
    Mouse mouse;
    CommandsView commands;
    RecordingCues sounds;
    std::unique_ptr<Camera> camera;
};

} // namespace lumivane::test
