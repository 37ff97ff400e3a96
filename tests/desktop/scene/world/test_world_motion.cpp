// The world's frame step: swept contacts, orbits, bounding spheres and the
// relativistic slowing near the Sun.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "desktop/scene/object/scene_classes.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane {
namespace {

using LvWorld = test::WorldTest;

TEST_F(LvWorld, SweptSpheresMeetAtTheirFirstContact) {
    float t = -1.0f;
    EXPECT_EQ(World::SweptSphereTest({3, 0, 0}, {0, 0, 0}, 1.0f, t), 0); // not moving
    EXPECT_EQ(World::SweptSphereTest({3, 0, 0}, {-4, 0, 0}, 1.0f, t), 1);
    EXPECT_FLOAT_EQ(t, 0.5f);
    EXPECT_EQ(World::SweptSphereTest({0.5f, 0, 0}, {0.1f, 0, 0}, 1.0f, t), 1);
    EXPECT_EQ(t, 0.0f); // overlapping the whole step
    EXPECT_EQ(World::SweptSphereTest({0, 5, 0}, {1, 0, 0}, 1.0f, t), 0);  // passes by
    EXPECT_EQ(World::SweptSphereTest({3, 0, 0}, {4, 0, 0}, 1.0f, t), 0);  // moving apart
    EXPECT_EQ(World::SweptSphereTest({3, 0, 0}, {-1, 0, 0}, 1.0f, t), 0); // not there yet
}

TEST_F(LvWorld, APlanetLaunchedWithItsOrbitVelocityKeepsItsDistance) {
    AddPrototype<Sun>("Sun", [](Entity& e) {
        SetFlag(e, "massive", true);
        SetFlag(e, "affected by gravity", false);
        SetFloat(e, "mass", 5000.0f);
    });
    AddPrototype<Planet>("Planet");
    Entity* sun = Spawn("Sun");
    Entity* planet = Spawn("Planet", {50, 0, 0});
    const Vec3 axis(0, 1, 0);
    planet->velocity = OrbitVelocity(*sun, planet->position, axis);
    EXPECT_NEAR(planet->velocity.Length(), std::sqrt(5000.0f * 0.0005f / 50.0f), 1e-6f);
    EXPECT_EQ(OrbitVelocity(*sun, {0.05f, 0, 0}, axis), Vec3()); // at the centre

    const float period = 2.0f * 3.14159265f * 50.0f / planet->velocity.Length();
    float worst = 0.0f, travelled = 0.0f;
    Vec3 last = planet->position;
    for (float time = 0.0f; time < period; time += 0.1f) {
        Step(0.1f);
        worst = std::max(worst, std::fabs(planet->position.Length() - 50.0f));
        travelled += (planet->position - last).Length();
        last = planet->position;
    }
    EXPECT_LT(worst, 0.5f); // within 1% of its distance all the way round
    EXPECT_NEAR(travelled, period * planet->velocity.Length(), 1.0f);
    EXPECT_LT((planet->position - Vec3(50, 0, 0)).Length(), 2.0f); // back where it began
    EXPECT_EQ(sun->position, Vec3());
}

TEST_F(LvWorld, AFastMoverAlongMinusXMeetsWhatLiesOnItsLowSide) {
    AddPrototype<Asteroid>("rock"); // no speed limit
    Entity* mover = Spawn("rock", {20, 0, 0});
    Entity* target = Spawn("rock", {-10, 0, 0});
    mover->velocity = {-200, 0, 0}; // 20 units a frame, past the target's buckets
    Step(0.1f);
    EXPECT_NEAR(mover->position.x, 0.0f, 1e-5f);
    EXPECT_LT(target->pendingImpulse.x + target->velocity.x, 0.0f); // pushed along

    // Numbers no bucket can hold are kept out of the pass.
    Entity* lost = Spawn("rock", {std::numeric_limits<float>::quiet_NaN(), 0, 0});
    Entity* huge = Spawn("rock", {1e30f, 0, 0});
    huge->radius = std::numeric_limits<float>::infinity();
    Step(0.1f);
    EXPECT_TRUE(std::isnan(lost->position.x));
}

TEST_F(LvWorld, BoundingSpheresShapeTheContact) {
    AddPrototype("dumbbell", [](Entity& e) {
        SetInt(e, "number of spheres", 2);
        SetFloat(e, "overall sphere scaling", 3.0f);
        SetFloat(e, "sphere 1 X", 1.0f);
        SetFloat(e, "sphere 1 size", 0.5f);
        SetFloat(e, "sphere 2 X", -1.0f);
        SetFloat(e, "sphere 2 size", 0.5f);
    });
    AddPrototype("ball");
    Entity* dumbbell = Spawn("dumbbell");
    Entity* ball = Spawn("ball", {6, 0, 0});
    ball->velocity = {-10, 0, 0};
    GetSceneClock().frameTime = 0.1f;
    Vec3 normal;
    // The ball reaches the end sphere (centre 3, radius 1.5) half way
    // through the step, long before the dumbbell's middle.
    ASSERT_EQ(world.TestCollision(dumbbell, ball, normal), 1);
    EXPECT_NEAR(normal.x, 1.0f, 1e-5f);
    ball->position = {0, 6, 0};
    EXPECT_EQ(world.TestCollision(dumbbell, ball, normal), 0);

    // More spheres than a table holds count as twenty.
    SetInt(*dumbbell, "number of spheres", 1000);
    ball->position = {6, 0, 0};
    EXPECT_EQ(world.TestCollision(dumbbell, ball, normal), 1);
    SetInt(*dumbbell, "number of spheres", -4); // one sphere about the centre
    EXPECT_EQ(world.TestCollision(dumbbell, ball, normal), 0);
}

TEST_F(LvWorld, TimeRunsSlowerNearARelativisticSun) {
    AddPrototype<Sun>("Sun", [](Entity& e) {
        SetFlag(e, "relativistic", true);
        SetFlag(e, "affected by gravity", false);
    });
    AddPrototype("probe");
    AddPrototype("beacon", [](Entity& e) { SetFlag(e, "affected by gravity", false); });
    Spawn("Sun");
    Entity* falling = Spawn("probe", {10, 0, 0}); // d = 0.25: swallowed
    Entity* near = Spawn("beacon", {0, 0, 30});   // d = 0.75: a quarter of the time
    Entity* far = Spawn("beacon", {0, 0, 100});   // d = 2.5: full time
    Entity* fast = Spawn("beacon", {0, 0, 200});
    near->velocity = far->velocity = {1, 0, 0};
    fast->velocity = {5, 0, 0};
    const EntityHandle swallowed = falling->handle;
    Step(0.1f);
    EXPECT_EQ(world.relativisticMode, 1);
    EXPECT_EQ(world.GetEntity(swallowed), nullptr);
    EXPECT_NEAR(near->position.x, 0.025f, 1e-6f);
    EXPECT_NEAR(far->position.x, 0.1f, 1e-6f);
    EXPECT_NEAR(fast->position.x, 0.5f, 1e-6f); // no speed limit in this mode
    EXPECT_EQ(GetSceneClock().frameTime, 0.1f); // restored after the pass

    Step(0.0f); // paused: the mode is off
    EXPECT_EQ(world.relativisticMode, 0);
}

} // namespace
} // namespace lumivane
