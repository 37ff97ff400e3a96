// The shipped scenes over their ten minutes, with the program's camera
// following them: five minutes in, units are still in the camera's picture,
// which has seldom been empty; the war scenes send new waves through their
// gates as the old ones are used up, and the camera turns to each wave; the
// fleet's squads travel.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "desktop/display/camera/camera.h"
#include "desktop/scene/world/trigger.h"
#include "desktop/units/ship_base/ship.h"
#include "platform/paths.h"
#include "tools/scenerun/scene_runner.h"

namespace lumivane {
namespace {

constexpr int kSecond = 30;
constexpr int kFiveMinutes = 5 * 60 * kSecond;
constexpr float kWideScreen = 16.0f / 9.0f;

struct CameraRun {
    std::map<std::string, int> fired; // trigger name: times
    SceneRunner run{[this](std::string_view line) {
        const size_t open = line.find('"'), close = line.rfind('"');
        if (line.ends_with("fired") && open != close)
            ++fired[std::string(line.substr(open + 1, close - open - 1))];
    }};
    bool loaded = false;

    explicit CameraRun(const char* scene) {
        run.EnableCamera(kWideScreen);
        std::string error;
        loaded = run.Load(platform::ProgramFolder() / "LumivaneData", scene, error);
        EXPECT_TRUE(loaded) << error;
    }
    int emptySeconds = 0; // seconds at whose end no unit was in the picture
    void Play(int frames) {
        for (int f = 0; f < frames; ++f) {
            run.Step();
            if (++played % kSecond == 0 && run.UnitsInPicture() == 0) ++emptySeconds;
        }
    }
    int played = 0;
};

TEST(LvSceneAction, TheWarScenesKeepFightingInTheCamerasPicture) {
    for (const char* scene : {"scenes\\battle.mis", "scenes\\frontier.mis", "scenes\\armada.mis"}) {
        CameraRun watch(scene);
        ASSERT_TRUE(watch.loaded) << scene;
        ASSERT_NE(watch.run.View(), nullptr);
        watch.Play(1);
        ASSERT_GT(watch.run.UnitsInPicture(), 4) << scene << ": the opening fleets";
        watch.Play(kFiveMinutes);
        // Waves came (the opening fleets do not last five minutes), and the
        // camera went with them: it follows live units and has some in view.
        EXPECT_GE(watch.fired["reinforcements"], 2) << scene;
        EXPECT_GE(watch.fired["reinforcements arrive"], 2) << scene;
        int followed = 0;
        for (EntityHandle target : watch.run.View()->Current().targets)
            if (AsShip(watch.run.world.GetEntity(target))) ++followed;
        EXPECT_GT(followed, 0) << scene;
        EXPECT_GE(watch.run.UnitsInPicture(), 2) << scene;
        // Nor did it stay long on empty space: ships that leave the battle
        // do not draw it off, and a group it rode with that is gone is
        // soon replaced by the next.
        EXPECT_LE(watch.emptySeconds, 15) << scene << ": seconds with no unit in the picture";
    }
}

TEST(LvSceneAction, TheFleetTravelsAndTheCameraVisitsItsSquads) {
    CameraRun watch("scenes\\fleet.mis");
    ASSERT_TRUE(watch.loaded);
    // Where each unit starts, to see how far the squads have flown.
    std::map<EntityHandle, Vec3> start;
    for (int i = 0; i < watch.run.world.EntityCount(); ++i)
        if (const Ship* unit = AsShip(watch.run.world.EntityAt(i)); unit && unit->squad)
            start[unit->handle] = unit->position;
    ASSERT_GE(start.size(), 20u);
    watch.Play(30 * 30);
    int flown = 0;
    for (const auto& [handle, at] : start)
        if (const Entity* unit = watch.run.world.GetEntity(handle);
            unit && (unit->position - at).Length() > 20.0f)
            ++flown;
    EXPECT_GE(flown, int(start.size()) / 2) << "most squad ships travel in half a minute";
    // Half a minute in, the camera rides with one squad, close by.
    const CameraView& view = watch.run.View()->Current();
    EXPECT_GE(view.targets.size(), 4u);
    EXPECT_LE(view.targets.size(), 6u);
    EXPECT_GE(watch.run.UnitsInPicture(), 3);
    watch.Play(kFiveMinutes - 30 * 30);
    EXPECT_GE(watch.fired["tour"], 2) << "the tour starts over";
    EXPECT_GE(watch.run.UnitsInPicture(), 1);
}

// Hell's Heart's tour rides with its planets as they creep round the Sun,
// and through the scene's ten minutes the camera stays on each planet's
// sunlit side: the Sun lies within 65 degrees of the camera as seen from
// the planet (more, and much of what the camera sees is the night side).
TEST(LvSceneAction, HellsHeartsTourSeesThePlanetsSunlitFaces) {
    CameraRun watch("scenes\\Hell's Heart.mis");
    ASSERT_TRUE(watch.loaded);
    const float widest = std::cos(65.0f * 3.14159265f / 180.0f);
    int looked = 0;
    for (int second = 0; second < 10 * 60; ++second) {
        watch.Play(kSecond);
        // Between moves, riding with a planet.
        const CameraView& view = watch.run.View()->Current();
        if (watch.run.View()->Transition().moving || view.targets.size() != 1) continue;
        const Entity* planet = watch.run.world.GetEntity(view.targets[0]);
        if (!IsA(planet, ClassId::Planet)) continue;
        Vec3 toCamera = view.position - planet->position;
        Vec3 toSun = Vec3() - planet->position; // the Sun stands at the origin
        toCamera.Normalize();
        toSun.Normalize();
        EXPECT_GT(Vec3::Dot(toCamera, toSun), widest) << "at " << second << " s";
        ++looked;
    }
    EXPECT_GT(looked, 2 * 60) << "seconds spent with a planet";
}

} // namespace
} // namespace lumivane
