// Writes Lumivane's armada scene, "scenes\armada.mis", built in code from
// the capital units and saved by the scene's own Save: two computer
// players at war. The west (player 1) brings a carrier, an ATR, a capital
// ship, cruisers and patrol boats; the east (player 2) holds its ground
// with a perimeter station, a capital ship, a cruiser and patrol boats.
// The script sends the carrier and the ATR at the east's capital ship, so
// their fighters and marines launch at once, and every other idle unit is
// sent to fight by its computer player. Whenever a fleet's heavy ships are
// gone (or after a while) a new wave of its ships comes through the gate
// behind it. The camera rides near one ship in the fight after another.
// The step's name sorts after every
// unit step (steps run in name order), so all prototypes are written
// before the scene is built from them. The companion table names the
// scene. The scene is read back with the scene's Load.
#include "tools/databuilder/shared/data_step.h"

#include <cstdio>
#include <string>
#include <vector>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/standalone_scene.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/world.h"
#include "tools/databuilder/lumivane/lumivane_camera_data.h"
#include "tools/databuilder/lumivane/lumivane_scene_build.h"
#include "tools/databuilder/lumivane/lumivane_war_scene.h"
#include "tools/databuilder/lumivane/lumivane_waves.h"

namespace {

using namespace lumivane;

constexpr const char* kStep = "lumivane_zarmada";
constexpr uint32_t kArmadaCreationTime = 1000000300; // a fixed identity: same bytes every build
constexpr int kWest = 1;
constexpr int kEast = 2;
constexpr int kComputerLevel = 1; // every idle unit is sent to fight
constexpr Vec3 kLookAcross{0.0f, -0.45f, -0.9f};
// Reinforcements come through a gate behind each fleet, the small ships
// first: they clear the gate's mouth soonest.
constexpr Vec3 kWestGate{-70, 4, -114};
constexpr Vec3 kEastGate{60, -4, -114};
constexpr uint32_t kWaveAtLatestMs = 180000;
constexpr int32_t kWaveTriggerId = 40;
// How the camera director watches the fight (its trigger ids after the
// script's): the heavy ships fight from further apart.
constexpr databuilder::WaveWatch kWatch{.firstTriggerId = 100,
                                        .fightReach = 60.0f,
                                        .fieldReach = 130.0f,
                                        .fieldLeft = 170.0f,
                                        .share = 0.25f};

using databuilder::PlacedUnit;

// The west's carrier group (carrier first, ATR second) and its escort. The
// fleets lie where the west's orbit about the Sun runs east, toward the
// enemy, so a carrier holding its orbit keeps its heading while its craft
// land.
constexpr PlacedUnit kWestFleet[] = {
    {"carrier", {-52, 0, -100}},    {"atr", {-38, 4, -88}},      {"capitolship", {-50, 0, -124}},
    {"cruiser", {-30, -4, -110}},   {"cruiser", {-30, 6, -138}}, {"patrolboat", {-20, 0, -96}},
    {"patrolboat", {-20, 2, -124}},
};
constexpr int kCarrierGroup = 2;
constexpr PlacedUnit kEastFleet[] = {
    {"capitolship", {36, 0, -112}}, {"perimeterstation", {40, 0, -140}}, {"cruiser", {22, 4, -132}},
    {"patrolboat", {18, 0, -96}},   {"patrolboat", {20, -2, -116}},
};

bool BuildArmada(const std::filesystem::path& root) {
    SetSceneTimeSource([] { return kArmadaCreationTime; });
    StandaloneScene armada(root);
    databuilder::FleetBuilder build{armada.scene, armada.world, kStep, armada.Loaded()};
    databuilder::OpenWar(armada, build, kWest, kEast, kComputerLevel);
    databuilder::WavePlan waves = databuilder::EastWestWaves(
        build, {kWest, kWestGate, {"patrolboat", "patrolboat", "cruiser", "cruiser"}, kWestFleet},
        {kEast, kEastGate, {"patrolboat", "patrolboat", "cruiser", "capitolship"}, kEastFleet},
        kWaveTriggerId, kWaveAtLatestMs, kLookAcross);
    if (databuilder::AddWaves(build, waves).empty()) build.ok = false;
    const std::vector<EntityHandle>& west = waves.west.opening;
    const std::vector<EntityHandle>& east = waves.east.opening;

    if (west.size() >= size_t(kCarrierGroup) && !east.empty())
        databuilder::AddOrder(armada.scene, "carrier strike", 30, 1000, action::kAttack,
                              {west.begin(), west.begin() + kCarrierGroup}, east.front());

    databuilder::AddCameraDirector(armada.scene,
                                   databuilder::WaveDirector(armada.world, waves, kWatch));

    armada.scene.title = "Armada";
    armada.scene.secondTitle = "Armada";
    armada.scene.text5 = "armada";
    // The camera follows both fleets from the Sun's side.
    const databuilder::StartView start{databuilder::UnitsOf(armada.world, {kWest, kEast}),
                                       kLookAcross};
    const bool ok = build.ok && databuilder::UnitsKeepApart(armada.world, kStep) &&
                    databuilder::SaveAndCheckScene(armada.scene, root, "scenes\\armada.mis",
                                                   armada.scene.triggers.size(), kStep, &start);
    SetSceneTimeSource(nullptr);
    if (!ok) std::fprintf(stderr, "%s: the armada scene could not be built\n", kStep);
    return ok;
}

} // namespace

DATABUILDER_SCENE_STEP(LumivaneArmada, kStep) {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    return databuilder::MakeSceneFolders(root, kStep) &&
           databuilder::WriteSceneTexts(root / "scenes" / "armada.csv",
                                        "Lumivane armada scene texts", {{1, "title", "Armada"}},
                                        kStep) &&
           BuildArmada(root);
}
