// Celestial bodies meeting units: planets stand firm while asteroids let
// utility pods through.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "desktop/scene/entity/celestial.h"
#include "desktop/scene/entity/celestial_bodies.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/scene_classes.h"
#include "desktop/units/unit_class_headers.h"
#include "tests/desktop/scene/entity/scenery_fixture.h"

namespace lumivane::test {
namespace {

using LvCelestial = SceneryTest;

TEST_F(LvCelestial, PlanetsStandFirmAndAsteroidsLetPodsThrough) {
    AddPrototype<Planet>("Planet", [](Entity& e) { SetFloat(e, "mass", 20.0f); });
    AddPrototype<Asteroid>("Asteroid");
    AddPrototype<UtilityPod>("pod");
    auto* planet = Spawn<Planet>("Planet");
    auto* rock = Spawn<Asteroid>("Asteroid", {5, 0, 0});
    auto* other = Spawn<Asteroid>("Asteroid", {7, 0, 0});
    auto* pod = Spawn<Entity>("pod", {9, 0, 0});
    // Each is told of the other with the normal from the other towards it.
    rock->velocity = {-1, 0, 0};
    planet->OnCollision(rock, {-1, 0, 0});
    EXPECT_EQ(planet->pendingImpulse, Vec3());
    other->velocity = {-1, 0, 0};
    rock->velocity = {1, 0, 0};
    rock->OnCollision(other, {-1, 0, 0});
    EXPECT_NE(rock->pendingImpulse, Vec3()) << "asteroids bounce off each other";
    other->velocity = {1, 0, 0};
    pod->velocity = {-1, 0, 0};
    other->OnCollision(pod, {-1, 0, 0});
    EXPECT_EQ(other->pendingImpulse, Vec3()) << "a pod passes through";
    pod->OnCollision(other, {1, 0, 0});
    EXPECT_NE(pod->pendingImpulse, Vec3()) << "while the pod itself bounces";
}

} // namespace
} // namespace lumivane::test
