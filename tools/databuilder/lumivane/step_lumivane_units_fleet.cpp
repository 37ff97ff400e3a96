// Writes Lumivane's fleet scene, "scenes\fleet.mis", built in code from the
// unit prototypes and saved by the scene's own Save: four squads flying in
// formation on circuits about the Sun (line abreast, a wedge, a column of
// fours and a ring), which the camera rides with in turn, swinging round
// each; a patrol circling waypoints that ride a planet; and a short script
// whose orders send a frigate to orbit a planet and a fighter to a point,
// after which it orbits the Sun; it shows the head-up display. When the
// scenery has its "Wormhole", a squad flies through it and out of the
// scene, between two yellow flames and under a crackle of electricity that
// mark the gate. The companion table names the scene. The scene is read
// back with the scene's Load.
#include "tools/databuilder/shared/data_step.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "desktop/display/camera/camera.h"
#include "desktop/scene/world/message.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/standalone_scene.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/ship_base/ship.h"
#include "tools/databuilder/lumivane/lumivane_camera_data.h"
#include "tools/databuilder/lumivane/lumivane_camera_director.h"
#include "tools/databuilder/lumivane/lumivane_scene_build.h"
#include "tools/databuilder/lumivane/lumivane_triggers.h"
#include "tools/databuilder/lumivane/lumivane_war_scene.h"

namespace {

using namespace lumivane;

constexpr uint32_t kFleetCreationTime = 1000000100; // a fixed identity: same bytes every build
constexpr int kFleetPlayer = 0;
constexpr const char* kStep = "lumivane_units_fleet";
constexpr float kFleetSpacing = 4.0f;

struct Formation {
    int squad;
    uint8_t kind;
    const char* prototype;
    int members; // the leader included
    Vec3 leaderAt;
    float circuit; // the reach of the leader's circuit about its start
};

// Squads about the Sun, far enough apart that their formations never
// meet: line abreast, wedge behind, column of fours, ring. Each leader flies
// a circuit of four points about where it starts, and its squad keeps
// formation on it.
constexpr Formation kFormations[] = {
    {1, 3, "fighter", 4, {0, 0, 60}, 28.0f},
    {2, 5, "fighter", 5, {-95, 0, 0}, 32.0f},
    {3, 8, "seeker", 5, {0, 0, -130}, 36.0f},
    {4, 11, "fighter", 6, {165, 0, 0}, 40.0f},
};
// The camera's tour rides with each squad in turn, from the Sun's side of
// it, where the Sun lights the hulls it looks at: it cuts to the squad and
// swings round it, always looking at its middle, gathering speed and then
// slowing, one squad the one way and the next the other way; then it cuts
// to the next squad. It goes round the squads twice, low across them and
// then from above, where a formation's shape shows; then it cuts back to
// where the scene opened, on the first squad, and a little later sets out
// again. Near enough throughout that the squad's ships read as ships.
struct TourView {
    float yaw;      // degrees from looking straight out from the Sun at the squad
    float down;     // degrees below the horizon
    float distance; // from the middle of the squad
};
struct Swing {
    TourView from, through, to;
};
constexpr Swing kSwings[] = {
    {{-55, 14, 40}, {0, 30, 30}, {55, 18, 42}},
    {{-35, 48, 46}, {5, 62, 40}, {45, 42, 48}},
};
constexpr uint32_t kSwingLegMs = 11000; // from the first view to the second, and on
constexpr uint32_t kTourStartMs = 4000;

struct Builder {
    Scene& scene;
    World& world;
    bool ok = true;

    Entity* Spawn(const char* prototype, Vec3 at, bool orbit, int player = -1, int squad = -1) {
        SpawnRecord record;
        record.position = at;
        record.orbit = orbit ? 1 : 0;
        record.player = player;
        record.squad = squad;
        Entity* made = scene.SpawnByName(prototype, record);
        if (!made) {
            std::fprintf(stderr, "lumivane_units_fleet: cannot place %s\n", prototype);
            ok = false;
        }
        return made;
    }

    // The leader flies its circuit; the members take their places about
    // it, turned and moving as it does. The squad's handles.
    std::vector<EntityHandle> AddFormation(const Formation& f) {
        auto* leader = AsShip(Spawn(f.prototype, f.leaderAt, true, kFleetPlayer, f.squad));
        if (!leader) return {};
        leader->formationKind = f.kind;
        leader->formationSpacing = kFleetSpacing;
        std::vector<Ship*> members;
        for (int i = 1; i < f.members; ++i)
            if (Ship* member = AsShip(Spawn(f.prototype, f.leaderAt, false, kFleetPlayer, f.squad)))
                members.push_back(member);
        for (Ship* member : members) {
            member->formationSpacing = kFleetSpacing;
            const int place = leader->squad->GetFormationIndex(member);
            member->position = member->FormationPosition(f.kind, kFleetSpacing, place, leader);
            member->orientation = leader->orientation;
            member->velocity = leader->velocity;
            member->PlaceLocalMatrix();
        }
        world.JoinPending();
        // A loop outward of the start, clear of the Sun.
        const float r = f.circuit;
        Vec3 out = f.leaderAt;
        out.Normalize();
        const Vec3 along = Vec3::Cross({0, 1, 0}, out);
        const Vec3 middle = f.leaderAt + out * r;
        FlyCircuit(*leader, {middle + along * r + Vec3(0, 3, 0), middle + out * r,
                             middle - along * r + Vec3(0, -3, 0), f.leaderAt});
        std::vector<EntityHandle> squad{leader->handle};
        for (const Ship* member : members)
            squad.push_back(member->handle);
        return squad;
    }

    // Waypoints the unit flies round and round.
    void FlyCircuit(Ship& unit, std::initializer_list<Vec3> points) {
        int restart = 1;
        for (const Vec3& point : points) {
            WaypointOrder order;
            order.restart = restart;
            order.point = point;
            order.units.Append(unit.handle);
            unit.HandleMessage(order);
            restart = 0;
        }
        unit.lastOrderTick = -1;
    }

    // Free-standing particle systems by the gate, drawn large enough to
    // be seen from the scene's home view.
    void MarkGate(Vec3 gate) {
        const struct {
            const char* effect;
            Vec3 offset;
            float size;
        } marks[] = {{"flames- yellow", {-18, -6, 0}, 15.0f},
                     {"flames- yellow", {18, -6, 0}, 15.0f},
                     {"electricity", {0, 14, 0}, 20.0f}};
        for (const auto& mark : marks)
            if (Entity* system = Spawn(mark.effect, gate + mark.offset, false)) {
                system->sizeFactor = mark.size;
                system->PlaceLocalMatrix();
            }
    }

    // A fighter circling four points about the planet, each riding it.
    void AddPatrol(const Entity& planet) {
        const Vec3 p = planet.position;
        auto* patrol = AsShip(Spawn("fighter", p + Vec3(15, 0, 0), false, kFleetPlayer));
        if (!patrol) return;
        world.JoinPending();
        FlyCircuit(*patrol, {p + Vec3(15, 0, 0), p + Vec3(0, 0, 15), p + Vec3(-15, 0, 0),
                             p + Vec3(0, 0, -15)});
        for (EntityHandle rider : patrol->waypointRiders)
            if (rider != planet.handle) ok = false;
    }
};

// An order of the script: the action of `type` for the units, about the
// target (or a point).
void AddOrder(Scene& scene, const char* name, int32_t id, uint32_t delayMs, int32_t type,
              std::vector<EntityHandle> units, EntityHandle target, Vec3 point = {}) {
    auto trigger = databuilder::DelayTrigger(name, id, delayMs);
    TriggerAction& action = databuilder::AddAction(*trigger, type);
    action.handles = std::move(units);
    action.values = {target};
    action.point = point;
    scene.AddTrigger(std::move(trigger));
}

struct SwingViews {
    CameraView from, through, to;
};

// The view of the squad at `number` of the tour (every other one is seen
// turned the other way).
CameraView ViewOf(const TourView& view, const std::vector<EntityHandle>& squad,
                  const Formation& formation, size_t number) {
    Vec3 outward = formation.leaderAt;
    outward.Normalize();
    const float turn = number % 2 ? -1.0f : 1.0f;
    return databuilder::FollowView(
        squad, databuilder::LookDirection(outward, turn * view.yaw, view.down), view.distance);
}

SwingViews ViewsOf(const Swing& swing, const std::vector<EntityHandle>& squad,
                   const Formation& formation, size_t number) {
    return {ViewOf(swing.from, squad, formation, number),
            ViewOf(swing.through, squad, formation, number),
            ViewOf(swing.to, squad, formation, number)};
}

// The tour on a trigger that starts it over a while after it has run; it
// sets out from the opening view, the first of the first squad's swing,
// and ends there.
void AddTour(Scene& scene, const std::vector<std::vector<EntityHandle>>& squads,
             const CameraView& opening) {
    std::vector<databuilder::CameraStep> steps;
    uint32_t length = 0;
    for (const Swing& swing : kSwings)
        for (size_t i = 0; i < squads.size(); ++i) {
            const SwingViews views = ViewsOf(swing, squads[i], kFormations[i], i);
            if (!steps.empty()) steps.push_back({"cut", camera_move::kCut, 0, views.from});
            steps.push_back({"swing", camera_move::kEaseIn, kSwingLegMs, views.through, true});
            steps.push_back({"swing on", camera_move::kEaseOut, kSwingLegMs, views.to, true});
            length += 2 * kSwingLegMs;
        }
    steps.push_back({"back", camera_move::kCut, 0, opening});
    auto tour = databuilder::DelayTrigger("tour", 17, kTourStartMs);
    tour->once = 0;
    databuilder::AddCameraPath(*tour, steps);
    // The next tour begins once this one is back at the first squad.
    tour->AddChild(databuilder::DelayTrigger("tour over", 18, length));
    scene.AddTrigger(std::move(tour));
}

bool BuildFleet(const std::filesystem::path& root) {
    SetSceneTimeSource([] { return kFleetCreationTime; });
    StandaloneScene fleet(root);
    World& world = fleet.world;
    Scene& scene = fleet.scene;
    Builder build{scene, world, fleet.Loaded()};
    build.Spawn("Sky", {}, false); // the star backdrop comes first
    build.Spawn("Sun", {}, false);
    build.Spawn("Sunlight", {}, false);
    world.JoinPending(); // what follows orbits the Sun
    Entity* harbour = build.Spawn("Planet", {-150, 0, 150}, true);
    Entity* beacon = build.Spawn("Planet", {100, 0, -200}, true);
    world.JoinPending();
    std::vector<std::vector<EntityHandle>> squads;
    for (const Formation& formation : kFormations)
        squads.push_back(build.AddFormation(formation));
    // The scene opens on the first squad, where the tour sets out.
    const CameraView opening = ViewOf(kSwings[0].from, squads[0], kFormations[0], 0);
    AddTour(scene, squads, opening);
    const databuilder::StartView start{
        .targets = squads[0], .direction = opening.direction, .distance = kSwings[0].from.distance};
    if (beacon) build.AddPatrol(*beacon);

    Entity* frigate = build.Spawn("frigate", {-180, 0, 180}, false, kFleetPlayer);
    Entity* courier = build.Spawn("fighter", {230, 0, 60}, false, kFleetPlayer);
    world.JoinPending();
    if (frigate && harbour)
        AddOrder(scene, "to the harbour", 20, 1000, action::kFollow, {frigate->handle},
                 harbour->handle);
    // A loaded scene starts without the head-up display: this one shows it
    // (fading in), so the user sees what the fleet's units carry.
    auto showHud = databuilder::DelayTrigger("head-up display", 19, 500);
    databuilder::AddAction(*showHud, action::kHud).values = {1, 1};
    scene.AddTrigger(std::move(showHud));
    if (courier)
        AddOrder(scene, "courier", 21, 1500, action::kMove, {courier->handle}, kNoEntity,
                 {190, 0, -40});
    if (fleet.library.FindPrototype("Wormhole")) {
        Entity* gate = build.Spawn("Wormhole", {-40, 0, 240}, false);
        std::vector<EntityHandle> travellers;
        for (int i = 0; i < 3; ++i)
            if (Entity* unit = build.Spawn("fighter", {-46.0f + 6.0f * float(i), 0, 205}, false,
                                           kFleetPlayer, 5))
                travellers.push_back(unit->handle);
        build.MarkGate({-40, 0, 240});
        world.JoinPending();
        // One at a time: two craft making for the gate's centre at once
        // would hold each other off it.
        if (gate)
            for (size_t i = 0; i < travellers.size(); ++i)
                AddOrder(scene, "through the gate", int32_t(22 + i), uint32_t(2000 + 5000 * i),
                         action::kFollow, {travellers[i]}, gate->handle);
    }

    scene.title = "Fleet";
    scene.secondTitle = "Fleet";
    scene.text5 = "fleet";
    const bool ok = build.ok && databuilder::UnitsKeepApart(world, kStep) &&
                    databuilder::SaveAndCheckScene(scene, root, "scenes\\fleet.mis",
                                                   scene.triggers.size(), kStep, &start);
    SetSceneTimeSource(nullptr);
    return ok;
}

} // namespace

DATABUILDER_SCENE_STEP(LumivaneUnitsFleet, "lumivane_units_fleet") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    return databuilder::MakeSceneFolders(root, kStep) &&
           databuilder::WriteSceneTexts(root / "scenes" / "fleet.csv", "Lumivane fleet scene texts",
                                        {{1, "title", "Fleet"}}, kStep) &&
           BuildFleet(root);
}
