// Collections: members scattered without overlap, carried along, held by
// the spring (or not), remade as the group values change, shrunk to nothing
// when there is no room; and their record.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/entity/collection.h"
#include "desktop/scene/object/model_load_state.h"
#include "tests/desktop/scene/entity/entity_record_bytes.h"
#include "tests/desktop/scene/entity/scenery_fixture.h"

namespace lumivane::test {
namespace {

class LvCollection : public SceneryTest {
protected:
    // A ring of `count` rocks of radius 1 at distance 10 in the XZ plane.
    Collection* Belt(int count, float spring = 0.0f) {
        AddPrototype("rock", [](Entity& e) { SetFlag(e, "affected by gravity", false); });
        beltProto = AddPrototype<Collection>("belt", [&](Entity& e) {
            SetFlag(e, "affected by gravity", false);
            SetText(e, "Object 1 type", "rock");
            SetInt(e, "Object 1 count", count);
            SetFloat(e, "Spawn radius", 10.0f);
            SetFloat(e, "Height angle", 0.0f);
            SetFloat(e, "Spring force", spring);
        });
        // The group type is a fixed text: set it through the block.
        beltProto->props->SetFixedText(CollectionFields().group[0].type, "rock");
        auto* belt = Spawn<Collection>("belt");
        Step(0.05f); // the reset makes the members
        world.JoinPending();
        return belt;
    }
    std::vector<Entity*> Members(const Collection& belt) {
        std::vector<Entity*> found;
        for (const CollectionMember& m : belt.members)
            if (Entity* e = world.GetEntity(m.handle)) found.push_back(e);
        return found;
    }
    Collection* beltProto = nullptr;
};

TEST_F(LvCollection, MembersScatterWithoutOverlapAndSpringZeroLeavesThemFree) {
    Collection* belt = Belt(6);
    EXPECT_EQ(belt->canCollide, 0) << "a collection itself is not solid";
    const auto members = Members(*belt);
    ASSERT_EQ(members.size(), 6u);
    for (size_t i = 0; i < members.size(); ++i) {
        EXPECT_NEAR(members[i]->position.Length(), 10.0f, 1e-3f);
        EXPECT_NEAR(members[i]->position.y, 0.0f, 1e-4f);
        EXPECT_EQ(belt->members[i].group, 0);
        for (size_t j = i + 1; j < members.size(); ++j)
            EXPECT_GT((members[i]->position - members[j]->position).Length(), 2.0f);
    }
    // Spring force 0: a member pushed away keeps its speed.
    members[0]->velocity = {0, 1, 0};
    Run(0.1f, 5);
    EXPECT_FLOAT_EQ(members[0]->velocity.y, 1.0f);
    EXPECT_NEAR(members[0]->position.y, 0.5f, 1e-4f);
}

TEST_F(LvCollection, TheSpringPullsMembersHomeAndTheyTravelAlong) {
    Collection* belt = Belt(2, 2.0f);
    auto members = Members(*belt);
    ASSERT_EQ(members.size(), 2u);
    const Vec3 home = belt->members[0].home;
    members[0]->position = home + Vec3(0, 1, 0);
    members[0]->velocity = Vec3();
    Step(0.1f);
    EXPECT_NEAR(members[0]->velocity.y, -2.0f * 0.1f, 1e-4f) << "-(position - home) x k per second";

    // The collection moves: its members and their homes go with it.
    members[1]->velocity = Vec3();
    const Vec3 before = members[1]->position;
    const Vec3 homeBefore = belt->members[1].home;
    belt->velocity = {1, 0, 0};
    Step(0.1f);
    EXPECT_NEAR(members[1]->position.x - before.x, 0.1f, 1e-4f);
    EXPECT_NEAR(belt->members[1].home.x - homeBefore.x, 0.1f, 1e-4f);
    EXPECT_NEAR(members[1]->velocity.x, 0.0f, 1e-6f) << "carried, not pushed";
}

TEST_F(LvCollection, ChangedGroupValuesRemakeTheMembers) {
    Collection* belt = Belt(6);
    const EntityHandle last = belt->members.back().handle;
    const EntityHandle first = belt->members.front().handle;
    SetInt(*beltProto, "Object 1 count", 3);
    beltProto->PropChanged(int32_t(CollectionFields().group[0].count));
    ASSERT_EQ(belt->members.size(), 3u);
    EXPECT_EQ(belt->members.front().handle, first) << "the surplus go, the last first";
    EXPECT_TRUE(world.IsQueuedForRemoval(world.GetEntity(last)));
    SetInt(*beltProto, "Object 1 count", 5);
    beltProto->PropChanged(int32_t(CollectionFields().group[0].count));
    EXPECT_EQ(belt->members.size(), 5u);
    // A new type remakes the group; Reset remakes everything.
    beltProto->PropChanged(int32_t(CollectionFields().group[0].type));
    EXPECT_TRUE(world.IsQueuedForRemoval(world.GetEntity(first)));
    EXPECT_EQ(belt->members.size(), 5u);
    beltProto->PropChanged(int32_t(CollectionFields().reset));
    EXPECT_EQ(belt->members.size(), 5u);
    // A member lost is replaced by a fresh one in its slot.
    const EntityHandle lost = belt->members[2].handle;
    belt->RespawnMember(lost);
    EXPECT_NE(belt->members[2].handle, lost);
    EXPECT_NE(world.GetEntity(belt->members[2].handle), nullptr);
    // A count beyond the editing range is held to it.
    SetInt(*beltProto, "Object 1 count", 1000000);
    beltProto->PropChanged(int32_t(CollectionFields().group[0].count));
    EXPECT_EQ(belt->members.size(), size_t(kMaxGroupCount));
}

TEST_F(LvCollection, WithoutRoomAMemberShrinksToNothingAndStaysANumber) {
    AddPrototype("wall", [](Entity& e) {
        SetFloat(e, "scale", 30.0f);
        SetFlag(e, "affected by gravity", false);
    });
    Spawn("wall"); // covers the whole ring
    Collection* belt = Belt(1);
    auto members = Members(*belt);
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0]->sizeFactor, 0.0f);
    EXPECT_EQ(members[0]->radius, 0.0f);
    // A push at a point of it turns nothing and makes no NaN.
    members[0]->ApplyTorque(members[0]->position + Vec3(1, 0, 0), {0, 5, 0}, true);
    EXPECT_TRUE(std::isfinite(members[0]->spin.w));
    Step(0.1f);
    EXPECT_TRUE(std::isfinite(members[0]->position.x));
}

TEST_F(LvCollection, TheRecordResavesAndDamagedCountsAreRefused) {
    AddPrototype<Collection>("belt");
    auto* belt = Spawn<Collection>("belt");
    belt->resetRequest = 0;
    belt->members.resize(2);
    belt->members[0] = {42, 3, {0.5f, 0.25f}, {1, 2, 3}};
    belt->members[1] = {43, 9, {}, {4, 5, 6}};
    GetModelLoadState().sceneStateLoading = true;
    const std::vector<uint8_t> first = Saved(belt);
    auto loaded = Own(Loaded(first));
    ASSERT_NE(loaded, nullptr);
    auto* copy = static_cast<Collection*>(loaded.get());
    ASSERT_EQ(copy->members.size(), 2u);
    EXPECT_EQ(copy->members[0].draws[1], 0.25f);
    EXPECT_EQ(copy->members[1].home, Vec3(4, 5, 6));
    EXPECT_EQ(FirstDifference(Saved(copy), first), first.size());

    // Group indices outside 0..9 are held to them.
    std::vector<uint8_t> groups = first;
    const size_t membersAt = first.size() - 4 - 2 * 84;
    groups[membersAt + 4] = 0xF6; // -10
    groups[membersAt + 5] = groups[membersAt + 6] = groups[membersAt + 7] = 0xFF;
    groups[membersAt + 84 + 4] = 77;
    auto clamped = Own(Loaded(groups));
    ASSERT_NE(clamped, nullptr);
    EXPECT_EQ(static_cast<Collection*>(clamped.get())->members[0].group, 0);
    EXPECT_EQ(static_cast<Collection*>(clamped.get())->members[1].group, 9);
    // A member count past the bytes there is refused.
    std::vector<uint8_t> lying = first;
    lying[membersAt - 4] = 3;
    RecordingSink sink;
    EXPECT_EQ(Loaded(lying), nullptr);
    GetModelLoadState().sceneStateLoading = false;
}

} // namespace
} // namespace lumivane::test
