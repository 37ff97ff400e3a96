// Lights: one type at a time, colours kept as floats and as a colour word,
// flicker, the world's list of global lights, and a light that goes with
// its owner.
#include <gtest/gtest.h>

#include "desktop/scene/entity/light.h"
#include "tests/desktop/scene/entity/scenery_fixture.h"

namespace lumivane::test {
namespace {

using LvLight = SceneryTest;

bool TypeIs(const Light& light, bool point, bool directional, bool spot) {
    const LightPropFields& f = LightFields();
    return light.props->Flag(f.point) == point && light.props->Flag(f.directional) == directional &&
           light.props->Flag(f.spotlight) == spot;
}

TEST_F(LvLight, ALightHasItsOwnDefaultsAndExactlyOneType) {
    Light* lamp = AddPrototype<Light>("lamp");
    EXPECT_EQ(lamp->props->Size(), 913u);
    EXPECT_EQ(lamp->props->Get<uint32_t>(LightFields().diffuseColour), 0xFFFFFFFFu);
    EXPECT_EQ(lamp->props->Get<uint32_t>(LightFields().ambientColour), 0xFF000000u);
    EXPECT_FALSE(lamp->PropFlag("can collide"));
    EXPECT_FALSE(lamp->PropFlag("pickable"));
    EXPECT_TRUE(lamp->PropFlag("no disappear"));
    EXPECT_EQ(lamp->PropFloat("health max"), 0.0f);
    EXPECT_TRUE(TypeIs(*lamp, true, false, false));

    const LightPropFields& f = LightFields();
    lamp->props->SetFlag(f.spotlight, true);
    lamp->PropChanged(int32_t(f.spotlight));
    EXPECT_TRUE(TypeIs(*lamp, false, false, true)) << "Spotlight turns Point off";
    lamp->props->SetFlag(f.point, false); // whatever value was written
    lamp->PropChanged(int32_t(f.point));
    EXPECT_TRUE(TypeIs(*lamp, true, false, false)) << "Point turns Spotlight off";
    // A file that sets two: the first wins.
    lamp->props->SetFlag(f.directional, true);
    lamp->props->SetFlag(f.spotlight, true);
    lamp->props->SetFlag(f.point, false);
    lamp->PropChanged(kAllProps);
    EXPECT_TRUE(TypeIs(*lamp, false, true, false));
}

TEST_F(LvLight, ColoursAreKeptAsFloatsAndAsAWord) {
    Light* lamp = AddPrototype<Light>("lamp");
    const LightPropFields& f = LightFields();
    lamp->props->Set<uint32_t>(f.diffuseColour, 0xFF804020u);
    lamp->PropChanged(int32_t(f.diffuseColour));
    EXPECT_NEAR(lamp->props->Float(f.diffuse[0]), 0.50196f, 1e-5f);
    EXPECT_NEAR(lamp->props->Float(f.diffuse[1]), 0.25098f, 1e-5f);
    EXPECT_NEAR(lamp->props->Float(f.diffuse[2]), 0.12549f, 1e-5f);
    lamp->props->Set<float>(f.ambient[0], 1.0f);
    lamp->props->Set<float>(f.ambient[1], 0.5f); // 127.5 rounds to 128
    lamp->PropChanged(int32_t(f.ambient[1]));
    EXPECT_EQ(lamp->props->Get<uint32_t>(f.ambientColour), 0xFFFF8000u);
    lamp->props->Set<float>(f.ambient[2], 7.0f); // held to a byte
    lamp->PropChanged(int32_t(f.ambient[2]));
    EXPECT_EQ(lamp->props->Get<uint32_t>(f.ambientColour), 0xFFFF80FFu);
}

TEST_F(LvLight, GlobalLightsJoinTheWorldsListAndColoursFlicker) {
    Light* proto = AddPrototype<Light>("lamp", [](Entity& e) {
        SetFlag(e, "Global", true);
        SetFloat(e, "Diffuse Flicker Amt", 1.0f);
        SetFloat(e, "Diffuse Flicker Spd", 2.0f);
    });
    auto* lamp = Spawn<Light>("lamp");
    ASSERT_EQ(world.Lights().size(), 1u);
    EXPECT_EQ(world.Lights()[0], lamp);
    float low = 2.0f, high = -1.0f;
    for (int i = 0; i < 40; ++i) {
        Step(0.05f);
        EXPECT_LE(lamp->diffuse.x, 1.0f);
        EXPECT_GE(lamp->diffuse.x, 0.0f);
        EXPECT_EQ(lamp->ambient, Vec3()) << "a black ambient stays black";
        low = std::min(low, lamp->diffuse.x);
        high = std::max(high, lamp->diffuse.x);
    }
    EXPECT_LT(low, high) << "it flickers";
    SetFlag(*proto, "Global", false);
    proto->PropChanged(int32_t(LightFields().global));
    EXPECT_TRUE(world.Lights().empty());
}

TEST_F(LvLight, ALightOnAUnitGoesWithIt) {
    AddPrototype<Light>("lamp");
    AddPrototype("carrier", [](Entity& e) { SetFlag(e, "affected by gravity", false); });
    Entity* carrier = Spawn("carrier");
    // The carrier's first frame remakes its property parts; hang the lamp after it.
    world.JoinPending();
    Step(0.05f);
    auto* lamp = static_cast<Light*>(carrier->SpawnPart("lamp", carrier));
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(lamp->freeStanding, 0);
    const EntityHandle lampHandle = lamp->handle;
    world.JoinPending();
    Step(0.05f);
    ASSERT_EQ(world.GetEntity(lampHandle), lamp) << "it lives while its carrier does";
    world.QueueRemove(carrier, nullptr, false);
    Step(0.05f);
    Step(0.05f);
    EXPECT_EQ(world.GetEntity(lampHandle), nullptr);
}

} // namespace
} // namespace lumivane::test
