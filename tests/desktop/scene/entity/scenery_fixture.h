// A world with a scene for the scenery's tests: prototypes made in code, a
// camera placed by the test, and a display that records the textures it is
// asked for and holds an overlay node.
#pragma once

#include <utility>
#include <vector>

#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_services.h"
#include "tests/desktop/scene/scene_test_support.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane::test {

// A camera at a pose the test sets; its matrices follow from the pose.
class PlacedCamera : public CameraLink {
public:
    CameraPose Pose() const override { return pose; }
    void ReplaceTarget(Entity*, Entity*) override {}
    CameraPose pose;
};

class RecordingFrameDisplay : public FrameDisplay {
public:
    RecordingFrameDisplay() : overlay(new Node) { overlay->AddRef(); }
    ~RecordingFrameDisplay() override { overlay->Release(); }
    void RequestTexture(TextureSet* set, int frame, int priority, int level) override {
        requests.push_back({set, frame, priority, level});
    }
    Node* OverlayNode() override { return overlay; }

    struct Request {
        TextureSet* set;
        int frame, priority, level;
    };
    std::vector<Request> requests;
    Node* overlay;
};

class SceneryTest : public WorldTest {
protected:
    SceneryTest() {
        MainRandom().Seed(0);
        CollectionRandom().Seed(0);
        SetScene(&scene);
        SetCameraLink(&camera);
        SetFrameDisplay(&display);
    }
    ~SceneryTest() override {
        world.Clear(); // before the overlay and the scene go
        SetFrameDisplay(nullptr);
        SetCameraLink(nullptr);
        SetScene(nullptr);
    }

    // Steps whole frames of `seconds` until `seconds x frames` passed.
    void Run(float seconds, int frames) {
        for (int i = 0; i < frames; ++i)
            Step(seconds);
    }

    Scene scene;
    PlacedCamera camera;
    RecordingFrameDisplay display;
};

} // namespace lumivane::test
