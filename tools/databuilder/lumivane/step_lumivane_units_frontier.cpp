// Writes Lumivane's frontier scene, "scenes\frontier.mis", built in code and
// saved by the scene's own Save: two squadrons of the ship classes clash
// near the Sun while a mine layer sows mines on its run at the enemy, a
// colony ship sends out its settlers when the script says so and a prefab
// kit unfolds into a hub. Whenever a squadron is gone (or after a while) a
// fresh one comes through its side's gate. The camera rides with one ship of
// the story after another, near enough that the fight round it reads: each
// side's wave ships, the bomber, the mine layer, the colony ship, the hub.
// The scene is read back with the scene's Load.
#include "tools/databuilder/shared/data_step.h"

#include <cstdio>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/standalone_scene.h"
#include "desktop/scene/world/world.h"
#include "tools/databuilder/lumivane/lumivane_armada_classes.h"
#include "tools/databuilder/lumivane/lumivane_camera_data.h"
#include "tools/databuilder/lumivane/lumivane_camera_director.h"
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
// Ships stay within this of the Sun's axis: a chase that would lead out of
// the scene ends at its edge, where no ship looks for enemies.
constexpr float kSceneRadius = 180.0f;
// The camera director watches the fight as over any light ships; the hub,
// a station, a little nearer.
constexpr databuilder::WaveWatch kWatch = databuilder::kLightShipsWatch;
constexpr float kHubShare = 0.2f;
constexpr float kStartShare = 1.4f;

// The director's shots of both sides' ships, with the story's other ships
// between every two: the bomber's and the mine layer's runs, the colony
// ship, the hub, the minesweeper.
databuilder::DirectorPlan FrontierDirector(const World& world, const databuilder::WavePlan& waves,
                                           const databuilder::ArmadaClassesCast& cast) {
    using databuilder::DistanceToSpan;
    using databuilder::LookDirection;
    auto radius = [&](EntityHandle unit) {
        const Entity* found = world.GetEntity(unit);
        return found ? found->radius : 0.0f;
    };
    // A shot of the story's ships while a ship of `player` fights near
    // them, looking across from `yaw` and `pitch` degrees round the view.
    auto shot = [&](const char* name, std::vector<EntityHandle> units, int player, float yaw,
                    float pitch, float distance) {
        return databuilder::DirectorShot{name,
                                         std::move(units),
                                         player,
                                         kWatch.fightReach,
                                         LookDirection(kLookAcross, yaw, pitch),
                                         distance};
    };
    auto spanned = [&](EntityHandle unit) { return DistanceToSpan(radius(unit), kWatch.share); };
    const databuilder::DirectorShot story[] = {
        shot("bomber", {cast.bomber}, kEast, 35, 25, spanned(cast.bomber)),
        shot("mine layer", {cast.mineLayer}, kEast, -35, 25, spanned(cast.mineLayer)),
        shot("colony ship", {cast.colonyShip}, kEast, 20, 30, spanned(cast.colonyShip)),
        // The kit is the smaller; the hub it becomes spans this share.
        shot("hub", {cast.kit, cast.hub}, kEast, -20, 35,
             DistanceToSpan(databuilder::PrototypeRadius("hub"), kHubShare)),
        shot("minesweeper", {cast.minesweeper}, kWest, 45, 20, spanned(cast.minesweeper)),
    };
    databuilder::DirectorPlan director = databuilder::WaveDirector(world, waves, kWatch);
    std::vector<databuilder::DirectorShot> shots;
    for (size_t i = 0; i < director.shots.size(); ++i) {
        shots.push_back(director.shots[i]);
        if (i % 2 == 1 && i / 2 < std::size(story)) shots.push_back(story[i / 2]);
    }
    director.shots = std::move(shots);
    return director;
}

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
        .viewDirection = kLookAcross};
    plan.waves = &waves;
    databuilder::ArmadaClassesCast cast;
    plan.cast = &cast;
    databuilder::AddWar(frontier.scene, kWarTriggerId, kWest, kEast);
    int triggers = databuilder::PlaceArmadaClasses(frontier.scene, frontier.world, plan, kStep);
    if (triggers > 0)
        triggers += databuilder::AddCameraDirector(frontier.scene,
                                                   FrontierDirector(frontier.world, waves, cast));
    frontier.scene.radius = kSceneRadius;
    frontier.scene.title = "Frontier";
    frontier.scene.secondTitle = "Frontier";
    frontier.scene.text5 = "frontier";
    // The camera follows both squadrons, looking away from the Sun, near
    // enough that its ships read as ships: the outermost may be left out.
    const databuilder::StartView start{databuilder::UnitsOf(frontier.world, {kWest, kEast}),
                                       kLookAcross, kStartShare};
    ok = ok && triggers > 0 && databuilder::UnitsKeepApart(frontier.world, kStep) &&
         databuilder::SaveAndCheckScene(frontier.scene, root, "scenes\\frontier.mis",
                                        size_t(triggers) + 1, kStep, &start);
    SetSceneTimeSource(nullptr);
    if (!ok) std::fprintf(stderr, "%s: the frontier scene could not be built\n", kStep);
    return ok;
}

} // namespace

DATABUILDER_SCENE_STEP(LumivaneUnitsFrontier, "lumivane_units_frontier") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    return databuilder::MakeSceneFolders(root, kStep) &&
           databuilder::WriteSceneTexts(root / "scenes" / "frontier.csv",
                                        "Lumivane frontier scene texts", {{1, "title", "Frontier"}},
                                        kStep) &&
           BuildFrontier(root);
}
