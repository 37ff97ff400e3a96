// Ships in motion: two on a collision course bounce apart, and shots never
// hit each other or their ship.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "desktop/scene/object/scene_classes.h"
#include "desktop/units/unit_class_headers.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane {
namespace {

using LvWorld = test::WorldTest;

TEST_F(LvWorld, TwoShipsOnACollisionCourseBounceApart) {
    // Without turning speed the hulls do not lean their drift into their
    // heading, so only the collision changes the velocities.
    AddPrototype<Ship>("cutter", [](Entity& e) { SetFloat(e, "turn speed", 0.0f); });
    Ship* a = Spawn<Ship>("cutter", {-5, 0, 0});
    Ship* b = Spawn<Ship>("cutter", {5, 0, 0});
    a->velocity = {0.5f, 0, 0};
    b->velocity = {-0.5f, 0, 0};
    float closest = 10.0f;
    for (int frame = 0; frame < 300; ++frame) {
        Step(0.1f);
        closest = std::min(closest, (a->position - b->position).Length());
    }
    EXPECT_LT(a->velocity.x, 0.0f);
    EXPECT_GT(b->velocity.x, 0.0f);
    EXPECT_GE(closest, 1.9f); // they never passed through each other
    EXPECT_GT((a->position - b->position).Length(), 10.0f);
}

TEST_F(LvWorld, ShotsOfOneShipNeverHitEachOtherOrTheShip) {
    AddPrototype<Ship>("gunboat");
    AddPrototype("shell"); // owned by the gunboat, as its shots are
    Ship* gunboat = Spawn<Ship>("gunboat", {0, 0, 0});
    Entity* first = Spawn("shell", {0.5f, 0, 0});
    Entity* second = Spawn("shell", {1.0f, 0, 0});
    Ship* stranger = Spawn<Ship>("gunboat", {3, 0, 0});
    for (Entity* shot : {first, second}) {
        shot->ownerHandle = gunboat->handle;
        shot->velocity = {-0.5f, 0, 0};
    }
    gunboat->velocity = {0.5f, 0, 0};
    stranger->velocity = {-1.5f, 0, 0};
    Step(0.1f);
    EXPECT_EQ(gunboat->pendingImpulse, Vec3());
    EXPECT_EQ(first->pendingImpulse, Vec3());
    EXPECT_NE(second->pendingImpulse, Vec3()); // but the stranger is met

    // Owners naming each other do not hang the pass.
    first->ownerHandle = second->handle;
    second->ownerHandle = first->handle;
    Step(0.1f);
}

} // namespace
} // namespace lumivane
