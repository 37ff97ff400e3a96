// Carriers and their craft in a small world: a carrier with every craft
// out holds its place instead of closing in; a fighter whose carrier died
// explodes when its fuel runs out, while one whose carrier lives turns
// home; order 33 posts a recall only to live craft; a restock takes the
// first slot not aboard whose craft is dead; docking raises the carried
// count only for a slot that really comes aboard.
#include <gtest/gtest.h>

#include "desktop/units/carrier/carrier.h"
#include "desktop/units/carrier/craft.h"
#include "tests/desktop/units/arms_fixture.h"

namespace lumivane::test {
namespace {

constexpr float kStep = 1.0f / 30.0f;

TransNode* Mount(const char* name, Vec3 at) {
    auto* node = new TransNode;
    node->SetName(name);
    node->local.MakeTranslation(at.x, at.y, at.z);
    return node;
}

class LvCarrier : public UnitTest {
protected:
    LvCarrier() {
        auto still = [](Entity& e) {
            SetFlag(e, "affected by gravity", false);
            SetFlag(e, "task: auto attack", false);
        };
        Carrier* carrier = AddPrototype<Carrier>("carrier", [&](Entity& e) {
            still(e);
            SetFixedName(e, "weapon", "fighter");
            SetFloat(e, "fire range", 5.0f); // the target stays out of range
        });
        carrier->AddChild(Cube("hull", 2.0f));
        carrier->AddChild(Mount("dummyrecovery2", {0, 4, -10}));
        carrier->AddChild(Mount("dummyrecovery1", {0, 2, -4}));
        carrier->RecomputeBound();
        CarrierFighter* fighter = AddPrototype<CarrierFighter>("fighter", [&](Entity& e) {
            still(e);
            SetFloat(e, "fuel time", 2.0f);
        });
        fighter->AddChild(Cube("hull", 0.3f));
        fighter->RecomputeBound();
        AddShip("enemy", still);
    }

    Carrier* SpawnCarrier(Vec3 at = {}) {
        auto* carrier = Spawn<Carrier>("carrier", at);
        carrier->SetPlayer(PlayerAt(1));
        carrier->seeAll = 1;
        return carrier;
    }

    // A fighter of the carrier, out of its bay and launched now.
    CarrierFighter* LaunchedFighter(Carrier& carrier, Vec3 at) {
        auto* fighter = Spawn<CarrierFighter>("fighter", at);
        fighter->SetPlayer(PlayerAt(1));
        fighter->carrier = carrier.handle;
        fighter->Launch();
        return fighter;
    }

    void Frames(int count) {
        for (int i = 0; i < count; ++i)
            Step(kStep);
    }
};

TEST_F(LvCarrier, WithEveryCraftOutItHoldsItsPlaceAndKeepsItsOrder) {
    Ship* enemy = SpawnShip("enemy", {0, 0, 80}, 2);
    PlayerAt(1)->enemy[2] = 1;
    auto closing = [&](int aboard) {
        Carrier* carrier = SpawnCarrier();
        for (int i = 0; i < kBaySlots; ++i)
            carrier->slots[i].aboard = i < aboard ? 1 : 0;
        carrier->carried = aboard;
        carrier->orderState = kOrderAttack;
        carrier->target = enemy->handle;
        const float before = (enemy->position - carrier->position).Length();
        Frames(90);
        EXPECT_EQ(carrier->orderState, kOrderAttack);
        EXPECT_EQ(carrier->target, enemy->handle);
        const float closed = before - (enemy->position - carrier->position).Length();
        world.QueueRemove(carrier, nullptr, false);
        Step(kStep);
        return closed;
    };
    EXPECT_GT(closing(3), 0.2f) << "with craft aboard it closes in";
    EXPECT_LT(closing(0), 0.01f) << "with none it keeps out of the fight";
}

TEST_F(LvCarrier, AFighterWhoseCarrierDiedExplodesWhenItsFuelRunsOut) {
    Step(kStep);
    Carrier* carrier = SpawnCarrier();
    CarrierFighter* orphan = LaunchedFighter(*carrier, {20, 0, 0});
    Frames(36); // past its first second: losing the carrier now is not fatal at once
    world.QueueRemove(carrier, nullptr, false);
    Step(kStep);
    Frames(15);
    EXPECT_TRUE(IsInWorld(world, orphan)) << "it flies on while it has fuel";
    Frames(20);
    EXPECT_FALSE(IsInWorld(world, orphan)) << "out of fuel with no carrier to reach";

    // With its carrier alive it turns home instead.
    Carrier* home = SpawnCarrier({0, 0, 40});
    CarrierFighter* fighter = LaunchedFighter(*home, {20, 0, 40});
    Frames(62);
    ASSERT_TRUE(IsInWorld(world, fighter));
    EXPECT_EQ(fighter->orderState, kOrderClassState11);
    EXPECT_EQ(fighter->target, home->handle);
    EXPECT_EQ(fighter->approachNode, "dummyrecovery2");
}

TEST_F(LvCarrier, ARecallReachesOnlyLiveCraftAndNothingIsPostedWithoutThem) {
    Carrier* carrier = SpawnCarrier();
    auto recall = Plain(33, carrier->handle);
    Deliver(*carrier, *recall);
    EXPECT_EQ(queue.Count(), 0) << "every craft is aboard and none lives";

    CarrierFighter* fighter = LaunchedFighter(*carrier, {10, 0, 0});
    carrier->slots[2].unit = fighter->handle;
    carrier->slots[2].aboard = 0;
    Deliver(*carrier, *recall);
    ASSERT_EQ(queue.Count(), 1);
    const Message& posted = queue.At(0);
    EXPECT_EQ(posted.Code(), order::kRecall);
    ASSERT_EQ(posted.units.Count(), 1);
    EXPECT_EQ(posted.units.Handles()[0], fighter->handle);

    // The fighter takes the recall as its way home.
    auto order = Plain(order::kRecall, fighter->handle);
    Deliver(*fighter, *order);
    EXPECT_EQ(fighter->orderState, kOrderClassState11);
    EXPECT_EQ(fighter->approachNode, "dummyrecovery2");
}

TEST_F(LvCarrier, ARestockTakesTheFirstSlotNotAboardWhoseCraftIsDead) {
    Carrier* carrier = SpawnCarrier();
    CarrierFighter* flying = LaunchedFighter(*carrier, {10, 0, 0});
    // Slot 0 aboard, slot 1 out with a live fighter, slots 2 and 3 lost.
    for (int i = 1; i < 4; ++i)
        carrier->slots[i].aboard = 0;
    carrier->slots[1].unit = flying->handle;
    const EntityHandle lost = carrier->slots[2].unit;
    carrier->carried = 5;
    carrier->ownedCraft = 6;

    ASSERT_TRUE(carrier->RestockBay());
    const BaySlot& restocked = carrier->slots[2];
    EXPECT_TRUE(restocked.aboard);
    EXPECT_FALSE(restocked.launched);
    EXPECT_NE(restocked.unit, lost) << "a fresh handle";
    EXPECT_TRUE(world.IsReserved(SlotOf(restocked.unit)));
    EXPECT_EQ(carrier->slots[1].unit, flying->handle) << "a live craft's slot is left alone";
    EXPECT_FALSE(carrier->slots[3].aboard);
    EXPECT_EQ(carrier->carried, 6);
    EXPECT_EQ(carrier->ownedCraft, 7);

    ASSERT_TRUE(carrier->RestockBay());
    EXPECT_TRUE(carrier->slots[3].aboard);
    EXPECT_FALSE(carrier->RestockBay()) << "eight owned: nothing to restock";
    EXPECT_EQ(carrier->ownedCraft, 8);
}

TEST_F(LvCarrier, DockingRaisesTheCarriedCountOnlyForASlotThatComesAboard) {
    Carrier* carrier = SpawnCarrier();
    EXPECT_EQ(carrier->carried, kBaySlots);
    carrier->DockUnit(carrier->slots[0].unit);
    EXPECT_EQ(carrier->carried, kBaySlots) << "already aboard";

    carrier->slots[4].aboard = 0;
    carrier->carried = kBaySlots - 1;
    carrier->DockUnit(12345);
    EXPECT_EQ(carrier->carried, kBaySlots - 1) << "no slot holds that handle";
    carrier->DockUnit(carrier->slots[4].unit);
    carrier->DockUnit(carrier->slots[4].unit);
    EXPECT_TRUE(carrier->slots[4].aboard);
    EXPECT_EQ(carrier->carried, kBaySlots);
}

TEST_F(LvCarrier, FireMarksEveryCraftAboardWithinTwoSeconds) {
    Carrier* carrier = SpawnCarrier();
    carrier->slots[5].aboard = 0;
    Tick(kStep);
    carrier->Fire();
    const int32_t now = int32_t(GetSceneClock().gameTime);
    for (int i = 0; i < kBaySlots; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(carrier->slots[i].launched, i == 5 ? 0 : 1);
        if (i == 5) continue;
        EXPECT_GE(carrier->slots[i].launchTime, now);
        EXPECT_LE(carrier->slots[i].launchTime, now + kLaunchSpreadMs);
    }
    EXPECT_EQ(carrier->lastFireTime, now);
}

} // namespace
} // namespace lumivane::test
