// The shipped scenes as the camera finds them: each carries a camera block
// the camera wrote for the scene, which starts it at its home view: the
// scenes of units (the demo's fleet too) follow their units from it, the
// others look down on the whole scene; the demo scene scripts a camera tour.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "desktop/display/camera/camera.h"
#include "desktop/units/ship_base/ship.h"
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

const std::set<std::string> kUnitScenes = {"armada.mis", "base.mis",  "battle.mis",
                                           "demo.mis",   "fleet.mis", "frontier.mis"};

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
        const CameraBlock& block = display.Camera();
        const CameraView& home = block.views[2];
        EXPECT_EQ(block.views[0].position, home.position) << path;
        if (kUnitScenes.count(entry.path().filename().string())) {
            // It follows the scene's units from where they span most of the
            // picture's width: the middle of their box plus its offset.
            ASSERT_GE(home.targets.size(), 2u) << path;
            Vec3 low{1e9f, 1e9f, 1e9f}, high{-1e9f, -1e9f, -1e9f};
            for (EntityHandle handle : home.targets) {
                const Ship* unit = AsShip(engine.world.GetEntity(handle));
                ASSERT_NE(unit, nullptr) << path;
                low = {std::min(low.x, unit->position.x), std::min(low.y, unit->position.y),
                       std::min(low.z, unit->position.z)};
                high = {std::max(high.x, unit->position.x), std::max(high.y, unit->position.y),
                        std::max(high.z, unit->position.z)};
            }
            const Vec3 centre = (low + high) * 0.5f;
            EXPECT_LT((centre + home.offset - home.position).Length(), 1e-3f) << path;
            // Well inside the overview of the whole scene.
            const lumivane::Camera overview;
            EXPECT_LT(home.offset.Length(), 0.5f * overview.Home().position.Length()) << path;
            EXPECT_LT(home.direction.y, -0.2f) << path; // looking down on them
        } else {
            const lumivane::Camera fresh;
            EXPECT_EQ(home.position, fresh.Home().position) << path;
            EXPECT_EQ(home.right, fresh.Home().right) << path;
        }
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
    EXPECT_GE(scenes, 7);
    EXPECT_TRUE(toured);
}

} // namespace
} // namespace lumivane
