// Writes Lumivane's battle scene, "scenes\battle.mis", built in code from
// the arms and saved by the scene's own Save: two computer players at war
// (players 1 and 2), each with a fleet of armed ships closing on the
// other; player 2 holds a station of pods docked on a core, and a mine
// field lies behind it. The script sends the first fleet's strike group at
// the station core and the second fleet hunting, and whenever a fleet's
// ships are gone (or after a while) a new wave of its ships comes through
// the gate behind it. The camera rides near one ship in the fight after
// another, and with the station while it is under attack. The companion
// table names the scene. The scene is read back with the scene's Load.
#include "tools/databuilder/shared/data_step.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/standalone_scene.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/ship_base/ship.h"
#include "tools/databuilder/lumivane/lumivane_camera_data.h"
#include "tools/databuilder/lumivane/lumivane_scene_build.h"
#include "tools/databuilder/lumivane/lumivane_war_scene.h"
#include "tools/databuilder/lumivane/lumivane_waves.h"

namespace {

using namespace lumivane;

constexpr uint32_t kBattleCreationTime = 1000000200; // a fixed identity: same bytes every build
constexpr int kWest = 1;
constexpr int kEast = 2;
constexpr int kComputerLevel = 1; // every idle unit is sent to fight

using databuilder::PlacedUnit;

// The west fleet heads east along +X; its strike group (the first three)
// is sent at the station.
constexpr PlacedUnit kWestFleet[] = {
    {"lancer", {-8, 0, 126}},   {"picket", {-6, 0, 132}},  {"picket", {-6, 0, 120}},
    {"gunship", {-12, 0, 104}}, {"gunship", {-16, 0, 96}}, {"gunship", {-20, 0, 110}},
};
constexpr PlacedUnit kEastFleet[] = {
    {"stinger", {26, 0, 100}}, {"stinger", {26, 0, 92}}, {"stinger", {30, 0, 108}},
    {"warden", {34, 0, 96}},   {"gunship", {30, 0, 84}}, {"gunship", {36, 0, 112}},
};
constexpr int kStrikeGroup = 3;
constexpr Vec3 kStationAt{12, 0, 132};
constexpr int kStationPods = 4;
constexpr Vec3 kMineField{8, 0, 160}; // behind the station

constexpr const char* kStep = "lumivane_units_battle";
constexpr Vec3 kLookAcross{0.0f, -0.45f, 0.9f};
// Reinforcements come through a gate behind each fleet.
constexpr Vec3 kWestGate{-34, 4, 114};
constexpr Vec3 kEastGate{58, -4, 114};
constexpr uint32_t kWaveAtLatestMs = 150000;
constexpr int32_t kWaveTriggerId = 40;
// The camera director watches the fight as over any light ships; the
// station a little nearer.
constexpr databuilder::WaveWatch kWatch = databuilder::kLightShipsWatch;
constexpr float kStationShare = 0.2f;
constexpr float kStartShare = 1.3f;

// The core with a pod at each dock.
Entity* Station(databuilder::FleetBuilder& build, int player) {
    Entity* core = build.Spawn("stationcore", kStationAt, player);
    build.world.JoinPending();
    if (!core) return nullptr;
    for (int i = 1; i <= kStationPods; ++i) {
        Entity* pod = build.Spawn("stationpod", kStationAt, player);
        if (!pod) continue;
        pod->ownerHandle = core->handle;
        pod->targetLinkNode = core->FindByName("dock" + std::to_string(i));
        pod->ownLinkNode = pod;
        if (!pod->targetLinkNode) build.ok = false;
    }
    build.world.JoinPending();
    return core;
}

void MineField(databuilder::FleetBuilder& build, int player) {
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            build.Spawn("mine",
                        kMineField + Vec3(float(column) * 5.0f, 0, float(row) * 5.0f - 5.0f),
                        player);
    build.world.JoinPending();
}

bool BuildBattle(const std::filesystem::path& root) {
    SetSceneTimeSource([] { return kBattleCreationTime; });
    StandaloneScene battle(root);
    databuilder::FleetBuilder build{battle.scene, battle.world, kStep, battle.Loaded()};
    databuilder::OpenWar(battle, build, kWest, kEast, kComputerLevel);
    databuilder::WavePlan waves = databuilder::EastWestWaves(
        build, {kWest, kWestGate, {"lancer", "picket", "gunship", "gunship"}, kWestFleet},
        {kEast, kEastGate, {"stinger", "stinger", "warden", "gunship"}, kEastFleet}, kWaveTriggerId,
        kWaveAtLatestMs, kLookAcross);
    Entity* core = Station(build, kEast);
    MineField(build, kEast);
    if (databuilder::AddWaves(build, waves).empty()) build.ok = false;
    const std::vector<EntityHandle>& west = waves.west.opening;
    const std::vector<EntityHandle>& east = waves.east.opening;

    if (core && west.size() >= size_t(kStrikeGroup))
        databuilder::AddOrder(battle.scene, "strike the station", 30, 1000, action::kAttack,
                              {west.begin(), west.begin() + kStrikeGroup}, core->handle);
    databuilder::AddOrder(battle.scene, "hunt", 31, 1500, action::kHunt, east, kNoEntity);

    databuilder::DirectorPlan director = databuilder::WaveDirector(battle.world, waves, kWatch);
    if (core) {
        // Third, after the first two ships, while the west attacks it.
        const databuilder::DirectorShot station{
            "station",
            {core->handle},
            kWest,
            kWatch.fightReach,
            databuilder::LookDirection(kLookAcross, -25, 30),
            databuilder::DistanceToSpan(core->radius, kStationShare)};
        director.shots.insert(director.shots.begin() + std::min<size_t>(2, director.shots.size()),
                              station);
    }
    databuilder::AddCameraDirector(battle.scene, director);

    battle.scene.title = "Battle";
    battle.scene.secondTitle = "Battle";
    battle.scene.text5 = "battle";
    // The camera follows both fleets, looking away from the Sun across them
    // at the station, near enough that their ships read as ships.
    std::vector<EntityHandle> fleets = west;
    fleets.insert(fleets.end(), east.begin(), east.end());
    const databuilder::StartView start{fleets, kLookAcross, kStartShare};
    const bool ok = build.ok && databuilder::UnitsKeepApart(battle.world, kStep) &&
                    databuilder::SaveAndCheckScene(battle.scene, root, "scenes\\battle.mis",
                                                   battle.scene.triggers.size(), kStep, &start);
    SetSceneTimeSource(nullptr);
    if (!ok) std::fprintf(stderr, "%s: the battle scene could not be built\n", kStep);
    return ok;
}

} // namespace

DATABUILDER_SCENE_STEP(LumivaneUnitsBattle, "lumivane_units_battle") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    return databuilder::MakeSceneFolders(root, kStep) &&
           databuilder::WriteSceneTexts(root / "scenes" / "battle.csv",
                                        "Lumivane battle scene texts", {{1, "title", "Battle"}},
                                        kStep) &&
           BuildBattle(root);
}
