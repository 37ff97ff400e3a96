// Suns, planets, moons and asteroids in collisions; the sky's settings,
// placement and star tiling; and the random and rotation helpers the
// scenery draws on.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "desktop/scene/entity/celestial.h"
#include "desktop/scene/entity/celestial_bodies.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/scene_classes.h"
#include "tests/desktop/scene/entity/scenery_fixture.h"

namespace lumivane::test {
namespace {

using LvCelestial = SceneryTest;

// The generator's documented step and unit draw, computed apart from it.
float UnitFrom(uint32_t& x) {
    x = x * 1664525u + 1013904223u;
    return std::bit_cast<float>((x & 0x007FFFFFu) | 0x3F800000u) - 1.0f;
}

TEST_F(LvCelestial, TheSunDestroysWhatTouchesItAndBouncesNothing) {
    AddPrototype<Sun>("Sun", [](Entity& e) {
        SetFloat(e, "mass", 5000.0f);
        SetFlag(e, "affected by gravity", false);
    });
    AddPrototype("probe", [](Entity& e) {
        SetFloat(e, "health max", 5.0f);
        SetFlag(e, "affected by gravity", false);
    });
    Entity* sun = Spawn("Sun");
    Entity* probe = Spawn("probe", {2.05f, 0, 0});
    probe->velocity = {-1, 0, 0};
    const EntityHandle probeHandle = probe->handle;
    Step(0.1f);
    EXPECT_EQ(world.GetEntity(probeHandle), nullptr) << "999999 damage";
    EXPECT_EQ(sun->velocity, Vec3());
    EXPECT_EQ(sun->pendingImpulse, Vec3());
}

TEST_F(LvCelestial, TheSkyIsUnboundedFollowsTheCameraAndTilesItsStars) {
    auto* sky = AddPrototype<Celestial>("Sky");
    GeoNode* father = Cube("father", 1.0f);
    father->SetTexturePath("models\\textures\\STARS.dds");
    TextureSet stars, second;
    father->texture = &stars;
    father->secondTexture = &second;
    father->textureFrame = 2;
    sky->AddChild(father);
    sky->AddChild(Cube("band", 1.0f));
    auto* clone = Spawn<Celestial>("Sky");
    EXPECT_EQ(clone->radius, kLargestDistance);
    auto* ownFather = static_cast<GeoNode*>(clone->ChildAt(0));
    auto* band = static_cast<GeoNode*>(clone->ChildAt(1));
    EXPECT_EQ(ownFather->twoSided, 1);
    EXPECT_EQ(band->twoSided, 0);
    EXPECT_EQ(ownFather->textureLevel, 6);
    EXPECT_EQ(ownFather->sharesVertices, 0) << "the sky's own vertices";

    camera.pose.position = {5, 6, 7};
    clone->position = {1, 1, 1};
    Step(0.1f);
    EXPECT_EQ(clone->position, Vec3(1, 1, 1)) << "no physics";
    ASSERT_EQ(display.requests.size(), 2u);
    EXPECT_EQ(display.requests[0].set, &stars);
    EXPECT_EQ(display.requests[0].frame, 2);
    EXPECT_EQ(display.requests[0].priority, 999);
    EXPECT_EQ(display.requests[0].level, 5);
    EXPECT_EQ(display.requests[1].set, &second);
    EXPECT_EQ(display.requests[1].level, 3);
    EXPECT_EQ(ownFather->textureLevel, 5);
    clone->Animate(clone);
    EXPECT_EQ(clone->local.GetTranslation(), Vec3(5, 6, 7));

    std::vector<Vertex> vertices(ownFather->Vertices(),
                                 ownFather->Vertices() + ownFather->vertexCount);
    vertices[0].u = 1.0f;
    vertices[0].colour = 0x20304050;
    GetDisplayState().screenWidth = 800; // 800 x 0.0015625 x 0.6 = 0.75
    clone->NodeCallback(ownFather, vertices.data());
    EXPECT_FLOAT_EQ(clone->starFactor, 0.75f * 1.7f);
    EXPECT_FLOAT_EQ(vertices[0].u, 0.75f * 1.7f);
    EXPECT_EQ(vertices[0].colour, 0xFFFFFFFFu);
    GetDisplayState().screenWidth = 4000;
    vertices[0].u = 1.0f;
    clone->NodeCallback(ownFather, vertices.data());
    EXPECT_FLOAT_EQ(vertices[0].u, 1.7f) << "held to 1 before the boost";
    vertices[0].u = 1.0f;
    clone->NodeCallback(band, vertices.data());
    EXPECT_EQ(vertices[0].u, 1.0f) << "only the star texture";
}

TEST_F(LvCelestial, AMotherBodyStandsAtTheOriginAtItsScale) {
    AddPrototype<Celestial>("mother", [](Entity& e) { SetFloat(e, "scale", 3.0f); });
    auto* mother = Spawn<Celestial>("mother", {9, 9, 9});
    camera.pose.position = {5, 6, 7};
    mother->Animate(mother);
    Matrix expected;
    expected.MakeScale(3, 3, 3);
    EXPECT_EQ(mother->local, expected);
}

TEST_F(LvCelestial, RandomHelpersFollowTheGeneratorBitForBit) {
    uint32_t x = 0;
    MainRandom().Seed(0);
    for (int i = 0; i < 5; ++i) {
        const float u = UnitFrom(x);
        EXPECT_EQ(std::bit_cast<uint32_t>(RandomFloat(2.0f, 6.0f)),
                  std::bit_cast<uint32_t>(2.0f + 4.0f * u));
    }
    // A direction draws z, then y, then x.
    const float z = UnitFrom(x) * 2.0f - 1.0f;
    const float y = UnitFrom(x) * 2.0f - 1.0f;
    const float xx = UnitFrom(x) * 2.0f - 1.0f;
    const Vec3 d = RandomDirection();
    const float length = std::sqrt(xx * xx + y * y + z * z);
    EXPECT_NEAR(d.x, xx / length, 1e-6f);
    EXPECT_NEAR(d.y, y / length, 1e-6f);
    EXPECT_NEAR(d.z, z / length, 1e-6f);
    EXPECT_EQ(MainRandom().State(), x);
}

TEST_F(LvCelestial, AxisAngleTurnsAndHamiltonProducts) {
    const Quat quarter = Quat::MakeAxisAngle({0, 1, 0}, kPi / 2);
    EXPECT_NEAR(quarter.y, std::sqrt(0.5f), 1e-4f);
    EXPECT_NEAR(quarter.w, std::sqrt(0.5f), 1e-4f);
    Vec3 v(0, 0, 1);
    quarter.RotateVector(v);
    EXPECT_NEAR(std::fabs(v.x), 1.0f, 1e-3f);
    EXPECT_NEAR(v.z, 0.0f, 1e-3f);
    // The axis is not normalised: its length scales the vector part.
    EXPECT_NEAR(Quat::MakeAxisAngle({0, 2, 0}, kPi / 2).y, 2 * std::sqrt(0.5f), 1e-4f);
    // Two quarter turns make a half turn.
    const Quat half = quarter * quarter;
    EXPECT_NEAR(half.y, 1.0f, 1e-3f);
    EXPECT_NEAR(half.w, 0.0f, 1e-3f);
    const Quat i(1, 0, 0, 0), j(0, 1, 0, 0);
    const Quat k = i * j;
    EXPECT_EQ(k.z, 1.0f) << "i j = k";
}

} // namespace
} // namespace lumivane::test
