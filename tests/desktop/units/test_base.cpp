// The shipped base scene run headless for 40 s on the test clock: the hub's
// first scout waits half-built while its owner has nothing left, goes on
// when the script's resources arrive, costs its owner exactly its "cost",
// fades in and departs; modules then grow on connectors round the hub, the
// connector first. A second run ends bit for bit where the first did.
#include <gtest/gtest.h>

#include <memory>

#include "desktop/scene/world/trigger_action.h"
#include "desktop/units/structure/station_parts.h"
#include "platform/paths.h"
#include "tools/scenerun/scene_runner.h"
#include "tools/scenerun/unit_watch.h"

namespace lumivane {
namespace {

constexpr int kFrames = 1200;

struct BaseRun {
    SceneRunner run;
    bool loaded = false;
    Hub* hub = nullptr;
    float given = 0.0f; // what the script hands the station's owner

    // The first scout.
    EntityHandle scout = kNoEntity;
    float scoutCost = 0.0f;
    int stallFrames = 0;
    float stalledAt = -1.0f;
    bool resumed = false;
    float resourcesAtCompletion = -1.0f;
    bool fadedIn = true;
    float lastScoutLevel = 0.0f;
    bool departed = false;

    // Connector builds.
    bool connectorAloneSeen = false;
    bool moduleAfterConnectorSeen = false;

    BaseRun() {
        std::string error;
        loaded = run.Load(platform::ProgramFolder() / "LumivaneData", "scenes\\base.mis", error);
        EXPECT_TRUE(loaded) << error;
        for (int i = 0; loaded && i < run.world.EntityCount(); ++i)
            if (IsA(run.world.EntityAt(i), ClassId::Hub))
                hub = static_cast<Hub*>(run.world.EntityAt(i));
        for (const auto& trigger : run.scene->triggers)
            for (const auto& action : trigger->actions)
                if (action->type == action::kResources && action->values.size() >= 2)
                    given += float(action->values[1]);
    }

    Ship* Unit(EntityHandle h) { return AsShip(run.world.GetEntity(h)); }

    void WatchFirstScout() {
        if (scout == kNoEntity && hub->building) {
            scout = hub->buildUnit;
            scoutCost = Unit(scout) ? Unit(scout)->PropFloat("cost") : 0.0f;
        }
        Ship* unit = Unit(scout);
        if (!unit) return;
        if (hub->buildUnit == scout) {
            const float paidShare = float(hub->amountPaid) / scoutCost;
            if (hub->owner->resources < 1.0f && hub->amountPaid > 0) {
                // Waiting: set back to what is paid for each time it tries
                // to grow past it.
                ++stallFrames;
                EXPECT_GE(hub->buildProgress, paidShare);
                EXPECT_LT(hub->buildProgress, float(hub->amountPaid + 1) / scoutCost);
                stalledAt = paidShare;
            } else {
                resumed = resumed || (stallFrames > 0 && hub->buildProgress > stalledAt + 0.1f);
                fadedIn = fadedIn && unit->fadeLevel >= lastScoutLevel;
            }
            lastScoutLevel = unit->fadeLevel;
            return;
        }
        if (resourcesAtCompletion < 0.0f) resourcesAtCompletion = hub->owner->resources;
        departed = departed || (unit->orderState != kOrderDepart && !unit->fadeFlag &&
                                (unit->position - hub->position).Length() > 2.0f * hub->radius);
    }

    void WatchConnector() {
        Ship* piece = Unit(hub->buildConnector);
        Ship* module = Unit(hub->buildUnit);
        if (!piece || !module) return;
        if (piece->fadeFlag && piece->fadeLevel > 0.0f && module->fadeLevel == 0.0f)
            connectorAloneSeen = true;
        if (connectorAloneSeen && !piece->fadeFlag && module->fadeLevel > 0.0f)
            moduleAfterConnectorSeen = true;
    }

    void Play() {
        for (int f = 0; f < kFrames; ++f) {
            run.Step();
            WatchFirstScout();
            WatchConnector();
        }
    }
};

TEST(LvBase, TheStationBuildsPaysWaitsForResourcesAndGrowsModulesOnConnectors) {
    auto first = std::make_unique<BaseRun>();
    BaseRun& run = *first;
    ASSERT_TRUE(run.loaded);
    ASSERT_NE(run.hub, nullptr);
    run.Play();

    EXPECT_NE(run.scout, kNoEntity) << "the hub built a ship";
    EXPECT_GT(run.stallFrames, 30) << "with nothing left the build waited";
    EXPECT_GT(run.stalledAt, 0.0f);
    EXPECT_LT(run.stalledAt, 1.0f);
    EXPECT_TRUE(run.resumed) << "and went on when resources came";
    EXPECT_EQ(run.resourcesAtCompletion, run.given - run.scoutCost) << "it cost exactly its cost";
    EXPECT_TRUE(run.fadedIn);
    EXPECT_TRUE(run.departed) << "it flew off";
    EXPECT_TRUE(run.connectorAloneSeen) << "a connector grew before its module";
    EXPECT_TRUE(run.moduleAfterConnectorSeen);

    int attachedModules = 0;
    World& world = run.run.world;
    for (int i = 0; i < world.EntityCount(); ++i) {
        const Ship* unit = AsShip(world.EntityAt(i));
        if (!IsA(unit, ClassId::Structure) || IsA(unit, ClassId::Connector) || unit == run.hub)
            continue;
        if (IsA(world.GetEntity(unit->ownerHandle), ClassId::Connector)) ++attachedModules;
    }
    EXPECT_GE(attachedModules, 2) << "modules stand on connectors round the hub";
    const uint32_t digest = UnitWatch::Digest(world);
    first.reset();

    BaseRun second;
    ASSERT_TRUE(second.loaded);
    second.Play();
    EXPECT_EQ(UnitWatch::Digest(second.run.world), digest) << "two runs end the same";
}

} // namespace
} // namespace lumivane
