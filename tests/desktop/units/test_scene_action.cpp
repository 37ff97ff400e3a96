// The shipped unit scenes over their ten minutes, with the program's camera
// following them: five minutes in, units are still in the camera's picture;
// the war scenes send new waves through their gates as the old ones are
// used up, and the camera turns to each wave; the fleet's squads travel.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "desktop/display/camera/camera.h"
#include "desktop/scene/world/trigger.h"
#include "desktop/units/ship_base/ship.h"
#include "platform/paths.h"
#include "tools/scenerun/scene_runner.h"

namespace lumivane {
namespace {

constexpr int kFiveMinutes = 5 * 60 * 30;
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
    void Play(int frames) {
        for (int f = 0; f < frames; ++f)
            run.Step();
    }
};

TEST(LvSceneAction, TheWarScenesKeepFightingInTheCamerasPicture) {
    for (const char* scene : {"scenes\\battle.mis", "scenes\\frontier.mis"}) {
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

} // namespace
} // namespace lumivane
