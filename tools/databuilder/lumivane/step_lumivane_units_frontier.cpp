// Writes Lumivane's frontier scene, "scenes\frontier.mis", built in code and
// saved by the scene's own Save: two squadrons of the ship classes clash
// near the Sun while a mine layer sows mines on its run at the enemy, a
// colony ship sends out its settlers when the script says so and a prefab
// kit unfolds into a hub. Whenever a squadron is gone (or after a while) a
// fresh one comes through its side's gate, and between waves the camera
// tours the two sides. The scene is read back with the scene's Load.
#include "tools/databuilder/shared/data_step.h"

#include <cstdio>

#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/standalone_scene.h"
#include "desktop/scene/world/world.h"
#include "tools/databuilder/lumivane/lumivane_armada_classes.h"
#include "tools/databuilder/lumivane/lumivane_camera_data.h"
#include "tools/databuilder/lumivane/lumivane_scene_build.h"
#include "tools/databuilder/lumivane/lumivane_war_scene.h"
#include "tools/databuilder/lumivane/lumivane_waves.h"

namespace {

using namespace lumivane;

constexpr const char* kStep = "lumivane_units_frontier";
constexpr uint32_t kFrontierCreationTime = 1000000300; // a fixed identity: same bytes every build
constexpr int kWest = 1;
constexpr int kEast = 2;
constexpr int32_t kWarTriggerId = 26;
constexpr Vec3 kLookAcross{0.0f, -0.45f, 0.9f};
constexpr uint32_t kWaveAtLatestMs = 150000;
constexpr float kWaveViewDistance = 85.0f;
constexpr float kSideViewDistance = 45.0f;

bool BuildFrontier(const std::filesystem::path& root) {
    SetSceneTimeSource([] { return kFrontierCreationTime; });
    StandaloneScene frontier(root);
    bool ok = frontier.Loaded();
    frontier.players[kWest]->enemy[kEast] = 1;
    frontier.players[kEast]->enemy[kWest] = 1;
    for (const char* backdrop : {"Sky", "Sun", "Sunlight"}) {
        SpawnRecord at;
        ok = frontier.scene.SpawnByName(backdrop, at) && ok;
    }
    frontier.world.JoinPending();
    databuilder::ArmadaClassesPlan plan;
    plan.centre = {0, 0, 110};
    plan.west = kWest;
    plan.east = kEast;
    plan.firstTriggerId = 30;
    databuilder::WavePlan waves{
        .west = {kWest,
                 plan.centre + Vec3(-50, 3, 0),
                 {1, 0, 0},
                 {"rotary gunship", "interceptor", "interceptor", "missile boat"},
                 {}},
        .east = {kEast,
                 plan.centre + Vec3(50, -3, 0),
                 {-1, 0, 0},
                 {"rotary gunship", "catamaran", "interceptor", "missile boat"},
                 {}},
        .firstTriggerId = 50,
        .latestMs = kWaveAtLatestMs,
        .viewDirection = kLookAcross,
        .viewDistance = kWaveViewDistance,
        .sideViewDistance = kSideViewDistance};
    plan.waves = &waves;
    databuilder::AddWar(frontier.scene, kWarTriggerId, kWest, kEast);
    const int triggers =
        databuilder::PlaceArmadaClasses(frontier.scene, frontier.world, plan, kStep);
    frontier.scene.title = "Frontier";
    frontier.scene.secondTitle = "Frontier";
    frontier.scene.text5 = "frontier";
    // The camera follows both squadrons, looking away from the Sun.
    const databuilder::StartView start{databuilder::UnitsOf(frontier.world, {kWest, kEast}),
                                       kLookAcross};
    ok = ok && triggers > 0 && databuilder::UnitsKeepApart(frontier.world, kStep) &&
         databuilder::SaveAndCheckScene(frontier.scene, root, "scenes\\frontier.mis",
                                        size_t(triggers) + 1, kStep, &start);
    SetSceneTimeSource(nullptr);
    if (!ok) std::fprintf(stderr, "%s: the frontier scene could not be built\n", kStep);
    return ok;
}

} // namespace

DATABUILDER_STEP(LumivaneUnitsFrontier, "lumivane_units_frontier") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    return databuilder::MakeSceneFolders(root, kStep) &&
           databuilder::WriteSceneTexts(root / "scenes" / "frontier.csv",
                                        "Lumivane frontier scene texts", {{1, "title", "Frontier"}},
                                        kStep) &&
           BuildFrontier(root);
}
