// The war scenes' ships keep clear of one another: none starts inside
// another, none comes out of a gate into the ship before it, and while they
// fight their hulls seldom reach deep into each other; and every unit, the
// debris it breaks into and its blast are drawn at their own size, so the
// picture shows the hulls the collision pass keeps apart.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "desktop/display/camera/camera.h"
#include "desktop/scene/entity/debris.h"
#include "desktop/units/ship_base/ship.h"
#include "platform/paths.h"
#include "tools/scenerun/hull_watch.h"
#include "tools/scenerun/scene_runner.h"

namespace lumivane {
namespace {

constexpr int kSecond = 30;
constexpr int kFiveMinutes = 5 * 60 * kSecond;
// The smaller hull's centre reaches the larger one's surface.
constexpr float kDeep = 1.0f;

struct QuietRun {
    SceneRunner run;
    bool loaded = false;

    // `variant`: as another start of the program would play the scene.
    explicit QuietRun(const char* scene, uint32_t variant = 0)
        : run([](std::string_view) {}, variant) {
        run.EnableCamera(16.0f / 9.0f);
        std::string error;
        loaded = run.Load(platform::ProgramFolder() / "LumivaneData", scene, error);
        EXPECT_TRUE(loaded) << error;
    }
};

TEST(LvSceneHulls, TheWarScenesShipsKeepClearOfOneAnother) {
    // Frontier keeps its ships in a small scene, to whose edge they may be
    // chased: played also as two more starts of the program would play it.
    const std::pair<const char*, uint32_t> runs[] = {{"scenes\\armada.mis", 0},
                                                     {"scenes\\battle.mis", 0},
                                                     {"scenes\\frontier.mis", 0},
                                                     {"scenes\\frontier.mis", 1},
                                                     {"scenes\\frontier.mis", 2}};
    for (const auto& [scene, variant] : runs) {
        QuietRun watch(scene, variant);
        ASSERT_TRUE(watch.loaded) << scene;
        EXPECT_TRUE(OverlappingHulls(watch.run.world, 0.0f).empty()) << scene << ": as placed";
        // Pairs of ships deep inside each other, counted once a second: a
        // dogfight brushes hulls now and then, ships that stay inside one
        // another (placed so, or out of a gate into the one before) count
        // every second they do.
        int pairSeconds = 0;
        for (int f = 1; f <= kFiveMinutes; ++f) {
            watch.run.Step();
            if (f % kSecond == 0)
                pairSeconds += int(OverlappingHulls(watch.run.world, kDeep).size());
        }
        EXPECT_LE(pairSeconds, 30) << scene << " " << variant;
    }
}

TEST(LvSceneHulls, UnitsTheirDebrisAndBlastsAreDrawnAtTheirOwnSize) {
    QuietRun watch("scenes\\armada.mis");
    ASSERT_TRUE(watch.loaded);
    int units = 0, debris = 0, blasts = 0;
    // A minute and a half of fighting, looked at every second.
    for (int f = 1; f <= 90 * kSecond; ++f) {
        watch.run.Step();
        if (f % kSecond) continue;
        for (int i = 0; i < watch.run.world.EntityCount(); ++i) {
            const Entity* entity = watch.run.world.EntityAt(i);
            const Ship* unit = AsShip(entity);
            const bool isUnit = unit && !IsA(unit, ClassId::Weapon);
            const bool isDebris = IsA(entity, ClassId::Debris);
            // A blast takes on the growth of the unit it came from.
            const bool isBlast =
                IsA(entity, ClassId::PartSys) && entity->distanceScaleFactor != 0.0f;
            if (!isUnit && !isDebris && !isBlast) continue;
            units += isUnit, debris += isDebris, blasts += isBlast;
            // The camera stands well back from the fleets: a unit grown
            // with distance would be drawn several times its size.
            ASSERT_EQ(entity->GetDistanceScale(), 1.0f) << entity->Name();
        }
    }
    EXPECT_GT(units, 0);
    EXPECT_GT(debris, 0) << "ships broke up";
    EXPECT_GT(blasts, 0) << "ships blew up";
}

} // namespace
} // namespace lumivane
