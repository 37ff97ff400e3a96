// The shipped scenes as the camera finds them: each carries a camera block
// the camera wrote for the scene, which starts it at its home view, and the
// demo scene scripts a camera tour.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "desktop/display/camera/camera.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/standalone_scene.h"
#include "platform/binary_io.h"

namespace lumivane {
namespace {

// Keeps the display's block of the loaded file for the test to read.
class KeptDisplay : public SceneDisplay {
public:
    KeptDisplay() { SetSceneDisplay(this); }
    ~KeptDisplay() override { SetSceneDisplay(nullptr); }
    const CameraBlock& Camera() const { return block.camera; }
};

const TriggerAction* CameraPath(const Trigger& trigger) {
    for (const auto& action : trigger.actions)
        if (action->type == action::kCameraPath) return action.get();
    for (const auto& child : trigger.children)
        if (const TriggerAction* found = CameraPath(*child)) return found;
    return nullptr;
}

TEST(LvCameraShipped, ShippedScenesStartAtTheirHomeAndTheDemoTours) {
    const char* runtime = std::getenv("JENTRA_RUNTIME_DIR");
    ASSERT_NE(runtime, nullptr);
    const std::filesystem::path root = std::filesystem::path(runtime) / "LumivaneData";
    int scenes = 0;
    bool toured = false;
    for (const auto& entry : std::filesystem::directory_iterator(root / "scenes")) {
        if (entry.path().extension() != ".mis") continue;
        ++scenes;
        StandaloneScene engine(root);
        KeptDisplay display;
        const std::string path = "scenes\\" + entry.path().filename().string();
        ASSERT_EQ(engine.scene.Load(path), 1) << path;

        // The camera, set up for this scene, made the block: it stands at
        // home, and reads back to the same bytes.
        const lumivane::Camera fresh;
        const CameraBlock& block = display.Camera();
        EXPECT_EQ(block.views[2].position, fresh.Home().position) << path;
        EXPECT_EQ(block.views[0].position, block.views[2].position) << path;
        EXPECT_EQ(block.views[2].right, fresh.Home().right) << path;
        platform::BufferWriter saved;
        block.Save(saved);
        lumivane::Camera loaded;
        platform::MemoryReader file(saved.Data());
        ASSERT_TRUE(loaded.Load(file, 120));
        platform::BufferWriter again;
        loaded.Save(again);
        EXPECT_EQ(again.Data(), saved.Data()) << path;

        if (path != "scenes\\demo.mis") continue;
        const TriggerAction* tour = nullptr;
        for (const auto& trigger : engine.scene.triggers)
            if ((tour = CameraPath(*trigger))) break;
        ASSERT_NE(tour, nullptr);
        ASSERT_EQ(tour->cameraKeys.size(), 4u);
        const uint32_t kinds[] = {camera_move::kQuartic, camera_move::kHold, camera_move::kSpline,
                                  camera_move::kCut};
        for (size_t k = 0; k < 4; ++k)
            EXPECT_EQ(tour->cameraKeys[k].kind, kinds[k]) << k;
        toured = true;
    }
    EXPECT_GE(scenes, 2);
    EXPECT_TRUE(toured);
}

} // namespace
} // namespace lumivane
