// The world registry: handles and their bands, joining and removal, and its
// section of the scene-state file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "desktop/scene/object/object_table.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/scene_test_support.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane {
namespace {

using LvWorld = test::WorldTest;

class FakeCamera : public CameraLink {
public:
    FakeCamera() { SetCameraLink(this); }
    ~FakeCamera() override { SetCameraLink(nullptr); }
    CameraPose Pose() const override { return pose; }
    void ReplaceTarget(Entity* entity, Entity* replacement) override {
        replaced.emplace_back(entity, replacement);
    }
    CameraPose pose;
    std::vector<std::pair<Entity*, Entity*>> replaced;
};

TEST_F(LvWorld, HandlesGoStaleWhenTheirSlotIsFreedAndKeepTheirBands) {
    Entity a, b, c;
    const EntityHandle first = world.AllocHandle(&a);
    EXPECT_EQ(first, 1); // slot 0 is never issued
    EXPECT_EQ(world.GetEntity(first), &a);
    world.FreeHandle(first);
    EXPECT_EQ(world.GetEntity(first), nullptr);
    const EntityHandle again = world.AllocHandle(&b);
    EXPECT_EQ(SlotOf(again), 1);
    EXPECT_EQ(again, first + (1 << kGenerationShift)); // the next generation
    EXPECT_EQ(world.GetEntity(first), nullptr);        // the old one is stale
    EXPECT_EQ(world.GetEntity(again), &b);
    EXPECT_EQ(world.GetEntity(-5), nullptr);

    EXPECT_EQ(world.AllocHighHandle(&c), kFirstHighSlot); // generation 0
    for (int slot = 2; slot < kFirstHighSlot; ++slot)
        ASSERT_GE(world.AllocHandle(&a), 0);
    EXPECT_EQ(world.GetEntity(kFirstHighSlot - 1), &a); // 4999 is the last ordinary slot
    EXPECT_EQ(world.AllocHandle(&a), kNoEntity);
    EXPECT_EQ(world.ReserveHandle(), kNoEntity);
    EXPECT_EQ(SlotOf(world.AllocHighHandle(&c)), kFirstHighSlot + 1);
    world.ClearSlots();
    EXPECT_EQ(world.GetEntity(again), nullptr);
    EXPECT_EQ(world.StoredHandle(1), again); // handles stay as they are

    // The generation wraps inside its 17 bits.
    EXPECT_EQ(NextGeneration(0x7fffc000 | 7), 7);
}

TEST_F(LvWorld, AReservationOutlivesTheFreeingOfItsSlot) {
    const EntityHandle reserved = world.ReserveHandle();
    EXPECT_EQ(reserved, 1);
    AddPrototype("drone");
    Entity* drone = Spawn("drone");
    EXPECT_EQ(drone->handle, 2); // the reserved slot is skipped
    ASSERT_EQ(drone->SetHandle(reserved), 1);
    EXPECT_EQ(world.GetEntity(reserved), drone);
    EXPECT_EQ(world.GetEntity(2), nullptr);

    world.QueueRemove(drone, nullptr, false);
    world.FlushRemovals();
    EXPECT_EQ(world.GetEntity(reserved), nullptr);
    EXPECT_TRUE(world.IsReserved(1));
    Entity* next = Spawn("drone");
    EXPECT_EQ(SlotOf(next->handle), 2); // slot 1 is still held back

    // A slot held by another entity is refused.
    Entity* other = Spawn("drone");
    EXPECT_EQ(other->SetHandle(next->handle), 0);
}

TEST_F(LvWorld, RemovalQueuesOnceAndCascadesOverThisFramesJoins) {
    FakeCamera camera;
    AddPrototype("carrier");
    AddPrototype("fighter");
    Entity* carrier = Spawn("carrier");
    Entity* fighter = Spawn("fighter");
    fighter->ownerHandle = carrier->handle;
    Entity* pilot = Spawn("fighter");
    pilot->ownerHandle = fighter->handle;
    Entity* fresh = library.CreateInstance("fighter", true); // still joining
    fresh->ownerHandle = carrier->handle;
    Entity* bystander = Spawn("carrier");

    world.QueueRemove(carrier, bystander, true);
    world.QueueRemove(carrier, nullptr, true);
    for (Entity* e : {carrier, fighter, pilot, fresh})
        EXPECT_TRUE(world.IsQueuedForRemoval(e));
    EXPECT_FALSE(world.IsQueuedForRemoval(bystander));

    // Owners that name each other end the cascade.
    Entity* left = Spawn("fighter");
    Entity* right = Spawn("fighter");
    left->ownerHandle = right->handle;
    right->ownerHandle = left->handle;
    world.QueueRemove(left, nullptr, true);
    EXPECT_TRUE(world.IsQueuedForRemoval(right));

    const EntityHandle gone = carrier->handle;
    world.FlushRemovals();
    EXPECT_EQ(world.GetEntity(gone), nullptr);
    EXPECT_EQ(world.EntityCount(), 1);
    EXPECT_TRUE(world.JoinList().empty());
    // The camera's views of the carrier follow the culprit; the others are dropped.
    ASSERT_EQ(camera.replaced.size(), 6u);
    for (const auto& [entity, replacement] : camera.replaced)
        EXPECT_EQ(replacement, entity == carrier ? bystander : nullptr);
}

TEST_F(LvWorld, AFullJoinListRefusesNewEntities) {
    AddPrototype("mote");
    for (int i = 0; i < 5100; ++i)
        ASSERT_TRUE(world.AddEntity(new Entity));
    EXPECT_EQ(library.CreateInstance("mote", true), nullptr);
    EXPECT_EQ(world.GetEntity(1), nullptr); // its slot was given back
    EXPECT_NE(world.StoredHandle(1), 1);
    world.JoinPending();
    EXPECT_EQ(world.EntityCount(), 5100);
}

TEST_F(LvWorld, TheSectionSavesLoadsAndSavesToTheSameBytes) {
    AddPrototype("buoy", [](Entity& e) { SetFloat(e, "scale", 2.0f); });
    AddPrototype<Sun>("Sun", [](Entity& e) { SetFlag(e, "massive", true); });
    Entity* sun = Spawn("Sun");
    Entity* a = Spawn("buoy", {1, 2, 3});
    Entity* b = Spawn("buoy", {-4, 0, 0});
    b->ownerHandle = a->handle;
    b->health = 0.5f;
    world.ReserveHandle();
    library.CreateInstance("buoy", true);   // joining when saved
    world.FreeHandle(world.AllocHandle(a)); // a slot one generation on
    GetSceneClock().gameTime = 1234;

    platform::BufferWriter first;
    ObjectTable saveTable;
    ASSERT_EQ(world.Save(first, saveTable), 1);

    GetSceneClock().gameTime = 0;
    platform::MemoryReader reader(first.Data().data(), first.Data().size());
    ObjectTable loadTable;
    ASSERT_TRUE(world.Load(reader, loadTable, 120));
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(GetSceneClock().gameTime, 1234u);
    EXPECT_EQ(world.EntityCount(), 3);
    ASSERT_EQ(world.JoinList().size(), 1u);
    EXPECT_EQ(world.Sun()->Name(), "Sun");
    EXPECT_EQ(world.GravitySources().size(), 1u);
    Entity* loadedB = world.EntityAt(2);
    EXPECT_EQ(loadedB->health, 0.5f);
    EXPECT_EQ(world.GetEntity(loadedB->ownerHandle), world.EntityAt(1));
    EXPECT_TRUE(world.IsReserved(4)); // after the Sun, a and b

    platform::BufferWriter second;
    ObjectTable again;
    world.Save(second, again);
    EXPECT_EQ(second.Data(), first.Data());

    // Slot words are 0 or 2, never a pointer's low bits: behind the slot
    // count, slot 0 is empty and slot 1 (the Sun) is a back-reference.
    const std::vector<uint8_t>& bytes = first.Data();
    const uint8_t expected[] = {0xEC, 0x13, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin(expected), std::end(expected)),
              bytes.end());
    (void)sun;
}

TEST_F(LvWorld, DamagedSectionsAreRefusedAndLeaveAnEmptyWorld) {
    test::RecordingSink sink;
    AddPrototype("buoy");
    for (int i = 0; i < 3; ++i)
        Spawn("buoy", {float(i), 0, 0});
    world.QueueRemove(world.EntityAt(0), nullptr, false);
    platform::BufferWriter whole;
    ObjectTable table;
    world.Save(whole, table);
    const std::vector<uint8_t>& bytes = whole.Data();

    // Queued removals are carried out as the section loads.
    {
        platform::MemoryReader reader(bytes.data(), bytes.size());
        ObjectTable t;
        ASSERT_TRUE(world.Load(reader, t, 120));
        EXPECT_EQ(world.EntityCount(), 2);
    }
    for (size_t cut = 0; cut < bytes.size(); cut += cut < 400 ? 1 : 211) {
        platform::MemoryReader reader(bytes.data(), cut);
        ObjectTable t;
        EXPECT_FALSE(world.Load(reader, t, 120)) << cut;
        EXPECT_EQ(world.EntityCount(), 0) << cut;
        EXPECT_TRUE(world.JoinList().empty()) << cut;
    }
    // More slots than the world has, and counts past the end of the file.
    for (uint32_t badSlots : {5101u, 0xFFFFFFFFu}) {
        std::vector<uint8_t> bad = bytes;
        // The slot count follows the root node: find the first 5100 word.
        for (size_t at = 0; at + 4 <= bad.size(); ++at)
            if (bad[at] == 0xEC && bad[at + 1] == 0x13 && bad[at + 2] == 0 && bad[at + 3] == 0) {
                std::memcpy(&bad[at], &badSlots, 4);
                break;
            }
        platform::MemoryReader reader(bad.data(), bad.size());
        ObjectTable t;
        EXPECT_FALSE(world.Load(reader, t, 120));
    }
    std::vector<uint8_t> tail = bytes;
    const uint32_t huge = 0x10000000;
    std::memcpy(&tail[tail.size() - 8], &huge, 4); // the join-list count
    platform::MemoryReader reader(tail.data(), tail.size());
    ObjectTable t;
    EXPECT_FALSE(world.Load(reader, t, 120));
    EXPECT_EQ(world.EntityCount(), 0);
}

} // namespace
} // namespace lumivane
