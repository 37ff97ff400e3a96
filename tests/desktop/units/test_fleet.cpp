// The shipped fleet scene run headless for 3,000 frames (100 s on the test
// clock): every unit stays inside the scene, the ship the script sends to a
// point gets there and then orbits the Sun, the frigate sent to the planet
// orbits it, formation members keep near their places, the patrol flies its whole
// path, a squad sent through a wormhole leaves, engines flare as their
// ships thrust; a second run ends bit for bit where the first did.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <vector>

#include "desktop/scene/entity/part_sys.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/units/ship_base/ship.h"
#include "platform/paths.h"
#include "tools/scenerun/scene_runner.h"
#include "tools/scenerun/unit_watch.h"

namespace lumivane {
namespace {

constexpr int kFrames = 3000;
// The flare hung at "dummylink-engine-CMB-Kite": lit only above idle thrust.
constexpr int32_t kMainFlareKind = 5;

// The first action of the scene's trigger of that name, or null.
const TriggerAction* ScriptOrder(const Scene& scene, std::string_view name) {
    for (const auto& trigger : scene.triggers)
        if (trigger->name == name && !trigger->actions.empty()) return trigger->actions[0].get();
    return nullptr;
}

struct FleetRun {
    SceneRunner run;
    bool loaded = false;
    float closestToCourierPoint = 1e9f;
    std::set<int32_t> patrolPoints;
    int patrolLaps = 0;
    bool allInside = true;
    int flaringEngines = 0; // main-engine flares seen lit, summed over frames

    FleetRun() {
        std::string error;
        loaded = run.Load(platform::ProgramFolder() / "LumivaneData", "scenes\\fleet.mis", error);
        EXPECT_TRUE(loaded) << error;
    }

    Ship* Unit(EntityHandle handle) { return AsShip(run.world.GetEntity(handle)); }

    void Play(EntityHandle courier, Vec3 courierPoint, EntityHandle patrol) {
        const SceneBounds& bounds = GetSceneBounds();
        int32_t lastPoint = Unit(patrol) ? Unit(patrol)->currentWaypoint : -1;
        for (int f = 0; f < kFrames; ++f) {
            run.Step();
            if (Ship* c = Unit(courier))
                closestToCourierPoint =
                    std::min(closestToCourierPoint, (c->position - courierPoint).Length());
            if (Ship* p = Unit(patrol)) {
                patrolPoints.insert(p->currentWaypoint);
                if (p->currentWaypoint < lastPoint) ++patrolLaps;
                lastPoint = p->currentWaypoint;
            }
            for (int i = 0; i < run.world.EntityCount(); ++i) {
                const Ship* unit = AsShip(run.world.EntityAt(i));
                if (!unit) continue;
                const Vec3& p = unit->position;
                if (std::fabs(p.y) > bounds.heightLimit + 1e-3f ||
                    std::hypot(p.x, p.z) > bounds.radius + 1e-3f)
                    allInside = false;
                for (const SpawnedPart& part : unit->spawnedParts)
                    if (const PartSys* flare = AsPartSys(run.world.GetEntity(part.handle));
                        flare && part.kind == kMainFlareKind && flare->rateScale > 0.0f)
                        ++flaringEngines;
            }
        }
    }
};

TEST(LvFleet, TheFleetFliesItsScriptAndASecondRunIsTheSame) {
    // A run installs the program-wide services, so one ends before the next.
    auto first = std::make_unique<FleetRun>();
    FleetRun& run = *first;
    ASSERT_TRUE(run.loaded);
    const TriggerAction* move = ScriptOrder(*run.run.scene, "courier");
    const TriggerAction* follow = ScriptOrder(*run.run.scene, "to the harbour");
    ASSERT_TRUE(move && follow);
    ASSERT_EQ(move->handles.size(), 1u);
    const EntityHandle courier = move->handles[0];
    const EntityHandle frigate = follow->handles[0];
    const EntityHandle planet = follow->values[0];
    // The script's actions go with the first run's scene; the second run
    // needs only the point.
    const Vec3 courierPoint = move->point;
    EntityHandle patrol = kNoEntity;
    for (int i = 0; i < run.run.world.EntityCount(); ++i)
        if (const Ship* unit = AsShip(run.run.world.EntityAt(i));
            unit && unit->orderState == kOrderWaypoints)
            patrol = unit->handle;
    ASSERT_NE(patrol, kNoEntity);
    std::vector<EntityHandle> travellers; // each sent through the gate by its own order
    for (const auto& trigger : run.run.scene->triggers)
        if (trigger->name == "through the gate" && !trigger->actions.empty())
            for (EntityHandle unit : trigger->actions[0]->handles)
                travellers.push_back(unit);

    run.Play(courier, courierPoint, patrol);
    World& world = run.run.world;
    const Entity* sun = world.Sun();
    ASSERT_NE(sun, nullptr);

    EXPECT_TRUE(run.allInside);
    EXPECT_GT(run.flaringEngines, 0) << "engines flare as their ships thrust";
    Ship* sent = run.Unit(courier);
    ASSERT_NE(sent, nullptr);
    EXPECT_LT(run.closestToCourierPoint, 2.0f * sent->radius) << "it reached its point";
    EXPECT_EQ(sent->orderState, kOrderFollow);
    EXPECT_EQ(sent->target, sun->handle);
    EXPECT_EQ(sent->orbiting, 1) << "and orbits the Sun";

    Ship* orbiter = run.Unit(frigate);
    ASSERT_NE(orbiter, nullptr);
    EXPECT_EQ(orbiter->target, planet);
    EXPECT_EQ(orbiter->orbiting, 1);

    EXPECT_EQ(run.patrolPoints.size(), run.Unit(patrol)->waypoints.size());
    EXPECT_GE(run.patrolLaps, 1) << "the patrol flew round its whole path";

    int members = 0;
    for (int i = 0; i < world.EntityCount(); ++i) {
        Ship* unit = AsShip(world.EntityAt(i));
        if (!unit || unit->orderState != kOrderFormation) continue;
        Ship* leader = ShipOf(unit->squad->GetLeader());
        const Vec3 place = unit->FormationPosition(leader->formationKind, leader->formationSpacing,
                                                   unit->squad->GetFormationIndex(unit), leader);
        // The leaders fly circuits: on the turns a member may trail its
        // place, but never by two gaps between places.
        EXPECT_LT((place - unit->position).Length(),
                  2.0f * leader->formationSpacing * leader->radius)
            << unit->handle;
        ++members;
    }
    EXPECT_EQ(members, 3 + 4 + 4 + 5) << "every member of the four squads";
    EXPECT_EQ(travellers.size(), 3u) << "the shipped scenery has its wormhole";
    for (EntityHandle traveller : travellers)
        EXPECT_EQ(world.GetEntity(traveller), nullptr) << "passed through the wormhole";
    const uint32_t digest = UnitWatch::Digest(world);
    first.reset();

    FleetRun second;
    ASSERT_TRUE(second.loaded);
    second.Play(courier, courierPoint, patrol);
    EXPECT_EQ(UnitWatch::Digest(second.run.world), digest);
}

} // namespace
} // namespace lumivane
