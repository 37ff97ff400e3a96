// UtilityPod and PodBay: a pod is never left in state 13; it mines an
// asteroid only while gathering and otherwise just bounces off it; its hold
// fills to "gather amount total" (a hold of size 0 carries nothing and
// divides by nothing); a bay launches its four pods, which fill up, unload
// at the bay and go back out; a bay whose squads are all full still
// launches; pod and bay records read back to the same bytes.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/entity/celestial_bodies.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/world/squad.h"
#include "desktop/units/pod/pod_bay.h"
#include "desktop/units/pod/utility_pod.h"
#include "desktop/units/weapon/weapon.h"
#include "platform/binary_io.h"
#include "tests/desktop/units/arms_fixture.h"

namespace lumivane::test {
namespace {

constexpr float kStep = 1.0f / 30.0f;

void Calm(Entity& e) {
    WorldTest::SetFlag(e, "affected by gravity", false);
    WorldTest::SetFlag(e, "task: auto attack", false);
    WorldTest::SetFlag(e, "task: auto repair", false);
}

TransNode* Marker(const std::string& name, Vec3 at) {
    auto* node = new TransNode;
    node->SetName(name);
    node->local.MakeTranslation(at.x, at.y, at.z);
    return node;
}

class LvPods : public UnitTest {
protected:
    LvPods() {
        UtilityPod* pod = AddPrototype<UtilityPod>("pod", [](Entity& e) {
            Calm(e);
            SetFloat(e, "health max", 10.0f);
            SetFloat(e, "gather amount total", 100.0f);
            SetFloat(e, "gather amount per", 30.0f);
            SetFloat(e, "thrust", 1.0f);
            SetFloat(e, "top speed", 2.0f);
        });
        // Small, as pods are: docking creeps over the last half radius.
        pod->AddChild(Cube("hull", 0.15f));
        pod->RecomputeBound();
        PodBay* bay = AddPrototype<PodBay>("bay", [](Entity& e) {
            Calm(e);
            SetFlag(e, "Survive unlinked", true);
            SetFloat(e, "Rotational speed", 0.0f);
            SetFixedName(e, "weapon", "pod");
        });
        bay->AddChild(Cube("hull", 2.0f));
        for (int i = 1; i <= kPodBayMarkers; ++i) {
            const float side = i % 2 ? 1.0f : -1.0f;
            bay->AddChild(Marker("baymarker" + std::to_string(i) + "-1", {side * 3, 0, 0}));
            bay->AddChild(Marker("baymarker" + std::to_string(i) + "-2", {side * 8, 0, 0}));
        }
        bay->RecomputeBound();
        Asteroid* rock = AddPrototype<Asteroid>("rock", [](Entity& e) {
            SetFlag(e, "affected by gravity", false);
            SetFloat(e, "health max", 1000.0f);
        });
        rock->AddChild(Cube("stone", 1.5f));
        rock->RecomputeBound();
        AddPrototype<Weapon>("miningsparks", [](Entity& e) {
            Calm(e);
            SetFlag(e, "can collide", false);
            SetFloat(e, "lifespan", 0.5f);
        });
    }

    int Count(std::string_view name) {
        world.JoinPending();
        int count = 0;
        for (int i = 0; i < world.EntityCount(); ++i)
            if (world.EntityAt(i)->Name() == name) ++count;
        return count;
    }
};

TEST_F(LvPods, APodIsNeverLeftWaitingForRepair) {
    auto* pod = Spawn<UtilityPod>("pod");
    pod->SetPlayer(PlayerAt(0));
    pod->orderState = kOrderRepair;
    Step(kStep);
    EXPECT_EQ(pod->orderState, kOrderClassState10);
    EXPECT_EQ(pod->approachNode.rfind("baymarker", 0), 0u);
    EXPECT_EQ(pod->approachNode.back(), '2');

    // A repair order sends it home and goes no further.
    pod->orderState = kOrderGather;
    auto order = Plain(17, pod->handle);
    Deliver(*pod, *order);
    EXPECT_EQ(pod->orderState, kOrderClassState10);
    Step(kStep);
    EXPECT_NE(pod->orderState, kOrderRepair);
    pod->RequestSelfOrder();
    EXPECT_EQ(pod->orderState, kOrderClassState10);
}

TEST_F(LvPods, OnlyAGatheringPodMinesOtherwiseItBounces) {
    auto* pod = Spawn<UtilityPod>("pod");
    auto* rock = Spawn<Asteroid>("rock", {2, 0, 0});
    pod->SetPlayer(PlayerAt(0));
    Tick(kStep);
    const float rockHealth = rock->health;
    const Vec3 normal(-1, 0, 0); // from the rock towards the pod

    pod->orderState = kOrderFollow;
    pod->velocity = {0.5f, 0, 0};
    pod->OnCollision(rock, normal);
    EXPECT_EQ(pod->cargo, 0.0f);
    EXPECT_EQ(rock->health, rockHealth);
    EXPECT_EQ(Count("miningsparks"), 0);
    EXPECT_LT((pod->velocity + pod->pendingImpulse).x, 0.0f) << "it bounces back";

    pod->pendingImpulse = {};
    pod->orderState = kOrderGather;
    pod->OnCollision(rock, normal);
    EXPECT_FLOAT_EQ(pod->cargo, 30.0f);
    EXPECT_EQ(pod->carried, 2); // 30 of 100 is 2.4 eighths
    EXPECT_FLOAT_EQ(rock->health, rockHealth - 3.0f);
    EXPECT_EQ(Count("miningsparks"), 1);

    // Moving apart: mined, but no bounce.
    pod->pendingImpulse = {};
    pod->velocity = {-0.5f, 0, 0};
    pod->OnCollision(rock, normal);
    EXPECT_EQ(pod->pendingImpulse, Vec3());
    for (int i = 0; i < 5; ++i)
        pod->OnCollision(rock, normal);
    EXPECT_FLOAT_EQ(pod->cargo, 100.0f) << "never more than the hold";
    EXPECT_EQ(pod->carried, kFullCargoCount);
}

TEST_F(LvPods, AHoldOfNoSizeCarriesNothingAndGoesHome) {
    auto* pod = Spawn<UtilityPod>("pod");
    auto* rock = Spawn<Asteroid>("rock", {2, 0, 0});
    pod->SetPlayer(PlayerAt(0));
    SetFloat(*pod, "gather amount total", 0.0f);
    Tick(kStep);
    pod->orderState = kOrderGather;
    pod->OnCollision(rock, {-1, 0, 0});
    EXPECT_EQ(pod->cargo, 0.0f);
    EXPECT_EQ(pod->carried, 0);
    pod->UpdateState9();
    EXPECT_EQ(pod->orderState, kOrderClassState10);
}

TEST_F(LvPods, BayPodsFillUnloadAtTheBayAndGoBack) {
    auto* bay = Spawn<PodBay>("bay", {0, 0, 0});
    bay->SetPlayer(PlayerAt(0));
    Spawn<Asteroid>("rock", {0, 0, 20});
    Spawn<Asteroid>("rock", {15, 0, 15});
    Player& owner = *PlayerAt(0);
    Step(kStep);
    ASSERT_EQ(Count("pod"), kPodBayMarkers);
    auto* first = AsUtilityPod(world.GetEntity(bay->pods[0]));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->home, bay->handle);

    int lastCarried = 0;
    bool gathered = false, unloaded = false, backOut = false;
    float paid = 0.0f;
    for (int frame = 0; frame < 4000 && !backOut; ++frame) {
        const float before = owner.resources;
        Step(kStep);
        ASSERT_GE(first->carried, 0);
        ASSERT_LE(first->carried, kFullCargoCount);
        ASSERT_LE(first->cargo, 100.0f);
        if (first->orderState == kOrderGather) {
            gathered = true;
            EXPECT_GE(first->carried, lastCarried) << "the hold only fills while mining";
        }
        if (owner.resources > before) {
            paid += owner.resources - before;
            unloaded = true;
            EXPECT_EQ(first->carried, 0);
        }
        lastCarried = first->carried;
        backOut = unloaded && first->orderState == kOrderGather;
    }
    EXPECT_TRUE(gathered);
    EXPECT_TRUE(unloaded) << "cargo " << first->cargo << " state " << first->orderState;
    EXPECT_TRUE(backOut);
    EXPECT_GE(paid, 100.0f) << "at least one full hold was paid for";
    EXPECT_EQ(std::fmod(paid, 100.0f), 0.0f) << "whole holds only";
}

TEST_F(LvPods, ABayLaunchesIntoTheLastSquadTriedWhenAllAreFull) {
    auto* bay = Spawn<PodBay>("bay", {});
    Player& owner = *PlayerAt(0);
    bay->SetPlayer(&owner);
    // Squads 8, 7 .. 0 count as full; 9, the last tried, has room.
    for (int s = 0; s < kSquadCount; ++s)
        owner.squads[s].count = s == 9 ? Squad::kSlots - 1 : Squad::kSlots;
    bay->pods[1] = bay->pods[2] = bay->pods[3] = bay->handle; // held: one launch only
    Step(kStep);
    auto* pod = AsUtilityPod(world.GetEntity(bay->pods[0]));
    ASSERT_NE(pod, nullptr);
    ASSERT_NE(pod->squad, nullptr);
    EXPECT_EQ(pod->squad->index, 9);

    // Every squad full: the pod is still launched.
    for (int s = 0; s < kSquadCount; ++s)
        owner.squads[s].count = Squad::kSlots;
    bay->pods[0] = kNoEntity;
    const int before = Count("pod");
    Step(kStep);
    EXPECT_EQ(Count("pod"), before + 1);
    EXPECT_NE(world.GetEntity(bay->pods[0]), nullptr);
}

TEST_F(LvPods, PodAndBayRecordsReadBack) {
    auto* bay = Spawn<PodBay>("bay", {1, 2, 3});
    bay->pods[0] = 17;
    bay->pods[3] = 99;
    bay->reserved = 5;
    auto* pod = Spawn<UtilityPod>("pod", {4, 5, 6});
    pod->cargo = 42.5f;
    pod->idleTime = 777;
    pod->clawOpen = 1;
    pod->toolArmOut = 1;
    pod->home = bay->handle;
    for (Ship* unit : std::initializer_list<Ship*>{bay, pod}) {
        const std::vector<uint8_t> bytes = ExpectRecordReadsBack(unit, [&](Unknown& read) {
            if (auto* back = AsUtilityPod(static_cast<Entity*>(&read))) {
                EXPECT_EQ(back->home, bay->handle) << "the home bay is the sixth word";
                EXPECT_FLOAT_EQ(back->cargo, 42.5f);
            }
        });

        // Cut short, the record is refused.
        std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 2);
        platform::MemoryReader shortIn(cut.data(), cut.size());
        Unknown* broken = ReadObject(shortIn, nullptr, "cut.vrn", 0);
        EXPECT_EQ(broken, nullptr) << unit->Name();
        if (broken) broken->Release();
    }
}

} // namespace
} // namespace lumivane::test
