// Construction, scrapping and repair: a hub pays exactly the cost of what it
// builds (a fractional cost too, and a build time of 0 finishes at once);
// without resources the build waits at paid/cost and goes on when resources
// come, and a cancel gives back everything paid, the stall included; the
// new ship fades in and departs; a module built on a site grows its
// connector first and stays attached; scrapping gives back half the cost (a
// quarter for a PodBay) scaled by health; repair with no pod keeps the
// interrupted order running while the unit stays in state 13.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/object/scene_classes.h"
#include "desktop/units/unit_class_headers.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/units/structure/station_parts.h"
#include "tests/desktop/units/arms_fixture.h"

namespace lumivane::test {
namespace {

constexpr float kStep = 1.0f / 30.0f;
constexpr int kOwner = 1;

class LvConstruction : public UnitTest {
protected:
    LvConstruction() {
        Hub* hubPrototype = AddPrototype<Hub>("hub", [](Entity& e) {
            QuietUnit(e);
            SetFlag(e, "Survive unlinked", true);
            SetFlag(e, "task: move", false);
            SetFlag(e, "task: build", true);
            SetFixedName(e, "construct1", "scout");
            SetFixedName(e, "construct2", "module");
            SetFixedName(e, "construct3", "flash");
            SetFixedName(e, "connector", "piece");
        });
        hubPrototype->AddChild(Cube("hull", 1.0f));
        hubPrototype->AddChild(MountNode("dummyship", {0, 0, 1.5f}));
        hubPrototype->AddChild(MountNode("site1", {1.5f, 0, 0}));
        hubPrototype->RecomputeBound();
        AddShip("scout", [](Entity& e) {
            QuietUnit(e);
            SetFloat(e, "cost", 99.5f);
            SetFloat(e, "build time", 2.0f);
        });
        AddShip("flash", [](Entity& e) {
            QuietUnit(e);
            SetFloat(e, "cost", 10.0f);
            SetFloat(e, "build time", 0.0f);
        });
        auto* piece = AddPrototype<Connector>("piece", [](Entity& e) {
            QuietUnit(e);
            SetFloat(e, "build time", 1.0f);
        });
        piece->AddChild(Cube("beam", 0.3f));
        piece->AddChild(MountNode("dummyconnector1", {}));
        piece->AddChild(MountNode("dummyconnector2", {0, 0, 1.0f}));
        piece->RecomputeBound();
        auto* module = AddPrototype<Structure>("module", [](Entity& e) {
            QuietUnit(e);
            SetFloat(e, "cost", 90.0f);
            SetFloat(e, "build time", 3.0f);
        });
        module->AddChild(Cube("hull", 0.5f));
        module->AddChild(MountNode("dummyconnector1", {}));
        module->RecomputeBound();

        hub = Spawn<Hub>("hub", {0, 0, 50});
        hub->SetPlayer(PlayerAt(kOwner));
        owner = PlayerAt(kOwner);
    }

    Ship* Unit(EntityHandle h) { return AsShip(world.GetEntity(h)); }

    // Steps until the hub's queue is empty (or the frames run out).
    int BuildAll(int maxFrames) {
        int frames = 0;
        while (!hub->buildQueue.empty() && frames < maxFrames) {
            Step(kStep);
            ++frames;
        }
        return frames;
    }

    Hub* hub = nullptr;
    Player* owner = nullptr;
};

TEST_F(LvConstruction, TheOwnerPaysExactlyTheCostAndTheNewShipFadesInAndDeparts) {
    owner->resources = 1000.0f;
    hub->AddToBuildQueue(0, 1, hub->handle, "dummyship");
    Step(kStep);
    const EntityHandle made = hub->buildUnit;
    Ship* scout = Unit(made);
    ASSERT_NE(scout, nullptr);
    EXPECT_EQ(scout->ownerHandle, hub->handle) << "it grows at the hub's ship node";
    float lastLevel = -1.0f;
    while (hub->building) {
        EXPECT_TRUE(scout->fadeFlag);
        EXPECT_GE(scout->fadeLevel, lastLevel) << "it fades in";
        EXPECT_EQ(float(hub->amountPaid), std::floor(99.5f * hub->buildProgress));
        lastLevel = scout->fadeLevel;
        Step(kStep);
    }
    EXPECT_EQ(owner->resources, 1000.0f - 99.5f) << "exactly the cost, the fraction too";
    EXPECT_EQ(hub->queuedCounts[0], 0);
    EXPECT_FALSE(scout->fadeFlag);
    EXPECT_EQ(scout->orderState, kOrderDepart);
    EXPECT_EQ(scout->target, hub->handle);
    EXPECT_LT(scout->ownerHandle, 0) << "it leaves its builder";

    bool departed = false;
    for (int frame = 0; frame < 600 && !departed; ++frame) {
        Step(kStep);
        departed = scout->orderState != kOrderDepart;
    }
    EXPECT_TRUE(departed);
    EXPECT_GT((scout->position - hub->position).Length(), 2.0f * hub->radius);
    EXPECT_EQ(scout->canCollide, 1);

    // A build time of 0 is done on its first frame, and paid in full.
    const float before = owner->resources;
    hub->AddToBuildQueue(2, 1, hub->handle, "dummyship");
    BuildAll(30);
    EXPECT_TRUE(hub->buildQueue.empty());
    EXPECT_EQ(owner->resources, before - 10.0f);
}

TEST_F(LvConstruction, WithoutResourcesTheBuildWaitsAndACancelRefundsAllPaid) {
    owner->resources = 30.5f;
    hub->AddToBuildQueue(0, 1, hub->handle, "dummyship");
    for (int frame = 0; frame < 90; ++frame)
        Step(kStep);
    ASSERT_TRUE(hub->building);
    EXPECT_EQ(hub->amountPaid, 30) << "what there was went in";
    EXPECT_FLOAT_EQ(hub->buildProgress, 30.0f / 99.5f) << "it waits at paid/cost";
    EXPECT_FLOAT_EQ(Unit(hub->buildUnit)->fadeLevel, 30.0f / 99.5f);
    EXPECT_EQ(owner->resources, 0.5f) << "a fraction is left, not lost";

    owner->AddResources(200.0f);
    BuildAll(120);
    EXPECT_TRUE(hub->buildQueue.empty()) << "it went on once resources came";
    EXPECT_FLOAT_EQ(owner->resources, 30.5f + 200.0f - 99.5f);

    // A second stall, then the cancel: all of it comes back.
    owner->resources = 40.0f;
    hub->AddToBuildQueue(0, 1, hub->handle, "dummyship");
    for (int frame = 0; frame < 90; ++frame)
        Step(kStep);
    const EntityHandle half = hub->buildUnit;
    ASSERT_EQ(hub->amountPaid, 40);
    ASSERT_EQ(owner->resources, 0.0f);
    hub->RemoveFromBuildQueue(0);
    EXPECT_EQ(owner->resources, 40.0f);
    EXPECT_EQ(hub->amountPaid, 0);
    Step(kStep);
    EXPECT_EQ(world.GetEntity(half), nullptr) << "the half-built ship goes";
}

TEST_F(LvConstruction, AModuleOnASiteGrowsItsConnectorFirst) {
    owner->resources = 500.0f;
    hub->AddToBuildQueue(1, 0, hub->handle, "site1");
    Step(kStep);
    Ship* piece = Unit(hub->buildConnector);
    Ship* module = Unit(hub->buildUnit);
    ASSERT_NE(piece, nullptr);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(piece->ownerHandle, hub->handle);
    EXPECT_EQ(piece->targetLinkNode, hub->FindByName("site1"));
    EXPECT_EQ(module->ownerHandle, piece->handle);
    EXPECT_EQ(module->targetLinkNode, piece->FindByName("dummyconnector2"));
    EXPECT_EQ(hub->buildQueue.front().siteNode, "dummyconnector2");

    const float share = 1.0f / 3.0f; // the piece's time over the module's
    while (hub->building) {
        const float p = hub->buildProgress;
        if (p < share - 1e-4f) {
            EXPECT_NEAR(piece->fadeLevel, p / share, 1e-4f);
            EXPECT_EQ(module->fadeLevel, 0.0f) << "the module waits for its connector";
        } else if (p > share + 1e-4f && p < 1.0f) {
            EXPECT_FALSE(piece->fadeFlag) << "the connector is done";
            EXPECT_NEAR(module->fadeLevel, (p - share) / (1.0f - share), 1e-4f);
        }
        Step(kStep);
    }
    EXPECT_FALSE(module->fadeFlag);
    EXPECT_EQ(module->ownerHandle, piece->handle) << "a structure stays where it was built";
    EXPECT_NE(module->orderState, kOrderDepart);
    EXPECT_EQ(owner->resources, 500.0f - 90.0f) << "the module's cost alone";
}

TEST_F(LvConstruction, ScrappingGivesBackHalfTheCostAQuarterForAPodBayScaledByHealth) {
    auto* bay = AddPrototype<PodBay>("bay", [](Entity& e) {
        QuietUnit(e);
        SetFloat(e, "cost", 200.0f);
        SetFloat(e, "health max", 40.0f);
        SetFlag(e, "Survive unlinked", true);
    });
    bay->AddChild(Cube("hull", 1.0f));
    auto* depot = AddPrototype<Structure>("depot", [](Entity& e) {
        QuietUnit(e);
        SetFloat(e, "cost", 200.0f);
        SetFloat(e, "health max", 40.0f);
        SetFlag(e, "Survive unlinked", true);
    });
    depot->AddChild(Cube("hull", 1.0f));
    auto* broken = AddPrototype<Structure>("broken", [](Entity& e) {
        QuietUnit(e);
        SetFloat(e, "cost", 200.0f);
        SetFloat(e, "health max", 0.0f);
    });
    broken->AddChild(Cube("hull", 1.0f));

    for (const char* name : {"bay", "depot"}) {
        auto* unit = Spawn<Structure>(name, {20, 0, 0});
        unit->SetPlayer(owner);
        unit->health = 20.0f; // half
        owner->resources = 0.0f;
        unit->orderState = kOrderScrap;
        int frames = 0;
        while (IsInWorld(world, unit) && frames < 700) {
            Step(kStep);
            ++frames;
        }
        EXPECT_FALSE(IsInWorld(world, unit)) << name;
        EXPECT_GT(frames, 590) << "a structure fades over 20 s";
        const float expected = std::string_view(name) == "bay" ? 25.0f : 50.0f;
        EXPECT_FLOAT_EQ(owner->resources, expected) << name;
    }

    // A ship flies to the hub, fades over 5 s and gets half back.
    owner->resources = 0.0f;
    Ship* scout = SpawnShip("scout", {0, 0, 20}, kOwner); // facing the hub
    ASSERT_TRUE(scout->CanScrap());
    scout->orderState = kOrderScrap;
    int frames = 0;
    while (IsInWorld(world, scout) && frames < 3000) {
        Step(kStep);
        ++frames;
    }
    EXPECT_FALSE(IsInWorld(world, scout));
    EXPECT_FLOAT_EQ(owner->resources, 99.5f * 0.5f);

    // A maximum health of 0 counts as whole, never as a division by zero.
    auto* odd = Spawn<Structure>("broken", {40, 0, 0});
    odd->health = 0.0f;
    EXPECT_FLOAT_EQ(odd->ScrapRefund(), 100.0f);
}

TEST_F(LvConstruction, RepairWithNoPodKeepsThePreviousOrderRunningInState13) {
    Ship* scout = SpawnShip("scout", {0, 0, 0}, kOwner);
    scout->health = 0.3f * scout->PropFloat("health max");
    const Vec3 goal{0, 0, 40}; // straight ahead
    scout->orderState = kOrderMove;
    scout->movePoint = goal;
    scout->SaveCurrentOrder();
    scout->orderState = kOrderRepair;
    scout->target = kNoEntity;
    EXPECT_EQ(scout->CanRepair(), 0) << "no pod, no repair";

    const float start = (goal - scout->position).Length();
    for (int frame = 0; frame < 300; ++frame) {
        Step(kStep);
        ASSERT_EQ(scout->orderState, kOrderRepair) << frame;
        ASSERT_EQ(scout->target, kNoEntity);
    }
    EXPECT_LT((goal - scout->position).Length(), 0.8f * start) << "it kept moving to its point";
    EXPECT_EQ(scout->savedOrder.state, kOrderMove);

    // A pod of the owner is given the job.
    auto* podPrototype = AddPrototype<UtilityPod>("pod", QuietUnit);
    podPrototype->AddChild(Cube("hull", 0.5f));
    podPrototype->RecomputeBound();
    auto* pod = Spawn<UtilityPod>("pod", {10, 0, 0});
    pod->SetPlayer(owner);
    EXPECT_EQ(scout->CanRepair(), 1);
    Step(kStep);
    EXPECT_EQ(pod->orderState, kOrderClassState14);
    EXPECT_EQ(pod->target, scout->handle);
    EXPECT_EQ(scout->orderState, kOrderRepair);
    EXPECT_EQ(scout->target, pod->handle);

    // Whole again, it takes up its order.
    scout->health = scout->PropFloat("health max");
    Step(kStep);
    EXPECT_EQ(scout->orderState, kOrderMove);
    EXPECT_TRUE(scout->movePoint == goal);
}

} // namespace
} // namespace lumivane::test
