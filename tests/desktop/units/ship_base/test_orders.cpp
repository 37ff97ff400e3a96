// Orders: the once-per-tick mark, orders naming the unit itself, formation
// members and their leader, spacing, waypoints that ride or stay, the
// self-destruct toggle, what a fading unit accepts, and the parameters of
// records that could reach past what the unit holds.
#include <gtest/gtest.h>

#include <cstring>

#include "desktop/scene/world/squad.h"
#include "tests/desktop/units/unit_fixture.h"

namespace lumivane::test {
namespace {

class LvUnitOrders : public UnitTest {
protected:
    LvUnitOrders() {
        AddShip("scout", [](Entity& e) {
            SetFlag(e, "task: build", true);
            SetText(e, "construct1", "scout");
        });
        Tick();
    }

    std::unique_ptr<Message> Formation(int8_t value, std::initializer_list<Ship*> to) {
        auto order = std::make_unique<ParameterOrder>(order::kFormation);
        order->words[0] = value;
        for (Ship* unit : to)
            order->units.Append(unit->handle);
        return order;
    }

    // A squad of `size` units of player 0 with the first leading.
    std::vector<Ship*> SquadOf(int size, int number = 1) {
        std::vector<Ship*> members;
        for (int i = 0; i < size; ++i) {
            Ship* unit = SpawnShip("scout", {float(3 * i), 0, 0});
            EXPECT_TRUE(unit->SetSquad(PlayerAt(0)->SquadAt(number), -1));
            members.push_back(unit);
        }
        return members;
    }
};

TEST_F(LvUnitOrders, AOncePerTickOrderIsObeyedOnceAndTheRecordStaysMarked) {
    Ship* a = SpawnShip("scout");
    Ship* b = SpawnShip("scout", {5, 0, 0});
    // Self-destruct toggles, so obeying twice would disarm again.
    auto arm = Plain(19 | order::kOncePerTick, a->handle);
    arm->units.Append(a->handle);
    arm->units.Append(b->handle);
    queue.Post(std::move(arm), 0);
    queue.Deliver(GetSceneClock().frame + 1);
    EXPECT_NE(a->selfDestructTime, 0) << "listed twice, armed once";
    EXPECT_NE(b->selfDestructTime, 0) << "a's acceptance left the mark for b";

    // Unmarked, the same record toggles each time it arrives.
    auto plain = Plain(19, b->handle);
    Deliver(*b, *plain);
    EXPECT_EQ(b->selfDestructTime, 0);

    // A marked record tested by each unit on its own copy of the mark.
    auto again = Plain(18 | order::kOncePerTick, a->handle);
    again->units.Append(b->handle);
    Deliver(*a, *again);
    EXPECT_TRUE(again->OncePerTick());
    Deliver(*b, *again);
    EXPECT_EQ(a->orderState, kOrderIdle) << "a was ordered this tick already";
    EXPECT_EQ(b->orderState, kOrderIdle) << "so was b";
    Tick();
    Deliver(*a, *again);
    EXPECT_EQ(a->orderState, kOrderHunt) << "a new tick";
}

TEST_F(LvUnitOrders, AttackOrShadowOnItselfIsIgnored) {
    Ship* unit = SpawnShip("scout");
    Ship* other = SpawnShip("scout", {9, 0, 0}, 1);
    for (uint8_t code : {order::kAttack, order::kShadow}) {
        TargetOrder self(code);
        self.target = unit->handle;
        self.units.Append(unit->handle);
        Deliver(*unit, self);
        EXPECT_EQ(unit->orderState, kOrderIdle) << int(code);
        Tick();
        TargetOrder real(code);
        real.target = other->handle;
        real.units.Append(unit->handle);
        Deliver(*unit, real);
        EXPECT_EQ(unit->target, other->handle) << int(code);
        unit->orderState = kOrderIdle;
        Tick();
    }
}

TEST_F(LvUnitOrders, AMemberOrderedWithItsLeaderKeepsFormationAloneItLeaves) {
    std::vector<Ship*> squad = SquadOf(3);
    Ship* leader = squad[0];
    queue.Post(Formation(5, {leader}), 0);
    queue.Deliver(GetSceneClock().frame + 1);
    ASSERT_EQ(leader->formationKind, 5);
    for (Ship* member : {squad[1], squad[2]}) {
        ASSERT_TRUE(member->SetSquad(leader->squad, member->squadSlot)); // rejoins: follows
        EXPECT_EQ(member->orderState, kOrderFormation);
    }
    Tick();
    MoveOrder together;
    together.destination = {50, 0, 0};
    together.units.Append(squad[1]->handle);
    together.units.Append(leader->handle);
    Deliver(*squad[1], together);
    Deliver(*leader, together);
    EXPECT_EQ(squad[1]->orderState, kOrderFormation);
    EXPECT_EQ(leader->orderState, kOrderMove);

    Tick();
    MoveOrder alone;
    alone.destination = {0, 0, 50};
    alone.units.Append(squad[2]->handle);
    Deliver(*squad[2], alone);
    EXPECT_EQ(squad[2]->orderState, kOrderMove);
    EXPECT_EQ(squad[2]->formationKind, 0);
}

TEST_F(LvUnitOrders, FormationOrdersReachTheLeaderOnceAndSpacingStopsHalvingBelowFour) {
    std::vector<Ship*> squad = SquadOf(3);
    Ship* leader = squad[0];
    leader->formationSpacing = 8.0f;
    // Two members pass "wider" on; the leader widens once.
    auto wider = Formation(1, {squad[1], squad[2]});
    Deliver(*squad[1], *wider);
    Deliver(*squad[2], *wider);
    EXPECT_EQ(leader->formationSpacing, 16.0f);
    for (Ship* member : squad)
        EXPECT_EQ(member->formationSpacing, 16.0f);

    Tick();
    leader->formationSpacing = 3.9f;
    auto closer = Formation(2, {leader});
    Deliver(*leader, *closer);
    EXPECT_EQ(leader->formationSpacing, 3.9f);
    EXPECT_EQ(squad[2]->formationSpacing, 3.9f);
    Tick();
    leader->formationSpacing = 4.0f;
    Deliver(*leader, *closer);
    EXPECT_EQ(leader->formationSpacing, 2.0f);
}

TEST_F(LvUnitOrders, AFormationGivenAsTheSceneStartsPlacesTheMembers) {
    std::vector<Ship*> squad = SquadOf(4, 2);
    Ship* leader = squad[0];
    scene->startTime = GetSceneClock().gameTime;
    for (Ship* member : squad)
        member->orderState = kOrderFormation;
    leader->orderState = kOrderIdle;
    auto line = Formation(3, {leader});
    Deliver(*leader, *line);
    for (size_t i = 1; i < squad.size(); ++i) {
        const Vec3 expected = squad[i]->FormationPosition(
            3, leader->formationSpacing, leader->squad->GetFormationIndex(squad[i]), leader);
        EXPECT_LT((squad[i]->position - expected).Length(), 1e-4f) << i;
        EXPECT_EQ(squad[i]->position.z, leader->position.z) << "line abreast";
    }
}

TEST_F(LvUnitOrders, AWaypointNearAPlanetRidesItOneFarFromEverythingStaysFixed) {
    Planet* globe = AddPrototype<Planet>("Planet", [](Entity& e) { SetFloat(e, "scale", 4.0f); });
    globe->AddChild(Cube("globe", 2.0f));
    globe->RecomputeBound();
    Entity* planet = Spawn("Planet", {100, 0, 0});
    ASSERT_GT(planet->radius, 10.0f);
    Ship* unit = SpawnShip("scout");
    auto waypoint = [&](Vec3 point, int restart) {
        WaypointOrder order;
        order.restart = restart;
        order.point = point;
        order.units.Append(unit->handle);
        Deliver(*unit, order);
        Tick();
    };
    const float reach = 30.0f + planet->radius;
    waypoint({100 + reach - 0.5f, 0, 0}, 1);
    waypoint({100 + reach + 0.5f, 0, 0}, 0);
    waypoint({100, 0, 100}, 0);
    ASSERT_EQ(unit->waypoints.size(), 3u);
    EXPECT_EQ(unit->waypointRiders[0], planet->handle);
    EXPECT_EQ(unit->waypointRiders[1], kNoEntity);
    EXPECT_EQ(unit->waypointRiders[2], kNoEntity);
    EXPECT_EQ(unit->orderState, kOrderWaypoints);
    waypoint({0, 0, 10}, 1);
    EXPECT_EQ(unit->waypoints.size(), 1u) << "a restart begins a new path";
}

TEST_F(LvUnitOrders, SelfDestructTogglesAndAnyOtherOrderDisarms) {
    Ship* unit = SpawnShip("scout");
    auto destruct = Plain(19, unit->handle);
    Deliver(*unit, *destruct);
    EXPECT_NE(unit->selfDestructTime, 0);
    Tick();
    Deliver(*unit, *destruct);
    EXPECT_EQ(unit->selfDestructTime, 0);
    Tick();
    Deliver(*unit, *destruct);
    auto stop = Plain(31, unit->handle);
    Tick();
    Deliver(*unit, *stop);
    EXPECT_EQ(unit->selfDestructTime, 0);
    // Armed and left alone it goes 6 s later.
    Tick();
    Deliver(*unit, *destruct);
    const EntityHandle handle = unit->handle;
    for (int i = 0; i < 170; ++i)
        Step(1.0f / 30.0f);
    EXPECT_NE(world.GetEntity(handle), nullptr) << "not before 6 s";
    for (int i = 0; i < 15; ++i)
        Step(1.0f / 30.0f);
    EXPECT_EQ(world.GetEntity(handle), nullptr);
}

TEST_F(LvUnitOrders, AFadingUnitAcceptsOnlyScrapping) {
    Ship* unit = SpawnShip("scout");
    unit->SetSquad(PlayerAt(0)->SquadAt(0), -1);
    EXPECT_EQ(unit->CanAcceptOrder(order::kFormation), 1);
    EXPECT_EQ(unit->CanAcceptOrder(order::kMove), 1);
    unit->BeginFade();
    for (int code = 11; code <= 37; ++code)
        if (code != order::kScrap) {
            EXPECT_EQ(unit->CanAcceptOrder(code), 0) << code;
        }
    EXPECT_EQ(unit->CanAcceptOrder(order::kScrap), unit->CanScrap());
}

TEST_F(LvUnitOrders, RecordParametersAreCheckedBeforeUse) {
    Ship* unit = SpawnShip("scout");
    // Squad numbers outside the owner's ten are refused.
    for (int32_t number : {-1, 10, 1000}) {
        SquadOrder join;
        join.squad = number;
        join.units.Append(unit->handle);
        Deliver(*unit, join);
        EXPECT_EQ(unit->squad, nullptr) << number;
        Tick();
    }
    SquadOrder join;
    join.squad = 4;
    join.units.Append(unit->handle);
    Deliver(*unit, join);
    EXPECT_EQ(unit->squad, PlayerAt(0)->SquadAt(4));

    // Build choices: a negative one is refused like one above 9; a site name
    // of 32 characters without an end is cut to 31.
    for (int32_t choice : {-1, 10}) {
        Tick();
        ParameterOrder build(order::kQueueBuild);
        build.words[0] = choice;
        build.units.Append(unit->handle);
        Deliver(*unit, build);
        EXPECT_TRUE(unit->buildQueue.empty()) << choice;
    }
    Tick();
    ParameterOrder build(order::kQueueBuild);
    build.words[0] = 0;
    build.words[1] = 3;
    build.words[2] = unit->handle;
    std::memset(build.name.data(), 'n', build.name.size());
    build.units.Append(unit->handle);
    Deliver(*unit, build);
    ASSERT_EQ(unit->buildQueue.size(), 1u);
    EXPECT_EQ(unit->buildQueue[0].siteNode, std::string(31, 'n'));
    EXPECT_EQ(unit->buildQueue[0].squad, 3);
    // A record of the wrong kind for its code reads zeros, not what follows.
    Tick();
    auto cancel = Plain(order::kCancelBuild, unit->handle);
    Deliver(*unit, *cancel);
    EXPECT_TRUE(unit->buildQueue.empty());
}

} // namespace
} // namespace lumivane::test
