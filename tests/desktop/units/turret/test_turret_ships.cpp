// The multi-turret classes: the cruiser's aft turrets stay in the rear
// arc, each turret fires on its own bit and its own reload, the perimeter
// station's guns change barrels after every shot, a turret looks for a new
// target about one frame in forty, and a station's body rises upright over
// its first fourteen seconds.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/object/math_tables.h"
#include "desktop/units/ship_base/body_tilt.h"
#include "desktop/units/turret/turret_ships.h"
#include "desktop/units/weapon/projectiles.h"
#include "tests/desktop/units/arms_fixture.h"

namespace lumivane::test {
namespace {

constexpr float kStep = 1.0f / 30.0f;
constexpr float kRearEdge = 1.0471976f;

TransNode* Mount(const std::string& name, Vec3 at) {
    auto* node = new TransNode;
    node->SetName(name);
    node->local.MakeTranslation(at.x, at.y, at.z);
    return node;
}

class LvTurretShips : public UnitTest {
protected:
    LvTurretShips() {
        AddPrototype<PlasmaBall>("bolt", [](Entity& e) {
            SetFloat(e, "speed", 0.5f);
            SetFloat(e, "lifespan", 20.0f);
            SetFlag(e, "affected by gravity", false);
        });
        auto armed = [](Entity& e) {
            SetFixedName(e, "weapon", "bolt");
            SetFloat(e, "reload time", 2.0f);
            SetFloat(e, "reload time spread", 0.0f);
            SetFloat(e, "fire range", 40.0f);
            SetFlag(e, "affected by gravity", false);
            SetFlag(e, "task: auto attack", false);
        };
        Entity* cruiser = AddPrototype<Cruiser>("cruiser", armed);
        cruiser->AddChild(Cube("hull", 1.0f));
        Entity* capitol = AddPrototype<CapitolShip>("capitol", armed);
        capitol->AddChild(Cube("hull", 1.5f));
        Entity* station = AddPrototype<PerimeterStation>("station", armed);
        station->AddChild(Cube("hull", 1.0f));
        for (int n = 1; n <= 4; ++n)
            station->AddChild(Mount("dummyweapon" + std::to_string(n), {float(n), 0, 1}));
        for (Entity* made : {cruiser, capitol, station})
            made->RecomputeBound();
        AddShip("enemy", [](Entity& e) {
            SetFlag(e, "affected by gravity", false);
            SetFlag(e, "task: auto attack", false);
        });
    }

    int WeaponsInWorld() {
        world.JoinPending();
        int count = 0;
        for (int i = 0; i < world.EntityCount(); ++i)
            count += IsA(world.EntityAt(i), ClassId::Weapon) ? 1 : 0;
        return count;
    }

    // Turns the block toward `point` for `frames` frames.
    void AimFor(Ship& ship, TurretBlock& block, Vec3 point, int frames) {
        for (int i = 0; i < frames; ++i) {
            Tick(kStep);
            ship.AimTurret(block, point, -1);
        }
    }
};

TEST_F(LvTurretShips, TheCruisersAftTurretsOnlyPointIntoTheRearArc) {
    auto* cruiser = Spawn<Cruiser>("cruiser");
    for (int b = 3; b < 5; ++b) {
        TurretBlock& aft = cruiser->blocks[b];
        EXPECT_NEAR(std::fabs(aft.yaw), kPi, 1e-5f) << "it starts facing astern";
        AimFor(*cruiser, aft, {0.2f, 0, 30}, 120); // nearly dead ahead
        EXPECT_GE(std::fabs(aft.yaw), kRearEdge - 1e-5f);
        EXPECT_NEAR(std::fabs(aft.yaw), kRearEdge, 1e-4f) << "held at the arc's edge";
        AimFor(*cruiser, aft, {-30, 0, -30}, 120); // astern to port
        EXPECT_NEAR(aft.yaw, -0.75f * kPi, 1e-3f);
    }
    // A forward turret cannot look straight astern.
    AimFor(*cruiser, cruiser->blocks[0], {0.1f, 0, -30}, 150);
    EXPECT_NEAR(cruiser->blocks[0].yaw, 2.0943952f, 1e-4f);
}

TEST_F(LvTurretShips, EachTurretFiresOnItsOwnBitAndItsOwnReload) {
    auto* capitol = Spawn<CapitolShip>("capitol");
    ASSERT_EQ(capitol->BlockCount(), 6);
    Tick(kStep);
    const int32_t now = int32_t(GetSceneClock().gameTime);
    capitol->fireRequest = 0b000101;
    capitol->Fire();
    EXPECT_EQ(WeaponsInWorld(), 2);
    for (int b = 0; b < 6; ++b) {
        SCOPED_TRACE(b);
        EXPECT_EQ(capitol->blocks[b].nextFireTime, b == 0 || b == 2 ? now + 2000 : 1);
    }
    capitol->fireRequest = 0b000111; // turrets 1 and 3 are reloading
    capitol->Fire();
    EXPECT_EQ(WeaponsInWorld(), 3);
    EXPECT_EQ(capitol->blocks[1].nextFireTime, now + 2000);
    EXPECT_EQ(capitol->lastFireTime, now);
}

TEST_F(LvTurretShips, ThePerimeterStationsGunsChangeBarrelsAfterEveryShot) {
    auto* station = Spawn<PerimeterStation>("station");
    auto barrel = [&](int b) { return std::string(station->blocks[b].aimNode->Name()); };
    ASSERT_NE(station->blocks[0].aimNode, nullptr);
    std::vector<std::string> first, second;
    for (int shot = 0; shot < 3; ++shot) {
        first.push_back(barrel(0));
        second.push_back(barrel(1));
        Tick(2.5f); // past both reloads
        station->fireRequest = 0b11;
        station->Fire();
    }
    EXPECT_EQ(first, (std::vector<std::string>{"dummyweapon1", "dummyweapon2", "dummyweapon1"}));
    EXPECT_EQ(second, (std::vector<std::string>{"dummyweapon3", "dummyweapon4", "dummyweapon3"}));
    EXPECT_EQ(WeaponsInWorld(), 6);
}

TEST_F(LvTurretShips, ATurretLooksForANewTargetAboutOneFrameInForty) {
    auto* cruiser = Spawn<Cruiser>("cruiser");
    cruiser->SetPlayer(PlayerAt(1));
    cruiser->seeAll = 1;
    PlayerAt(1)->enemy[2] = 1;
    Ship* own = SpawnShip("enemy", {0, 0, 20}, 2);
    Ship* other = SpawnShip("enemy", {3, 0, 20}, 2);
    cruiser->orderState = kOrderAttack;
    cruiser->target = own->handle;
    constexpr int kFrames = 4000;
    int picks = 0;
    for (int i = 0; i < kFrames; ++i) {
        cruiser->blocks[0].target = other->handle;
        Tick(kStep);
        cruiser->UpdateAttack();
        // A pick takes the unit's own target, which lies in the arc.
        if (cruiser->blocks[0].target == own->handle) ++picks;
    }
    EXPECT_NEAR(picks, kFrames / 40, 35);
}

TEST_F(LvTurretShips, AStationsBodyLeansForSixSecondsThenEasesUprightOverEight) {
    EXPECT_FLOAT_EQ(RiseTiltAngle(1000, 1000), 0.5f * kPi);
    EXPECT_FLOAT_EQ(RiseTiltAngle(1000, 7000), 0.5f * kPi);
    EXPECT_NEAR(RiseTiltAngle(1000, 11000), 0.25f * kPi, 1e-5f) << "halfway through the ease";
    EXPECT_GT(RiseTiltAngle(1000, 8000), RiseTiltAngle(1000, 9000));
    EXPECT_FLOAT_EQ(RiseTiltAngle(1000, 15000), 0.0f);
    EXPECT_FLOAT_EQ(RiseTiltAngle(1000, 30000), 0.0f);

    // A new station starts upright; one fading in keeps its lean.
    GetSceneClock().gameTime = 50000;
    auto* station = Spawn<PerimeterStation>("station");
    EXPECT_EQ(RiseTiltAngle(station->riseStart, 50000), 0.0f);
    station->fadeFlag = 1;
    station->holdWord = 1; // fading in, not away
    Tick(kStep);
    station->Update();
    EXPECT_EQ(station->riseStart, int32_t(GetSceneClock().gameTime));
}

} // namespace
} // namespace lumivane::test
