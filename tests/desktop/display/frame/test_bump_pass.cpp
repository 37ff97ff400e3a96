// The DOT3 bump pass as the program draws it: the display asks the models
// for their per-vertex rotations before they load, a capital ship of the
// armada scene wears its hull's relief, and the bump switch of a scene
// trigger takes the pass away and gives it back.
#include "tests/desktop/display/frame/scene_frame_fixture.h"

#include "desktop/display/camera/camera.h"
#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/world/trigger.h"
#include "desktop/scene/world/trigger_action.h"

#include <algorithm>
#include <cmath>

using namespace display_test;

namespace {

class LvBumpPass : public SceneFrameFixture {
protected:
    static int Red(uint32_t pixel) { return int(pixel >> 16 & 0xFF); }
    static int Green(uint32_t pixel) { return int(pixel >> 8 & 0xFF); }
    static int Blue(uint32_t pixel) { return int(pixel & 0xFF); }
    static int Brightness(uint32_t pixel) { return (Red(pixel) + Green(pixel) + Blue(pixel)) / 3; }

    // The last entity of the class in the world.
    const Entity* Find(ClassId kind) const {
        const Entity* found = nullptr;
        for (int i = 0; i < runner.world.EntityCount(); ++i)
            if (const Entity* entity = runner.world.EntityAt(i); IsA(entity, kind)) found = entity;
        return found;
    }

    // The camera between the focus (the origin here) and the ship, looking
    // at the ship's side that faces the light.
    void LookAtSunwardSide(const Entity& ship) {
        auto& camera = static_cast<lumivane::Camera&>(runner.Draw().Camera());
        Vec3 towardsLight = Vec3{0, 0, 0} - ship.position;
        towardsLight.Normalize();
        CameraView view;
        view.position =
            ship.position + towardsLight * (1.6f * ship.radius) + Vec3{0, 0.8f * ship.radius, 0};
        view.direction = (ship.position - view.position).Normalize();
        view.right = Vec3::Cross({0, 1, 0}, view.direction).Normalize();
        view.up = Vec3::Cross(view.direction, view.right).Normalize();
        camera.SetView(view);
    }

    // A trigger holding one "display flags" action with that value, run at
    // once, then the same frame drawn again.
    void SwitchAndRedraw(int32_t value) {
        auto trigger = std::make_unique<Trigger>();
        auto action = std::make_unique<TriggerAction>();
        action->type = action::kDisplayFlags;
        action->values = {value, 0};
        action->owner = trigger.get();
        trigger->actions.push_back(std::move(action));
        runner.scene->AddTrigger(std::move(trigger));
        runner.scene->UpdateTriggers();
        runner.Draw().PresentFrame();
        ReadWindow();
    }
};

} // namespace

TEST_F(LvBumpPass, TheBumpSwitchOfATriggerTakesTheCapitalShipsReliefAwayAndBack) {
    Start(320, 180, "scenes\\armada.mis");
    runner.Draw().Switches().backdropOff = true;
    GetCommandInterface().cursorId = kCursorNone;
    ASSERT_TRUE(runner.Draw().Dot3());
    const Entity* ship = Find(ClassId::CapitolShip);
    ASSERT_TRUE(ship);
    // Its hull came out of the model library with the bump texture and one
    // rotation per vertex, made because the display has DOT3.
    auto* hull = static_cast<GeoNode*>(const_cast<Entity*>(ship)->FindByName("hull"));
    ASSERT_TRUE(hull && IsA(hull, ClassId::GeoNode));
    EXPECT_TRUE(hull->envMapped);
    ASSERT_NE(hull->envTextureSet, nullptr);
    ASSERT_NE(hull->VertexRotations(), nullptr);
    EXPECT_GE(hull->VertexRotationCount(), size_t(hull->vertexCount));
    // Under the default settings the ship is drawn at its finest detail.
    EXPECT_LE(ship->lodLevel, 0);

    LookAtSunwardSide(*ship);
    RunFrames(2);
    ReadWindow();
    const std::vector<uint32_t> bumped = pixels;

    SwitchAndRedraw(1); // clears the bump switch
    EXPECT_FALSE(runner.Draw().Switches().bump);
    const std::vector<uint32_t> plain = pixels;
    int changed = 0, darker = 0, brighter = 0, tinted = 0;
    for (size_t i = 0; i < plain.size(); ++i) {
        if ((plain[i] & 0xFFFFFF) == (bumped[i] & 0xFFFFFF)) continue;
        ++changed;
        const int difference = Brightness(bumped[i]) - Brightness(plain[i]);
        darker += difference < 0;
        brighter += difference > 8;
        // The light added is the hull's own colour, lit: blue to red and
        // green to red as in the hull without it.
        const float added[3] = {float(Red(bumped[i]) - Red(plain[i])),
                                float(Green(bumped[i]) - Green(plain[i])),
                                float(Blue(bumped[i]) - Blue(plain[i]))};
        if (added[0] < 8.0f || Red(plain[i]) < 10) continue;
        for (int c : {1, 2}) {
            const float hue = added[c] / added[0];
            const float hull =
                float(c == 1 ? Green(plain[i]) : Blue(plain[i])) / float(Red(plain[i]));
            if (hue > 1.5f * hull || hue < hull / 1.5f) {
                ++tinted;
                break;
            }
        }
    }
    // The pass is added over the hull: the picture only gains light, over
    // much of the hull, in the hull's colours.
    EXPECT_GT(changed, width * height / 20);
    EXPECT_GT(brighter, changed / 2);
    EXPECT_EQ(darker, 0);
    EXPECT_LT(tinted, changed / 50);

    SwitchAndRedraw(2); // any other value toggles it on again
    EXPECT_TRUE(runner.Draw().Switches().bump);
    int different = 0;
    for (size_t i = 0; i < pixels.size(); ++i)
        different += (pixels[i] & 0xFFFFFF) != (bumped[i] & 0xFFFFFF);
    EXPECT_EQ(different, 0);
}
