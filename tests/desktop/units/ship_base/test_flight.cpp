// Flying: the controllers turn a unit the right way and bring it to a
// point; forward thrust waits until the unit faces its goal; the tow lock
// holds a unit still; the Sun is orbited without the boost planets get;
// waypoints ride the Sun's orbit and wrap.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/object/math_tables.h"
#include "tests/desktop/units/unit_fixture.h"

namespace lumivane::test {
namespace {

constexpr float kStep = 1.0f / 30.0f;

class LvFlight : public UnitTest {
protected:
    LvFlight() { AddShip("scout"); }

    void RunFrames(int frames) {
        for (int i = 0; i < frames; ++i)
            Step(kStep);
    }
};

TEST_F(LvFlight, AMoveOrderTurnsTheUnitAroundAndBringsItThere) {
    Ship* ship = SpawnShip("scout");
    ship->autoAttack = 0;
    const Vec3 goal(-30.0f, 4.0f, -25.0f); // behind, to the left and above
    auto order = std::make_unique<MoveOrder>();
    order->destination = goal;
    order->units.Append(ship->handle);
    Deliver(*ship, *order);
    ASSERT_EQ(ship->orderState, kOrderMove);
    int frames = 0;
    while (ship->orderState == kOrderMove && frames < 30 * 120) {
        Step(kStep);
        ++frames;
    }
    EXPECT_EQ(ship->orderState, kOrderIdle) << "no Sun: a finished order idles";
    EXPECT_LT((ship->position - goal).Length(), 2.0f * ship->radius + 0.1f);
    EXPECT_LT(frames, 30 * 90);
    EXPECT_GT(Vec3::Dot(ship->GetDir(), Vec3(-30, 4, -25) * (1.0f / 39.26f)), 0.5f)
        << "it turned toward where it went";
}

TEST_F(LvFlight, ForwardThrustWaitsUntilTheUnitFacesItsGoal) {
    Ship* ship = SpawnShip("scout");
    Tick();
    // 45 degrees off: the command is zero, the main thruster stays cold.
    ship->SteerTo({100.0f, 0.0f, 100.0f});
    EXPECT_EQ(ship->thrusters[kMain], 0.0f);
    EXPECT_NEAR(ship->velocity.z, 0.0f, 1e-6f);
    // 30 degrees off: it thrusts ahead.
    Ship* other = SpawnShip("scout", {0, 0, 50});
    const float t = std::tan(30.0f * kPi / 180.0f);
    other->SteerTo(other->position + Vec3(100.0f * t, 0.0f, 100.0f));
    EXPECT_GT(other->thrusters[kMain], 0.0f);
    EXPECT_GT(other->velocity.z, 0.0f);
}

TEST_F(LvFlight, TheTowLockHoldsTheUnitForThreeSeconds) {
    Ship* ship = SpawnShip("scout");
    ship->autoAttack = 0;
    ship->orderState = kOrderMove;
    ship->movePoint = {20.0f, 0.0f, 20.0f};
    ship->towLockTime = int32_t(GetSceneClock().gameTime);
    RunFrames(85); // 2.8 s
    EXPECT_EQ(ship->position, Vec3());
    EXPECT_EQ(ship->velocity, Vec3());
    EXPECT_EQ(ship->orientation.w, 1.0f) << "no turn either";
    RunFrames(30);
    EXPECT_GT(ship->velocity.Length(), 0.0f);
    EXPECT_LT(ship->orientation.w, 1.0f);
}

TEST_F(LvFlight, TheSunIsOrbitedWithoutTheBoostAPlanetGets) {
    Entity* sun = AddSun();
    AddPrototype<Planet>("Planet", [](Entity& e) { SetFloat(e, "mass", 20.0f); });
    Entity* planet = Spawn("Planet", {200.0f, 0.0f, 0.0f});
    auto pushOf = [&](Entity* body) {
        Ship* ship = SpawnShip("scout", body->position + Vec3(0, 0, 30.0f));
        ship->orderState = kOrderFollow;
        ship->target = body->handle;
        ship->followDistance = 30.0f;
        ship->followOffset = {0, 1, 0};
        ship->velocity = {0.5f, 0.0f, 0.0f}; // far off the orbit's speed: full commands
        Tick();
        const Vec3 before = ship->velocity;
        ship->UpdateFollow();
        EXPECT_EQ(ship->orbiting, 1);
        return (ship->velocity - before).Length();
    };
    const float plain = 0.2f * kStep * std::sqrt(3.0f); // "thrust" on three axes
    EXPECT_LE(pushOf(sun), plain * 1.001f);
    EXPECT_GT(pushOf(planet), plain * 4.0f);
}

TEST_F(LvFlight, AFinishedOrderOrbitsTheSunAtThePresentDistance) {
    AddSun();
    Ship* ship = SpawnShip("scout", {0, 0, 40});
    ship->FinishOrder();
    EXPECT_EQ(ship->orderState, kOrderFollow);
    EXPECT_NEAR(ship->followDistance, 40.0f, 1e-4f);
    EXPECT_EQ(ship->followOffset, Vec3(0, 1, 0));
    ship->autoAttack = 0;
    RunFrames(30 * 60);
    EXPECT_NEAR(ship->position.Length(), 40.0f, 3.0f) << "it stays in its orbit";
}

TEST_F(LvFlight, WaypointsRideTheSunsOrbitAndAOnePointPathWraps) {
    AddSun();
    Ship* ship = SpawnShip("scout", {0, 0, 60});
    ship->autoAttack = 0;
    auto order = std::make_unique<WaypointOrder>();
    order->restart = 1;
    order->point = {0, 0, 80};
    Deliver(*ship, *order);
    ASSERT_EQ(ship->waypoints.size(), 1u);
    EXPECT_EQ(ship->waypointRiders[0], kNoEntity) << "nothing to ride within 30";
    const Vec3 start = ship->waypoints[0];
    int arrivals = 0;
    for (int i = 0; i < 30 * 40; ++i) {
        Step(kStep);
        if ((ship->position - ship->waypoints[0]).Length() < 4.0f * ship->radius) ++arrivals;
    }
    EXPECT_EQ(ship->orderState, kOrderWaypoints);
    EXPECT_EQ(ship->currentWaypoint, 0);
    EXPECT_GT(arrivals, 0) << "the unit reached its one point";
    EXPECT_NEAR(ship->waypoints[0].Length(), 80.0f, 0.5f) << "the point orbits the Sun";
    EXPECT_GT((ship->waypoints[0] - start).Length(), 1.0f);
}

TEST_F(LvFlight, EdgesThatWouldDivideByZeroStayFinite) {
    AddShip("speck", nullptr, 0.0f); // a hull of no size: radius 0
    Ship* speck = SpawnShip("speck");
    ASSERT_EQ(speck->radius, 0.0f);
    Tick();
    speck->ArriveAt({0.0f, 0.0f, 0.0f});
    speck->ArriveAt({1.0f, 2.0f, 3.0f});
    EXPECT_TRUE(std::isfinite(speck->velocity.Length()));

    // A waypoint order loaded with an empty path is a finished one.
    Ship* patrol = SpawnShip("scout");
    patrol->orderState = kOrderWaypoints;
    patrol->UpdateOrder();
    EXPECT_EQ(patrol->orderState, kOrderIdle);
}

} // namespace
} // namespace lumivane::test
