// The shipped scenes over their ten minutes, with the program's camera
// following them: five minutes in, units are still in the camera's picture,
// which has seldom been empty or held only specks; the war scenes send new
// waves through their gates as the old ones are used up, and their camera
// rides near one ship in the fight after another, whatever the generators
// the program seeds from the clock draw; the base's camera visits its yard;
// the demo starts on its fleet; the fleet's squads travel, and its camera
// rides with one after another near enough that their ships read.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "desktop/display/camera/camera.h"
#include "desktop/scene/world/squad.h"
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
    SceneRunner run;
    bool loaded = false;

    // `variant`: as another start of the program would play the scene.
    explicit CameraRun(const char* scene, uint32_t variant = 0)
        : run(
              [this](std::string_view line) {
                  const size_t open = line.find('"'), close = line.rfind('"');
                  if (line.ends_with("fired") && open != close)
                      ++fired[std::string(line.substr(open + 1, close - open - 1))];
              },
              variant) {
        run.EnableCamera(kWideScreen);
        std::string error;
        loaded = run.Load(platform::ProgramFolder() / "LumivaneData", scene, error);
        EXPECT_TRUE(loaded) << error;
    }
    int emptySeconds = 0;  // seconds at whose end no unit was in the picture
    int specksSeconds = 0; // and no unit large enough to read as a ship
    // Plays the frames, calling `eachSecond` at the end of every second.
    void Play(int frames, const std::function<void()>& eachSecond = {}) {
        for (int f = 0; f < frames; ++f) {
            run.Step();
            if (++played % kSecond) continue;
            if (run.UnitsInPicture() == 0) ++emptySeconds;
            if (run.UnitsInPicture(SceneRunner::kSizeableShare) == 0) ++specksSeconds;
            if (eachSecond) eachSecond();
        }
    }
    int played = 0;

    // The entity the camera rides with when it follows exactly one that
    // lives and is not on its way to it; else null.
    const Entity* RiddenWith() const {
        const Camera* camera = run.View();
        const CameraView& view = camera->Current();
        if (camera->Transition().moving || view.targets.size() != 1) return nullptr;
        return run.world.GetEntity(view.targets[0]);
    }
};

std::string PrototypeName(const Entity& entity) {
    const Node* prototype = entity.Prototype();
    return prototype ? std::string(prototype->Name()) : std::string();
}

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
        // Nor did it stay long on empty space, or so far back that ships
        // were specks: ships that leave the battle do not draw it off, and
        // a ship it rode with that is gone is soon replaced by the next.
        EXPECT_LE(watch.emptySeconds, 15) << scene << ": seconds with no unit in the picture";
        EXPECT_LE(watch.specksSeconds, 15) << scene << ": seconds with no sizeable unit";
    }
}

// Frontier's ships split up across the scene, and some chase one another
// far off; the camera keeps to the fight. Played as three starts of the
// program would play it: the waves come at other times, other ships live.
TEST(LvSceneAction, TheWarCameraRidesNearOneShipInTheFightAfterAnother) {
    for (uint32_t variant : {0u, 1u, 2u}) {
        CameraRun watch("scenes\\frontier.mis", variant);
        ASSERT_TRUE(watch.loaded);
        int riding = 0, large = 0;
        std::set<EntityHandle> ridden;
        watch.Play(kFiveMinutes, [&] {
            const Ship* ship = AsShip(watch.RiddenWith());
            if (!ship || IsA(ship, ClassId::Weapon)) return;
            ++riding;
            ridden.insert(ship->handle);
            if (watch.run.PictureShare(*ship) >= SceneRunner::kSizeableShare) ++large;
        });
        // Most of the time with one ship, near enough that it reads well,
        // and a fair number of ships in turn.
        EXPECT_GT(riding, 5 * 60 / 2) << variant;
        EXPECT_GE(large, riding * 19 / 20) << variant;
        EXPECT_GE(ridden.size(), 8u) << variant;
        EXPECT_LE(watch.specksSeconds, 15) << variant;
    }
}

// Once the station has been shown, the base's camera goes round its yard:
// the pods' bay, the tug with its rock, the station, and again.
TEST(LvSceneAction, TheBasesCameraVisitsItsYardAndItsStation) {
    CameraRun watch("scenes\\base.mis");
    ASSERT_TRUE(watch.loaded);
    std::map<std::string, int> seconds; // with the camera on the unit
    watch.Play(kFiveMinutes, [&] {
        const Camera* camera = watch.run.View();
        if (camera->Transition().moving) return;
        for (EntityHandle target : camera->Current().targets)
            if (const Entity* unit = watch.run.world.GetEntity(target))
                ++seconds[PrototypeName(*unit)];
    });
    for (const char* visited : {"hub", "podbay", "tug"})
        EXPECT_GE(seconds[visited], 30) << visited;
    EXPECT_GE(watch.fired["yard tour"], 3);
    EXPECT_LE(watch.specksSeconds, 15);
}

// The demo opens on its fleet, and its units stay in sight.
TEST(LvSceneAction, TheDemoStartsOnItsFleet) {
    CameraRun watch("scenes\\demo.mis");
    ASSERT_TRUE(watch.loaded);
    watch.Play(1);
    EXPECT_GE(watch.run.UnitsInPicture(SceneRunner::kSizeableShare), 3);
    watch.Play(kFiveMinutes - 1);
    EXPECT_LE(watch.specksSeconds, 15);
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
    std::map<int, int> ridden; // squad: seconds with the camera riding with it
    auto rideWith = [&] {
        const CameraView& view = watch.run.View()->Current();
        const Ship* first =
            view.targets.empty() ? nullptr : AsShip(watch.run.world.GetEntity(view.targets[0]));
        if (first && first->squad) ++ridden[first->squad->index];
    };
    watch.Play(30 * 30, rideWith);
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
    watch.Play(kFiveMinutes - 30 * 30, rideWith);
    EXPECT_GE(watch.fired["tour"], 2) << "the tour starts over";
    EXPECT_GE(watch.run.UnitsInPicture(), 1);
    // It went round all four squads, and wherever it was, ships read as
    // ships: no view of the whole fleet from so far that they are specks.
    for (int squad = 1; squad <= 4; ++squad)
        EXPECT_GE(ridden[squad], 30) << "squad " << squad;
    EXPECT_LE(watch.emptySeconds, 5) << "seconds with no unit in the picture";
    EXPECT_LE(watch.specksSeconds, 15) << "seconds with no unit large enough to read";
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
