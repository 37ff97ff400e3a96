// Shared pieces of the command interface's tests: a camera 50 above the
// origin looking straight down (north up), a canvas that records what is
// drawn, and the fixture that drives the interface with mouse frames.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/command/overlay_canvas.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/mouse.h"
#include "desktop/scene/world/scene_services.h"
#include "tests/desktop/scene/world/scene_fixture.h"

namespace lumivane::test {

inline constexpr int kCtrlKey = 0x1D;
inline constexpr int kShiftKey = 0x2A;

class TopCamera : public CameraLink {
public:
    CameraPose Pose() const override {
        CameraPose pose;
        pose.position = {0, 50, 0};
        pose.forward = {0, -1, 0};
        pose.up = {0, 0, 1};
        pose.right = {1, 0, 0};
        return pose;
    }
    void ReplaceTarget(Entity*, Entity*) override {}
    Entity* GetSingleTarget() const override { return single; }
    Entity* single = nullptr;
};

class RecordingOverlay : public OverlayCanvas {
public:
    struct Shape {
        std::vector<Vertex> vertices;
        std::vector<uint16_t> indices; // empty for a fan
        TextureSet* texture;
        int frame;
        bool overlaySpace;
    };
    void Fan(std::span<const Vertex> vertices, TextureSet* texture, int frame,
             bool overlaySpace) override {
        shapes.push_back({{vertices.begin(), vertices.end()}, {}, texture, frame, overlaySpace});
    }
    void Triangles(std::span<const Vertex> vertices, std::span<const uint16_t> indices,
                   TextureSet* texture, int frame) override {
        shapes.push_back({{vertices.begin(), vertices.end()},
                          {indices.begin(), indices.end()},
                          texture,
                          frame,
                          false});
    }
    int Count(bool overlaySpace) const {
        int n = 0;
        for (const Shape& shape : shapes)
            n += shape.overlaySpace == overlaySpace;
        return n;
    }
    std::vector<Shape> shapes;
};

// The command interface with the camera above, the input holders and a
// scene fixture set, and frames of mouse input.
class CommandTest : public ::testing::Test {
protected:
    CommandTest() {
        SetCameraLink(&camera);
        SetInputHolders(&keyboard, &mouse);
        GetDisplayState() = {};
        GetSceneBounds() = {};
        commands = CommandInterface();
    }
    ~CommandTest() override {
        commands = CommandInterface();
        SetInputHolders(nullptr, nullptr);
        SetCameraLink(nullptr);
    }

    // One frame of the handler with the pointer over the window at x, y.
    void Frame(float x, float y) {
        mouse.x = x;
        mouse.y = y;
        mouse.overWindow = 1;
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

    SceneFixture fixture;
    TopCamera camera;
    Mouse mouse;
    Keyboard keyboard;
    CommandInterface& commands = GetCommandInterface();
};

} // namespace lumivane::test
