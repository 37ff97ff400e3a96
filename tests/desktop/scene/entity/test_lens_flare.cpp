// Lens flares: sprites made from their types in the overlay and taken out
// again, placed along the line through the screen's centre, faded behind a
// planet, hidden past the screen's edge, flickering at random when asked,
// and never NaN for sizes or distances of zero.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/entity/celestial_bodies.h"
#include "desktop/scene/entity/lens_flare.h"
#include "tests/desktop/scene/entity/scenery_fixture.h"

namespace lumivane::test {
namespace {

class LvLensFlare : public SceneryTest {
protected:
    LvLensFlare() {
        for (int type = 1; type <= 3; ++type) {
            const std::string name = "lensflare" + std::to_string(type);
            Entity* sprite = AddPrototype(name.c_str());
            GeoNode* quad = Cube(name.c_str(), 0.5f);
            for (int v = 0; v < quad->vertexCount; ++v)
                quad->Vertices()[v].colour = 0xC8FFFFFF; // alpha 200
            sprite->AddChild(quad);
        }
    }
    // A flare of its own size 2 with flare 1 (type 0) and flare 2 (type 2),
    // as bright near as far.
    LensFlare* Flare(Vec3 at, float scale = 2.0f, float frequency = 1.0f) {
        AddPrototype<LensFlare>("flare", [&](Entity& e) {
            SetFloat(e, "scale", scale);
            SetFloat(e, "oscillate freq", frequency);
            SetFlag(e, "distance attenuation", false);
            SetFlag(e, "flare 1 on", true);
            SetFloat(e, "flare 1 position", 0.5f);
            SetFlag(e, "flare 2 on", true);
            SetInt(e, "flare 2 type", 2);
            SetFloat(e, "flare 2 opacity", 0.5f);
        });
        return Spawn<LensFlare>("flare", at);
    }
    float Alpha(const LensFlare& flare, int sprite) const {
        auto* geo = static_cast<GeoNode*>(flare.Sprite(sprite)->ChildAt(0));
        return float(geo->Vertices()[0].colour >> 24);
    }
};

TEST_F(LvLensFlare, SpritesComeFromTheirTypesAndLeaveWithTheFlare) {
    LensFlare* flare = Flare({0, 0, 50});
    EXPECT_EQ(flare->props->Size(), 1020u);
    EXPECT_FALSE(flare->PropFlag("pickable"));
    flare->Animate(flare);
    ASSERT_EQ(display.overlay->ChildCount(), 2);
    ASSERT_NE(flare->Sprite(0), nullptr);
    EXPECT_EQ(flare->Sprite(0)->Name(), "lensflare1");
    EXPECT_EQ(flare->Sprite(1)->Name(), "lensflare3");
    EXPECT_EQ(flare->Sprite(0)->handle, kNoEntity) << "no entity of the world";
    // Straight ahead: full light; alpha = 255 x opacity x the model's 200 / 255.
    EXPECT_FLOAT_EQ(flare->Light().total, 1.0f);
    EXPECT_EQ(Alpha(*flare, 0), 200.0f);
    EXPECT_EQ(Alpha(*flare, 1), std::floor(127.0f * 200.0f / 255.0f));

    auto& proto = *static_cast<Entity*>(flare->Prototype());
    SetFlag(proto, "distance attenuation", true);
    flare->Animate(flare);
    EXPECT_NEAR(flare->Light().total, std::sqrt(5.0f * 2.0f / 50.0f), 1e-6f) << "far: dimmer";
    SetFlag(proto, "flare 1 on", false);
    SetInt(proto, "flare 2 type", 1);
    flare->Animate(flare);
    ASSERT_EQ(display.overlay->ChildCount(), 1);
    EXPECT_EQ(flare->Sprite(0), nullptr);
    EXPECT_EQ(flare->Sprite(1)->Name(), "lensflare2") << "remade for its new type";
    world.QueueRemove(flare, nullptr, false);
    world.FlushRemovals();
    EXPECT_EQ(display.overlay->ChildCount(), 0);
}

TEST_F(LvLensFlare, SpritesLieOnTheLineThroughTheScreensCentre) {
    LensFlare* flare = Flare({10, 5, 50});
    GetDisplayState().flareScale = 2.0f;
    GetDisplayState().verticalFactor = 0.75f;
    flare->Animate(flare);
    const CameraMatrices m = CurrentCameraMatrices();
    Vec3 screen = flare->position;
    (m.view * m.projection).TransformPoint(screen);
    const Entity* sprite = flare->Sprite(0);
    EXPECT_NEAR(sprite->position.x, 0.2f * -0.5f * screen.x, 1e-6f);
    EXPECT_NEAR(sprite->position.y, 0.2f * -0.5f * screen.y * 0.75f, 1e-6f);
    EXPECT_EQ(sprite->position.z, 0.1f);
    const float distance = flare->position.Length();
    EXPECT_NEAR(sprite->scale, 0.2f * (2.0f / distance) * 1.0f * 20.0f, 1e-6f);
    EXPECT_NEAR(flare->Sprite(1)->position.x, 0.0f, 1e-6f) << "flare 2 sits at position 0";
}

TEST_F(LvLensFlare, AFlareFadesBehindAPlanetAndHidesPastTheEdge) {
    AddPrototype<Planet>("Planet", [](Entity& e) { SetFloat(e, "scale", 5.0f); });
    LensFlare* flare = Flare({0, 0, 100});
    auto* planet = Spawn<Planet>("Planet", {20, 0, 50});
    flare->Animate(flare);
    EXPECT_FLOAT_EQ(flare->Light().occlusion, 1.0f) << "clear of the planet";
    float previous = 1.0f;
    for (float x : {5.6f, 5.3f, 5.0f, 4.0f, 0.0f}) {
        planet->position = {x, 0, 50};
        flare->Animate(flare);
        EXPECT_LE(flare->Light().occlusion, previous) << "at x " << x;
        previous = flare->Light().occlusion;
    }
    EXPECT_EQ(previous, 0.0f) << "covered";
    EXPECT_EQ(flare->Sprite(0)->visible, 0);
    planet->noFlareOcclusion = 1;
    flare->Animate(flare);
    EXPECT_FLOAT_EQ(flare->Light().occlusion, 1.0f);
    planet->noFlareOcclusion = 0;
    planet->position = {0, 0, 150}; // beyond the source
    flare->Animate(flare);
    EXPECT_FLOAT_EQ(flare->Light().occlusion, 1.0f);

    // Towards the right edge: on the side plane half the light (sqrt 1/2)...
    const Vec3 right = CurrentCameraMatrices().sideNormals[1];
    const Vec3 along = Vec3::Cross({0, 1, 0}, right); // in the plane, ahead
    flare->position = along * (100.0f / along.z);
    flare->Animate(flare);
    EXPECT_NEAR(flare->Light().edge, std::sqrt(0.5f), 1e-4f);
    EXPECT_EQ(flare->Sprite(0)->visible, 1);
    // ... and nothing once the source is out by more than its size.
    flare->position = flare->position + right * 2.5f;
    flare->Animate(flare);
    EXPECT_EQ(flare->Light().edge, 0.0f);
    EXPECT_EQ(flare->Sprite(0)->visible, 0);
}

TEST_F(LvLensFlare, HighFrequenciesFlickerAtRandomAndZeroSizesStayNumbers) {
    LensFlare* steady = Flare({0, 0, 50}, 2.0f, 1.0f);
    SetFloat(*static_cast<Entity*>(steady->Prototype()), "oscillate amplitude", 1.0f);
    GetSceneClock().gameTime = 250; // a quarter of a 1000 ms period: the crest
    steady->Animate(steady);
    EXPECT_NEAR(steady->Light().oscillation, 1.0f, 1e-4f);
    GetSceneClock().gameTime = 750;
    steady->Animate(steady);
    EXPECT_NEAR(steady->Light().oscillation, 0.0f, 1e-4f);

    SetFloat(*static_cast<Entity*>(steady->Prototype()), "oscillate freq", 100.0f);
    std::vector<float> seen;
    for (int i = 0; i < 4; ++i) {
        steady->Animate(steady);
        seen.push_back(steady->Light().oscillation);
    }
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_NE(seen[1], seen[2]);

    // Size 0, and a source at the camera itself.
    SetFloat(*static_cast<Entity*>(steady->Prototype()), "scale", 0.0f);
    for (Vec3 at : {Vec3(0, 0, 50), Vec3(0, 0, 0)}) {
        steady->position = at;
        steady->Animate(steady);
        EXPECT_TRUE(std::isfinite(steady->Light().total));
        EXPECT_TRUE(std::isfinite(steady->Sprite(0)->position.x));
        EXPECT_TRUE(std::isfinite(steady->Sprite(0)->scale));
    }
}

} // namespace
} // namespace lumivane::test
