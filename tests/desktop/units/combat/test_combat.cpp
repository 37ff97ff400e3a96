// Fire control: hostility and visibility drop a target at once, the lead is
// taken only for a weapon with a speed and a flight under 10 s, auto attack
// keeps to its leash, a reload without spread fires on the dot, a yaw range
// whose minimum exceeds its maximum sweeps through pi, and the turret block
// record carries no pointer.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/object/math_tables.h"
#include "desktop/units/combat/turret_block.h"
#include "desktop/units/weapon/projectiles.h"
#include "platform/binary_io.h"
#include "tests/desktop/units/arms_fixture.h"

namespace lumivane::test {
namespace {

constexpr float kStep = 1.0f / 30.0f;

class LvCombat : public UnitTest {
protected:
    LvCombat() {
        AddPrototype<PlasmaBall>("bolt", [](Entity& e) {
            SetFloat(e, "speed", 0.5f);
            SetFloat(e, "lifespan", 20.0f);
            SetFlag(e, "affected by gravity", false);
        });
        AddShip("gun", [](Entity& e) {
            SetFixedName(e, "weapon", "bolt");
            SetFloat(e, "fire range", 30.0f);
            SetFloat(e, "fire angle", kPi);
            SetFlag(e, "affected by gravity", false);
            SetFlag(e, "task: auto attack", false);
        });
        AddShip("hunter", [](Entity& e) {
            SetFixedName(e, "weapon", "bolt");
            SetFlag(e, "affected by gravity", false);
        });
        AddShip("idle", [](Entity& e) {
            SetFlag(e, "affected by gravity", false);
            SetFlag(e, "task: auto attack", false);
        });
    }

    int WeaponsInWorld() {
        world.JoinPending();
        int count = 0;
        for (int i = 0; i < world.EntityCount(); ++i)
            if (IsA(world.EntityAt(i), ClassId::Weapon)) ++count;
        return count;
    }
};

TEST_F(LvCombat, ATargetThatStopsBeingHostileOrVisibleIsDroppedTheNextFrame) {
    Ship* gun = SpawnShip("gun", {}, 0);
    Ship* prey = SpawnShip("idle", {0, 0, 10}, 1);
    gun->seeAll = 1;
    gun->orderState = kOrderAttack;
    gun->target = prey->handle;
    Step(kStep);
    EXPECT_EQ(gun->orderState, kOrderAttack);
    EXPECT_EQ(gun->target, prey->handle);

    PlayerAt(1)->enemy[0] = 0; // the target's side makes peace
    Step(kStep);
    EXPECT_EQ(gun->target, kNoEntity);
    EXPECT_NE(gun->orderState, kOrderAttack);

    // A side that cannot see the target drops it as well.
    PlayerAt(1)->enemy[0] = 1;
    gun->seeAll = 0;
    prey->identification[0] = 0;
    gun->orderState = kOrderAttack;
    gun->target = prey->handle;
    gun->UpdateAttack();
    EXPECT_EQ(gun->target, kNoEntity);
}

TEST_F(LvCombat, TheLeadIsTakenOnlyForAFlightUnderTenSeconds) {
    Ship* gun = SpawnShip("gun", {}, 0);
    Ship* prey = SpawnShip("idle", {0, 0, 6}, 1);
    SetFloat(*gun, "fire angle", 0.05f); // fires only at a point dead ahead
    gun->seeAll = 1;
    // The target crosses the nose; a shot takes 2.1 s at speed 2, 21 s at 0.2.
    auto firesAtCentre = [&](float projectileSpeed) {
        prey->position = {0, 0, 6};
        prey->velocity = {1.0f, 0, 0};
        gun->projectileSpeed = projectileSpeed;
        gun->target = prey->handle;
        gun->orderState = kOrderAttack;
        gun->fireRequest = 0;
        Tick(kStep);
        gun->UpdateAttack();
        return gun->fireRequest == 1;
    };
    EXPECT_TRUE(firesAtCentre(0.0f)) << "a weapon without speed aims at the centre";
    EXPECT_FALSE(firesAtCentre(2.0f)) << "a fast weapon leads the target";
    EXPECT_TRUE(firesAtCentre(0.2f)) << "a flight of 10 s or more is not led";
}

TEST_F(LvCombat, AutoAttackWithoutPursuitReturnsBeyondItsLeash) {
    for (const auto& [savedState, leash] : {std::pair{kOrderMove, 50.0f}, {kOrderShadow, 25.0f}}) {
        Ship* gun = SpawnShip("hunter", {}, 0);
        Ship* prey = SpawnShip("idle", {0, 0, 5}, 1);
        gun->seeAll = 1;
        gun->autoPursue = 0;
        gun->savedOrder.state = savedState;
        gun->savedOrder.target = kNoEntity;
        gun->orderState = kOrderAutoAttack;
        gun->target = prey->handle;
        gun->returnPoint = {leash - 1.0f, 0, 0};
        Tick(kStep);
        gun->UpdateAutoTarget();
        EXPECT_EQ(gun->orderState, kOrderAutoAttack) << "within " << leash << " the chase goes on";
        gun->returnPoint = {leash + 1.0f, 0, 0};
        gun->UpdateAutoTarget();
        EXPECT_EQ(gun->orderState, savedState) << "beyond " << leash << " the unit goes back";
        // With pursuit on it chases on however far it strayed.
        gun->orderState = kOrderAutoAttack;
        gun->target = prey->handle;
        gun->autoPursue = 1;
        gun->UpdateAutoTarget();
        EXPECT_EQ(gun->orderState, kOrderAutoAttack);
    }
}

TEST_F(LvCombat, WithoutSpreadTheUnitFiresExactlyEveryReload) {
    Ship* gun = SpawnShip("gun", {}, 0);
    std::vector<int32_t> shots;
    for (int frame = 0; frame < 50; ++frame) {
        Step(0.1f);
        const int32_t before = gun->lastFireTime;
        gun->Fire();
        if (gun->lastFireTime != before) shots.push_back(gun->lastFireTime);
    }
    ASSERT_GE(shots.size(), 4u);
    for (size_t i = 1; i < shots.size(); ++i)
        EXPECT_EQ(shots[i] - shots[i - 1], 1000); // "reload time" 1 s
    EXPECT_EQ(WeaponsInWorld(), int(shots.size()));
}

TEST_F(LvCombat, AYawRangeFromTwoAndAHalfToMinusTwoAndAHalfSweepsThroughPi) {
    Ship* gun = SpawnShip("gun", {}, 0);
    TurretBlock block;
    block.yawMin = 2.5f;
    block.yawMax = -2.5f;
    block.pitchMin = -1.0f;
    block.pitchMax = 1.0f;
    block.yaw = 2.6f;
    // Behind and a little to the left: yaw -2.8.
    const Vec3 behindLeft(-std::sin(2.8f) * 10.0f, 0.0f, std::cos(2.8f) * 10.0f);
    float lowest = 10.0f;
    for (int frame = 0; frame < 60; ++frame) {
        Tick(kStep);
        gun->AimTurret(block, behindLeft, -1);
        lowest = std::min(lowest, std::fabs(block.yaw));
    }
    EXPECT_NEAR(block.yaw, -2.8f, 1e-3f);
    EXPECT_GE(lowest, 2.5f - 1e-4f) << "it went the short way, through pi";
    // Ahead lies outside the range: the turret stops at the range's end.
    for (int frame = 0; frame < 60; ++frame) {
        Tick(kStep);
        gun->AimTurret(block, {0, 0, 10}, -1);
    }
    EXPECT_NEAR(std::fabs(block.yaw), 2.5f, 1e-5f);
    EXPECT_TRUE(YawInRange(block, 3.1f, 0.0f));
    EXPECT_TRUE(YawInRange(block, -3.1f, 0.0f));
    EXPECT_FALSE(YawInRange(block, 0.0f, 0.0f));
    EXPECT_TRUE(YawInRange(block, 2.3f, 0.3f));
}

TEST_F(LvCombat, TheTurretBlockRecordIsSixtyBytesWithNoNodeWords) {
    Ship* gun = SpawnShip("gun", {}, 0);
    TurretBlock block;
    block.yawNode = block.pitchNode = block.aimNode = gun;
    block.yaw = 0.5f;
    block.target = 42;
    block.yawMin = -1.0f;
    block.pitchMax = 0.75f;
    platform::BufferWriter file;
    SaveTurretBlock(file, block);
    const std::vector<uint8_t> bytes = file.Take();
    ASSERT_EQ(bytes.size(), kTurretBlockBytes);
    for (size_t i = 0; i < 12; ++i)
        EXPECT_EQ(bytes[i], 0u);
    TurretBlock read;
    platform::MemoryReader in(bytes.data(), bytes.size());
    ASSERT_TRUE(LoadTurretBlock(in, read));
    EXPECT_EQ(read.yawNode, nullptr);
    EXPECT_EQ(read.target, 42);
    EXPECT_FLOAT_EQ(read.yaw, 0.5f);
    EXPECT_FLOAT_EQ(read.yawMin, -1.0f);
    EXPECT_FLOAT_EQ(read.pitchMax, 0.75f);
    platform::MemoryReader cut(bytes.data(), bytes.size() - 1);
    EXPECT_FALSE(LoadTurretBlock(cut, read));
}

} // namespace
} // namespace lumivane::test
