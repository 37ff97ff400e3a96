// Units that put others into the world: a colony ship hands out the
// settlers a trigger gives it, on their schedule, at its "dummyship" node;
// a prefab kit becomes a "hub" with the handle it reserved 30 s after it
// deploys; a mining station that has just faded in lies tilted for 6 s,
// then eases upright over 8 s.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/scene_classes.h"
#include "desktop/units/unit_class_headers.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/units/ships/ship_classes.h"
#include "tests/desktop/units/ships/ship_class_fixture.h"

namespace lumivane::test {
namespace {

class LvSettlersAndKits : public ShipClassTest {};

TEST_F(LvSettlersAndKits, AColonyShipSendsOutTheSettlersATriggerGivesIt) {
    AddClass<ColonyShip>("colony", {"dummyship"});
    AddShip("settler", [](Entity& e) {
        CalmUnit(e);
        SetFloat(e, "health max", 10.0f);
    });
    auto* colony = Place<ColonyShip>("colony", {10, 0, 0}, 1);
    colony->velocity = {0.5f, 0, 0};
    const EntityHandle reserved = world.ReserveHandle();
    ASSERT_GE(reserved, 0);

    TriggerAction action;
    action.type = action::kPassage;
    action.values = {colony->handle};
    PassageRecord first{"settler", {1000, reserved, 1, 2, std::bit_cast<int32_t>(0.5f), 1}};
    PassageRecord second{"settler", {500, -1, 1, -1, std::bit_cast<int32_t>(1.0f), 0}};
    action.passages = {first, second};
    EXPECT_EQ(colony->IsOrderActive(order::kFireThree), 0);
    action.Run();
    ASSERT_EQ(colony->spawns.size(), 2u);
    EXPECT_EQ(colony->IsOrderActive(order::kFireThree), 1) << "settlers aboard";

    for (int i = 0; i < 29; ++i)
        Step(kFrame);
    EXPECT_EQ(world.GetEntity(reserved), nullptr) << "not before its delay";
    Step(kFrame);
    Step(kFrame);
    auto* settler = AsShip(world.GetEntity(reserved));
    ASSERT_NE(settler, nullptr) << "out after 1 s, with the reserved handle";
    EXPECT_EQ(settler->owner, PlayerAt(1));
    EXPECT_EQ(settler->orderState, kOrderDepart);
    EXPECT_EQ(settler->target, colony->handle);
    EXPECT_EQ(settler->canCollide, 0);
    EXPECT_FLOAT_EQ(settler->health, 5.0f);
    EXPECT_EQ(settler->noDamage, 1);
    // Out of the node, riding along with the ship.
    const Vec3 exit = colony->FindByName("dummyship")->WorldMatrix().GetTranslation();
    EXPECT_LT((settler->position - exit).Length(), 1.0f);
    EXPECT_EQ(settler->velocity, colony->velocity);
    EXPECT_EQ(colony->spawns.size(), 1u);

    for (int i = 0; i < 14; ++i)
        Step(kFrame);
    EXPECT_EQ(colony->spawns.size(), 1u) << "the second waits 500 ms after the first";
    Step(kFrame);
    Step(kFrame);
    EXPECT_TRUE(colony->spawns.empty());
    EXPECT_EQ(colony->IsOrderActive(order::kFireThree), 0);
}

TEST_F(LvSettlersAndKits, APrefabKitBecomesAHubWithItsHandleAfterThirtySeconds) {
    AddClass<PrefabKit>("kit", {});
    AddPrototype<Hub>("hub", [](Entity& e) {
        CalmUnit(e);
        SetFlag(e, "Survive unlinked", true);
    })->AddChild(Cube("hub", 1.0f));
    auto* kit = Place<PrefabKit>("kit", {3, 0, 4}, 2);
    kit->SetSquad(PlayerAt(2)->SquadAt(4), -1);
    const EntityHandle reserved = kit->reservedHandle;
    ASSERT_GE(reserved, 0);
    EXPECT_NE(reserved, kit->handle);

    GetUserInputWords().events[0] = 0;
    kit->fireRequest = 1;
    Step(0.5f);
    EXPECT_EQ(kit->deployed, 1);
    EXPECT_NE(GetUserInputWords().events[0] & kEventKitDeployed, 0u);
    const int32_t deployed = kit->deployTime;

    while (Now() - deployed < PrefabKit::kDeployMs - 500)
        Step(0.5f);
    EXPECT_EQ(world.GetEntity(reserved), nullptr) << "not before 30 s";
    Step(0.5f);
    Entity* hub = world.GetEntity(reserved);
    ASSERT_NE(hub, nullptr);
    EXPECT_TRUE(IsA(hub, ClassId::Hub));
    EXPECT_EQ(hub->owner, PlayerAt(2));
    EXPECT_EQ(hub->position, Vec3(3, 0, 4));
    ASSERT_NE(AsShip(hub)->squad, nullptr);
    EXPECT_EQ(AsShip(hub)->squad->index, 4);
    Step(0.5f);
    EXPECT_FALSE(IsInWorld(world, kit));
}

TEST_F(LvSettlersAndKits, AMiningStationLiesTiltedSixSecondsThenEasesUprightOverEight) {
    AddClass<MiningStation>("station", {"bodytilt"});
    auto* station = Place<MiningStation>("station");
    EXPECT_EQ(station->TiltAngle(), 0.0f) << "a clone stands upright";

    // While it fades in the clock restarts every frame.
    station->holdWord = 1;
    station->fadeFlag = 1;
    Step(0.5f);
    station->fadeFlag = 0;
    const int32_t faded = Now();
    auto tiltAfter = [&](int32_t ms) {
        while (Now() - faded < ms)
            Step(0.5f);
        return station->TiltAngle();
    };
    EXPECT_FLOAT_EQ(tiltAfter(5500), kPi / 2);
    EXPECT_FLOAT_EQ(tiltAfter(6000), kPi / 2);
    EXPECT_NEAR(tiltAfter(10000), kPi / 4, 1e-5f);
    EXPECT_GT(tiltAfter(13500), 0.0f);
    EXPECT_EQ(tiltAfter(14000), 0.0f);

    // The body node shows it: upright its local Y axis is the station's.
    const auto* body = static_cast<TransNode*>(station->FindByName("bodytilt"));
    EXPECT_NEAR(body->local.m[5], 1.0f, 1e-5f);
}

} // namespace
} // namespace lumivane::test
