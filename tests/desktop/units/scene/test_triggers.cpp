// Trigger conditions and actions on units: entity and player conditions,
// display modes, orders to each live unit, players' resources and units,
// markers and routes.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <fstream>

#include "desktop/scene/entity/wormhole.h"
#include "desktop/scene/world/trigger.h"
#include "desktop/units/unit_class_headers.h"
#include "tests/desktop/scene/world/scene_fixture.h"

namespace lumivane {
namespace {

using test::SceneFixture;

TriggerAction& AddAction(Trigger& trigger, int32_t type, std::vector<int32_t> values = {}) {
    auto action = std::make_unique<TriggerAction>();
    action->type = type;
    action->values = std::move(values);
    action->owner = &trigger;
    trigger.actions.push_back(std::move(action));
    return *trigger.actions.back();
}

Trigger& NewTrigger(Scene& scene, int32_t id, int32_t mode = 1) {
    auto trigger = std::make_unique<Trigger>();
    trigger->id = id;
    trigger->combineMode = mode;
    return scene.AddTrigger(std::move(trigger));
}

// Every test runs in a scene with the built data's prototypes and a
// top-level trigger whose actions it runs.
class LvTriggers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fixture.LoadLibrary());
        trigger = &NewTrigger(*fixture.scene, 100);
    }
    TriggerAction& Action(int32_t type, std::vector<int32_t> values = {}) {
        return AddAction(*trigger, type, std::move(values));
    }
    std::vector<std::string>& Calls() { return fixture.display.calls; }

    SceneFixture fixture;
    Trigger* trigger = nullptr;
};

TEST_F(LvTriggers, ConditionsOnEntitiesPlayersAndVariables) {
    Ship* ours = ShipOf(fixture.SpawnShip({0, 0, 0}, 0));
    Ship* theirs = ShipOf(fixture.SpawnShip({30, 0, 0}, 1));
    ASSERT_TRUE(ours && theirs);
    fixture.world.JoinPending();
    Trigger owner;

    TriggerCondition near;
    near.owner = &owner;
    near.type = int32_t(ConditionType::Distance);
    near.subject = ours->handle;
    near.handles = {theirs->handle};
    near.distance = 30.0f;
    EXPECT_EQ(near.Test(), 1);
    near.distance = 29.0f;
    EXPECT_EQ(near.Test(), 0);
    near.mode = 2;
    EXPECT_EQ(near.Test(), 0);
    near.handles.push_back(NextGeneration(theirs->handle));
    near.mode = 1;
    near.distance = 31.0f;
    EXPECT_EQ(near.Test(), 0) << "mode 1 needs every handle to resolve";

    TriggerCondition beaten;
    beaten.type = int32_t(ConditionType::PlayerBeaten);
    beaten.subject = 2;
    EXPECT_EQ(beaten.Test(), 1);
    beaten.subject = 1;
    EXPECT_EQ(beaten.Test(), 0);
    beaten.subject = -1;
    EXPECT_EQ(beaten.Test(), 0);
    beaten.subject = 6;
    EXPECT_EQ(beaten.Test(), 0) << "there is no player 6";

    TriggerCondition gone;
    gone.type = int32_t(ConditionType::UnitsGone);
    gone.subject = 1;
    EXPECT_EQ(gone.Test(), 1) << "an empty list holds with the flag";
    gone.subject = 0;
    EXPECT_EQ(gone.Test(), 0);
    gone.handles = {ours->handle, NextGeneration(theirs->handle)};
    EXPECT_EQ(gone.Test(), 1);
    gone.subject = 1;
    EXPECT_EQ(gone.Test(), 0);

    TriggerCondition seen;
    seen.type = int32_t(ConditionType::Visible);
    seen.subject = 0;
    seen.handles = {ours->handle};
    EXPECT_EQ(seen.Test(), 1) << "a player knows its own units";
    seen.handles = {theirs->handle};
    theirs->identification[0] = 0;
    EXPECT_EQ(seen.Test(), 0);
    seen.subject = 7;
    EXPECT_EQ(seen.Test(), 0);

    TriggerCondition units;
    units.type = int32_t(ConditionType::UnitsNear);
    units.subject = 0;
    units.name = "TESTSHIP";
    units.handles = {theirs->handle};
    units.distance = 35.0f;
    EXPECT_EQ(units.Test(), 1);
    units.name = "other";
    EXPECT_EQ(units.Test(), 0);

    fixture.scene->AddUserVariable("score").value = 4;
    fixture.scene->AddUserVariable("limit").value = 4;
    TriggerCondition variable;
    variable.type = int32_t(ConditionType::Variable);
    variable.name = "SCORE";
    const int32_t comparisons[] = {0, 1, 2, 3, 4, 5, 6};
    const bool against3[] = {false, false, true, true, false, true, false};
    variable.constant = 3;
    for (int32_t comparison : comparisons) {
        variable.comparison = comparison;
        EXPECT_EQ(variable.Test(), against3[comparison] ? 1 : 0) << comparison;
    }
    variable.comparison = 0;
    variable.name2 = "limit";
    EXPECT_EQ(variable.Test(), 1);
    variable.name2 = "nothing";
    EXPECT_EQ(variable.Test(), 0) << "an unknown operand variable fails";
    variable.name = "$NumShips";
    variable.name2.clear();
    variable.constant = 2;
    EXPECT_EQ(variable.Test(), 1);
}

TEST_F(LvTriggers, DisplayModesOverlaysAndSwitches) {
    Action(action::kLetterbox, {1, 1}).Run();
    Action(action::kDisplaySwitch, {2, 0}).Run();
    Action(action::kHud, {0, 1}).Run();
    Action(action::kDisplayFlags, {1}).Run();
    Action(action::kWireframe, {2}).Run();
    Action(action::kWireframe, {2}).Run();
    Action(action::kStateWord).Run();
    Action(action::kEffectParams, {1, 2, 3, 4, 5}).Run();
    TriggerAction& hook = Action(action::kDisplayHook, {5});
    hook.text = "A";
    hook.Run();
    for (int32_t none : {8, 9, 10, 11, 37, 0, 51})
        Action(none, {1, 1}).Run();
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"SetLetterbox 1 1", "SetSwitch 2 0", "SetHudVisible 0 1",
                                        "SetFlags 1", "SetWireframe 1", "SetWireframe 0",
                                        "ClearPauseFlag", "SetEffectParams 5", "Hook 5 A"}));
    EXPECT_EQ(fixture.application.stateWord, 2);

    Calls().clear();
    TriggerAction& overlay = Action(action::kOverlay);
    overlay.text = "marker";
    overlay.Run();
    overlay.Run();
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"AddOverlayModel marker", "RemoveOverlay marker"}));

    Calls().clear();
    GetUserInputWords().permission[0] = 7;
    Action(action::kFade, {1}).Run();
    EXPECT_EQ(GetUserInputWords().permission[0], 7u);
    Action(action::kFade, {0}).Run();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"RemoveOverlay fadein", "RemoveOverlay fadeout",
                                                 "AddOverlayModel fadein", "RemoveOverlay fadein",
                                                 "RemoveOverlay fadeout", "AddOverlayModel fadeout",
                                                 "SetHudVisible 0 1"}));
    EXPECT_EQ(GetUserInputWords().permission[0], 0u);
    EXPECT_EQ(GetUserInputWords().permission[1], 0u);

    Action(action::kPermissions, {0x20, 0x10}).Run();
    EXPECT_EQ(GetUserInputWords().permission[0], 0x20u);
    EXPECT_EQ(GetUserInputWords().permission[1], 0x10u);
}

TEST_F(LvTriggers, OrdersGoToTheQueueForEachLiveUnit) {
    Entity* sun = fixture.Spawn("Sun", {0, 0, 0});
    Ship* a = ShipOf(fixture.SpawnShip({100, 0, 0}, 0));
    Ship* b = ShipOf(fixture.SpawnShip({0, 0, 100}, 0));
    Ship* enemy = ShipOf(fixture.SpawnShip({50, 0, 50}, 1));
    ASSERT_TRUE(sun && a && b && enemy);
    fixture.world.JoinPending();
    const std::vector<EntityHandle> units = {a->handle, NextGeneration(b->handle), b->handle};

    auto run = [&](int32_t type, EntityHandle target) {
        fixture.queue.Clear();
        TriggerAction& order = Action(type, {target});
        order.handles = units;
        order.point = {1, 2, 3};
        order.offset = {0, 0, 5};
        order.Run();
    };
    run(action::kFollow, sun->handle);
    ASSERT_EQ(fixture.queue.Count(), 2);
    const auto& follow = static_cast<const FollowOrder&>(fixture.queue.At(0));
    EXPECT_EQ(follow.type, order::kFollow);
    EXPECT_EQ(follow.target, sun->handle);
    EXPECT_FLOAT_EQ(follow.distance, 100.0f) << "the separation from the Sun";
    EXPECT_EQ(follow.offset, Vec3(0, 1, 0));
    run(action::kFollow, NextGeneration(sun->handle));
    EXPECT_EQ(fixture.queue.Count(), 0) << "no live target, no follow";

    run(action::kMove, sun->handle);
    EXPECT_EQ(static_cast<const MoveOrder&>(fixture.queue.At(0)).destination, Vec3(1, 2, 3));
    run(action::kMove, enemy->handle);
    // The offset (0, 0, 5) is turned with the arc from +X to the target's
    // direction: it stays 5 long and level, across that direction.
    const Vec3 away =
        static_cast<const MoveOrder&>(fixture.queue.At(0)).destination - enemy->position;
    EXPECT_NEAR(away.Length(), 5.0f, 1e-4f);
    EXPECT_NEAR(away.y, 0.0f, 1e-4f);
    EXPECT_NEAR(Vec3::Dot(away, {0.7071068f, 0, 0.7071068f}), 0.0f, 1e-3f);

    run(action::kAttack, enemy->handle);
    ASSERT_EQ(fixture.queue.Count(), 2);
    EXPECT_EQ(fixture.queue.At(1).type, order::kAttack);
    EXPECT_EQ(static_cast<const TargetOrder&>(fixture.queue.At(1)).target, enemy->handle);
    EXPECT_TRUE(a->IsOrdered());
    run(action::kHunt, -1);
    EXPECT_EQ(fixture.queue.At(0).type, order::kHunt);
    run(action::kGather, -1);
    EXPECT_EQ(fixture.queue.At(0).type, order::kWork) << "not a utility pod";
    EXPECT_EQ(fixture.queue.At(0).units[0], a->handle);
}

TEST_F(LvTriggers, PlayersResourcesAndUnits) {
    Ship* a = ShipOf(fixture.SpawnShip({0, 0, 0}, 0, 1));
    Ship* b = ShipOf(fixture.SpawnShip({5, 0, 0}, 0, 1));
    ASSERT_TRUE(a && b);
    fixture.world.JoinPending();

    Action(action::kResources, {-1, 100}).Run();
    for (auto& player : fixture.players)
        EXPECT_EQ(player->resources, 100.0f);
    TriggerAction& named = Action(action::kResources, {2, 5});
    named.text = "bonus";
    named.Run();
    EXPECT_EQ(fixture.players[2]->resources, 100.0f) << "an unknown variable gives nothing";
    fixture.scene->AddUserVariable("bonus").value = 50;
    named.Run();
    EXPECT_EQ(fixture.players[2]->resources, 150.0f);
    Action(action::kResources, {6, 100}).Run(); // no player 6

    TriggerAction& ai = Action(action::kComputerPlayer, {-1});
    ai.text = " 40% OFFENSIVE /  60% Defensive";
    ai.Run();
    for (auto& player : fixture.players)
        EXPECT_EQ(player->aiLevel, 4);

    std::vector<int32_t> table(36, 0);
    table[2 * 6 + 3] = 1;
    Action(action::kEnemies, table).Run();
    EXPECT_TRUE(fixture.players[2]->CountsAsEnemy(3));
    EXPECT_FALSE(fixture.players[0]->CountsAsEnemy(1));

    TriggerAction& builds = Action(action::kBuildList, {4});
    builds.names = {"testship", "Planet"};
    builds.weights = {3, 1};
    builds.Run();
    ASSERT_EQ(fixture.players[4]->buildList.size(), 2u);
    EXPECT_EQ(fixture.players[4]->buildList[0].weight, 3);

    // Units change sides and squads (squads are taken mod 10).
    a->orderState = kOrderAttack;
    a->target = b->handle;
    TriggerAction& give = Action(action::kGiveUnits, {3, 12});
    give.handles = {a->handle};
    give.Run();
    EXPECT_EQ(a->owner, fixture.players[3].get());
    EXPECT_EQ(a->squad, &fixture.players[3]->squads[2]);
    EXPECT_EQ(a->target, kNoEntity);
    EXPECT_EQ(fixture.players[0]->squads[1].IndexOf(a), -1);
    Action(action::kGiveUnits, {9, 0}).Run(); // refused

    // Damage and repair, plain and in percent of "health max".
    const float full = b->PropFloat("health max");
    TriggerAction& hurt = Action(action::kDamage, {50, 1});
    hurt.handles = {b->handle};
    hurt.Run();
    EXPECT_FLOAT_EQ(b->health, full * 0.5f);
    TriggerAction& heal = Action(action::kDamage, {-2, 0});
    heal.handles = {b->handle};
    heal.Run();
    EXPECT_FLOAT_EQ(b->health, full * 0.5f + 2.0f);

    // The sequence of a unit plays once.
    TriggerAction& play = Action(action::kPlaySequence, {b->handle});
    play.text = "idle";
    play.Run();
    ASSERT_FALSE(b->sequenceStates.empty());
    EXPECT_EQ(b->sequenceStates[0].playing, 1);
    EXPECT_EQ(b->sequenceStates[0].loop, 0);

    // Removing a player's units queues them (with the cascade).
    TriggerAction& remove = Action(action::kRemoveUnits, {0});
    remove.Run();
    EXPECT_TRUE(fixture.world.IsQueuedForRemoval(b));
}

TEST_F(LvTriggers, MarkersAndRoutes) {
    const EntityHandle wanted = fixture.world.ReserveHandle();
    TriggerAction& marker = Action(action::kMarker, std::vector<int32_t>(12, 0));
    marker.values[0] = wanted;
    marker.values[6] = std::bit_cast<int32_t>(4.0f);
    marker.Run();
    fixture.world.JoinPending();
    Entity* made = fixture.world.GetEntity(wanted);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Name(), "marker");
    EXPECT_EQ(made->position, Vec3(4, 0, 0));
    marker.Run();
    EXPECT_EQ(fixture.world.EntityCount(), 1) << "a live marker is not made again";

    Ship* waypoint = ShipOf(fixture.SpawnShip({0, 0, 0}, 1));
    Ship* idle = ShipOf(fixture.SpawnShip({9, 0, 0}, 2));
    Ship* listed = ShipOf(fixture.SpawnShip({9, 0, 9}, 2));
    ASSERT_TRUE(waypoint && idle && listed);
    fixture.world.JoinPending();
    TriggerAction& route = Action(action::kRoute, {2, 0, 1});
    route.text = "testship";
    route.handles = {listed->handle};
    route.Run();
    // The listed unit first; it is then no longer idle, so of player 2's idle
    // units only the other one follows.
    ASSERT_EQ(fixture.queue.Count(), 2);
    const auto& order = static_cast<const HandleListOrder&>(fixture.queue.At(0));
    EXPECT_EQ(order.type, order::kTargetList);
    EXPECT_EQ(order.route, std::vector<EntityHandle>{waypoint->handle});
    EXPECT_TRUE(idle->IsOrdered());
    fixture.queue.Clear();
    route.values = {2, 100, 1};
    route.handles.clear();
    route.Run();
    EXPECT_EQ(fixture.queue.Count(), 0) << "ordered units are no longer idle";
}

} // namespace
} // namespace lumivane
