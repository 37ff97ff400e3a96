// The world's distances and searches over units that resolve and are known.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "desktop/scene/object/object_table.h"
#include "desktop/units/unit_class_headers.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/scene_test_support.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane {
namespace {

using LvWorld = test::WorldTest;

class FakeCamera : public CameraLink {
public:
    FakeCamera() { SetCameraLink(this); }
    ~FakeCamera() override { SetCameraLink(nullptr); }
    CameraPose Pose() const override { return pose; }
    void ReplaceTarget(Entity* entity, Entity* replacement) override {
        replaced.emplace_back(entity, replacement);
    }
    CameraPose pose;
    std::vector<std::pair<Entity*, Entity*>> replaced;
};

TEST_F(LvWorld, DistancesAndSearchesKeepToWhatResolvesAndIsKnown) {
    FakeCamera camera;
    camera.pose.position = {0, 0, -10};
    AddPrototype("buoy");
    AddPrototype<Ship>("scout");
    Entity* buoy = Spawn("buoy", {3, 4, 0});
    EXPECT_FLOAT_EQ(world.Distance(0, buoy->handle), std::sqrt(9.0f + 16.0f + 100.0f));
    EXPECT_EQ(world.Distance(0, buoy->handle + (1 << kGenerationShift)), kLargestDistance);
    EXPECT_EQ(world.Distance(77, buoy->handle), kLargestDistance);

    Ship* here = Spawn<Ship>("scout", {0, 0, 0});
    Ship* high = Spawn<Ship>("scout", {1, 15, 0}); // at the height limit: outside
    Ship* far = Spawn<Ship>("scout", {40, 0, 0});
    EXPECT_EQ(world.FindNearest(here->handle, nullptr, int(ClassId::Ship)), far);
    EXPECT_EQ(world.FindNearest(here->handle, nullptr, int(ClassId::Entity)), buoy);
    high->position.y = 14.9f;
    EXPECT_EQ(world.FindNearest(here->handle, nullptr, int(ClassId::Ship)), high);

    Player home(0), away(1);
    GetPlayers().players[0] = &home;
    GetPlayers().players[1] = &away;
    away.AddUnit(far);
    away.AddUnit(high);
    home.AddUnit(here);
    high->SetPlayer(&away);
    far->identification[0] = kKnown;
    high->identification[0] = 0;
    EXPECT_EQ(world.FindNearest(here->handle, &home, int(ClassId::Ship)), far);
    EXPECT_EQ(world.FindNearestEnemy(here->handle, &home, false), far);
    EXPECT_EQ(world.FindNearestEnemy(here->handle, &home, true), high);
    GetDisplayState().revealAll = true;
    EXPECT_EQ(world.FindNearest(here->handle, &home, int(ClassId::Ship)), high);
    EXPECT_EQ(world.FindNearestUnitOf(far->handle, &away, int(ClassId::Ship)), high);
    EXPECT_EQ(world.FindNearestUnitOf(far->handle, &home, int(ClassId::Ship)), here);

    // A unit that leaves the world leaves its player too.
    world.QueueRemove(high, nullptr, false);
    world.FlushRemovals();
    EXPECT_EQ(away.units.size(), 1u);
    world.Clear(); // before the players go
    GetPlayers() = {};
}

} // namespace
} // namespace lumivane
