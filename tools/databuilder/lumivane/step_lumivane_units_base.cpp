// Writes the station models and Lumivane's base scene, "scenes\base.mis",
// built in code and saved by the scene's own Save: a computer player
// (player 1) owns a hub station. The script first gives it only enough
// resources for half a scout and lets it build nothing else, so the
// station's first ship waits half-built until a later trigger brings in
// more resources and lets it build modules too: turrets, launchers, a
// drydock, a hangar and a scope grow out on connectors round the hub while
// scouts fade in at its front and fly off. Beside it the station's mining
// yard: pods from a pod bay mine a ring of ore rocks and bring the ore home,
// and a tug hauls one rock away on its cable, later letting it go for
// another. Once the station has been shown, the camera visits the yard's
// pods, then the tug, then the station again, over and over.
#include "tools/databuilder/shared/data_step.h"

#include <cstdio>
#include <string>
#include <vector>

#include "desktop/display/camera/camera.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/standalone_scene.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/world.h"
#include "tools/databuilder/lumivane/lumivane_camera_data.h"
#include "tools/databuilder/lumivane/lumivane_mining_yard.h"
#include "tools/databuilder/lumivane/lumivane_scene_build.h"
#include "tools/databuilder/lumivane/lumivane_station_models.h"
#include "tools/databuilder/lumivane/lumivane_triggers.h"

namespace {

using namespace lumivane;

constexpr const char* kStep = "lumivane_units_base";
constexpr uint32_t kBaseCreationTime = 1000000300; // a fixed identity: same bytes every build
constexpr int kStation = 1;
constexpr int kComputerLevel = 1;
constexpr Vec3 kHubAt{0, 0, 110};
constexpr float kSceneRadius = 160.0f;    // close enough for the home view to show the station
constexpr int32_t kFirstResources = 60;   // half a scout
constexpr int32_t kLaterResources = 6000; // the rest of the show
constexpr uint32_t kResourcesArriveMs = 10000;
constexpr Vec3 kLookAcross{0.0f, -0.45f, 0.9f};
// The station seen whole with its modules and its yard.
constexpr Vec3 kStationViewAt = kHubAt + Vec3(-6, 22, -46);
constexpr Vec3 kStationViewLookAt = kHubAt + Vec3(0, 0, -4);
// The yard tour begins once the station tour has long settled.
constexpr uint32_t kYardTourAfterMs = 30000;
constexpr uint32_t kYardMoveMs = 5000;
constexpr uint32_t kYardHoldMs = 15000;
constexpr uint32_t kStationHoldMs = 20000;

void AddResources(Scene& scene, const char* name, int32_t id, uint32_t delayMs, int32_t amount) {
    auto trigger = databuilder::DelayTrigger(name, id, delayMs);
    TriggerAction& action = databuilder::AddAction(*trigger, action::kResources);
    action.values = {kStation, amount};
    scene.AddTrigger(std::move(trigger));
}

void AddBuildList(Scene& scene, const char* name, int32_t id, uint32_t delayMs,
                  std::vector<std::string> names) {
    auto trigger = databuilder::DelayTrigger(name, id, delayMs);
    TriggerAction& action = databuilder::AddAction(*trigger, action::kBuildList);
    action.values = {kStation};
    action.weights.assign(names.size(), 1);
    action.names = std::move(names);
    scene.AddTrigger(std::move(trigger));
}

// The camera comes in to watch the station grow, swings round it and
// settles on a view of the hub, its modules and its yard, which then
// follows the hub: the yard's pods and tug come and go, and a view of
// their middle would drift off the station.
void AddStationTour(Scene& scene, int32_t id, std::vector<EntityHandle> units) {
    auto trigger = databuilder::DelayTrigger("station tour", id, 1000);
    // From the Sun's side, so the station shows its lit face.
    databuilder::AddCameraTour(*trigger, {.firstAt = kHubAt + Vec3(16, 9, -20),
                                          .firstLookAt = kHubAt,
                                          .secondAt = kHubAt + Vec3(-22, 7, -10),
                                          .secondLookAt = kHubAt,
                                          .lastAt = kStationViewAt,
                                          .lastLookAt = kStationViewLookAt,
                                          .lastTargets = std::move(units)});
    scene.AddTrigger(std::move(trigger));
}

// The station tour's last view, following the hub from where it stands.
CameraView StationView(EntityHandle hub) {
    CameraView view = databuilder::FollowView({hub}, kStationViewLookAt - kStationViewAt, 1.0f);
    view.offset = kStationViewAt - kHubAt;
    view.position = kStationViewAt;
    return view;
}

// Over and over, once the station tour is done: the pod bay with its pods
// at work, the tug with the rock it tows (from the first visit on, its
// second), then the station again, each followed from the Sun's side so it
// shows its lit face.
void AddYardTour(Scene& scene, int32_t id, EntityHandle hub,
                 const databuilder::MiningYardUnits& yard) {
    using databuilder::CameraStep;
    using databuilder::FollowView;
    const CameraView pods = FollowView({yard.podBay}, kLookAcross + Vec3(0.3f, 0, 0), 28.0f);
    const CameraView tug =
        FollowView({yard.tug, yard.lastRock}, kLookAcross + Vec3(-0.3f, -0.3f, 0), 40.0f);
    const CameraView station = StationView(hub);
    std::vector<CameraStep> steps;
    uint32_t length = 0;
    for (const CameraView* view : {&pods, &tug, &station}) {
        const uint32_t hold = view == &station ? kStationHoldMs : kYardHoldMs;
        steps.push_back({"visit", camera_move::kQuartic, kYardMoveMs, *view, true});
        steps.push_back({"watch", camera_move::kHold, hold, *view});
        length += kYardMoveMs + hold;
    }
    auto tour = databuilder::DelayTrigger("yard tour", id, kYardTourAfterMs);
    tour->once = 0;
    databuilder::AddCameraPath(*tour, steps);
    // The next visit begins a while after this one has run.
    tour->AddChild(databuilder::DelayTrigger("yard tour over", id + 1, length));
    scene.AddTrigger(std::move(tour));
}

void AddComputerPlayer(Scene& scene, int32_t id) {
    auto trigger = databuilder::DelayTrigger("computer player", id, 0);
    TriggerAction& action = databuilder::AddAction(*trigger, action::kComputerPlayer);
    action.values = {kStation};
    action.text = kAILevelNames[kComputerLevel];
    scene.AddTrigger(std::move(trigger));
}

bool BuildBase(const std::filesystem::path& root) {
    SetSceneTimeSource([] { return kBaseCreationTime; });
    StandaloneScene base(root);
    bool ok = base.Loaded();
    auto spawn = [&](const char* prototype, Vec3 at, int player) -> Entity* {
        SpawnRecord record;
        record.position = at;
        record.player = player;
        Entity* made = base.scene.SpawnByName(prototype, record);
        if (!made) {
            std::fprintf(stderr, "%s: cannot place %s\n", kStep, prototype);
            ok = false;
        }
        return made;
    };
    spawn("Sky", {}, -1); // the star backdrop comes first
    spawn("Sun", {}, -1);
    spawn("Sunlight", {}, -1); // planets, rocks and the station lit by the Sun
    Entity* hub = spawn("hub", kHubAt, kStation);
    base.world.JoinPending();
    databuilder::MiningYardUnits yard;
    ok = databuilder::AddMiningYard(base,
                                    {.bayAt = kHubAt + Vec3(28, 0, -12),
                                     .tugAt = kHubAt + Vec3(-30, 0, -5),
                                     .haulBy = {20, 0, -25},
                                     .player = kStation,
                                     .firstTriggerId = 60},
                                    kStep, &yard) &&
         ok;

    AddComputerPlayer(base.scene, 40);
    AddBuildList(base.scene, "scouts only", 41, 0, {"scout"});
    AddResources(base.scene, "first resources", 42, 0, kFirstResources);
    AddResources(base.scene, "resources arrive", 43, kResourcesArriveMs, kLaterResources);
    AddBuildList(
        base.scene, "modules too", 44, kResourcesArriveMs,
        {"scout", "turret", "missileturret", "chafflauncher", "drydock", "hangar", "scope"});

    const std::vector<EntityHandle> station = databuilder::UnitsOf(base.world, {kStation});
    if (hub) {
        AddStationTour(base.scene, 45, {hub->handle});
        AddYardTour(base.scene, 46, hub->handle, yard);
    }

    base.scene.radius = kSceneRadius;
    base.scene.title = "Base";
    base.scene.secondTitle = "Base";
    base.scene.text5 = "base";
    const databuilder::StartView start{station, kLookAcross};
    ok = ok && databuilder::SaveAndCheckScene(base.scene, root, "scenes\\base.mis",
                                              base.scene.triggers.size(), kStep, &start);
    SetSceneTimeSource(nullptr);
    if (!ok) std::fprintf(stderr, "%s: the base scene could not be built\n", kStep);
    return ok;
}

} // namespace

// The station's modules are prototypes other scenes read too: they are
// written with the data, before any scene.
DATABUILDER_STEP(LumivaneStationModels, "lumivane_station_models") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    return databuilder::MakeSceneFolders(root, kStep) && databuilder::WriteStationModels(root);
}

DATABUILDER_SCENE_STEP(LumivaneUnitsBase, "lumivane_units_base") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    return databuilder::MakeSceneFolders(root, kStep) &&
           databuilder::WriteSceneTexts(root / "scenes" / "base.csv", "Lumivane base scene texts",
                                        {{1, "title", "Base"}}, kStep) &&
           BuildBase(root);
}
