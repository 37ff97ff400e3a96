// The Entity record: saved, loaded and saved again to the same bytes; old
// layouts built by hand; damaged records refused cleanly.
#include <gtest/gtest.h>

#include <cstring>

#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/object_table.h"
#include "desktop/scene/object/sequencer.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/entity/entity_record_bytes.h"
#include "tests/desktop/scene/scene_test_support.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane {
namespace {

using test::FirstDifference;
using test::Loaded;
using test::OldRecord;
using test::Saved;

using LvEntity = test::WorldTest;

// A model with everything the record carries.
Entity* RichEntity() {
    auto* entity = new Entity;
    entity->SetName("cruiser");
    GeoNode* hull = test::WorldTest::Cube("hull", 1.0f);
    entity->AddChild(hull);
    auto* turret = new FrameAnim;
    turret->SetName("turret");
    auto* frames = new FrameChannel;
    Matrix a, b;
    b.MakeTranslation(0, 1, 0);
    frames->AddKey(a, 5);
    frames->AddKey(b, 5);
    turret->AddChannel(frames);
    entity->AddChild(turret);
    hull->AddRef();
    entity->lodNodes.push_back(hull);
    entity->lodThresholds = {0.5f, 0.25f};
    entity->legacyCount = 2;
    entity->legacyValue = 7;
    auto* sequencer = new Sequencer;
    sequencer->AddChannel(frames);
    sequencer->AddSequence({"idle", 0, 0.0f, 0.3f, {1}});
    sequencer->AddSequence({"spawn", 1, 0.3f, 1.0f, {0}});
    entity->SetSequencer(sequencer);
    entity->sequenceStates[1] = {0.5f, 1234, 1, 1};
    entity->local.MakeTranslation(1, 2, 3);
    entity->handle = 77;
    entity->scale = 1.5f;
    entity->sizeFactor = 3.0f;
    entity->position = {1, 2, 3};
    entity->velocity = {0.25f, 0, -1};
    entity->orientation = {0, 0.6f, 0, 0.8f};
    entity->spin = {0.1f, 0, 0, 0.99f};
    entity->pendingImpulse = {0, 0.5f, 0};
    entity->gravityParent = 12;
    entity->canCollide = 0;
    entity->massScale = 2.0f;
    entity->mass = 6.0f;
    entity->linkClock = 4321;
    entity->ownerHandle = 99;
    entity->targetLinkName = "dock";
    entity->targetLinkIndex = 1;
    entity->ownLinkName = "turret";
    entity->linksPending = 1;
    entity->boundRadius = 1.75f;
    entity->radius = 1.75f; // a model file keeps no other radius
    entity->noFlareOcclusion = 1;
    entity->health = 0.5f;
    entity->healthScale = 2.0f;
    entity->noDamage = 1;
    entity->lodLevel = 1;
    entity->nextLodLevel = -1;
    entity->soundSlots[3] = {-1, 0.5f, 2000, 0};
    entity->ownsPropertyBlock = 1;
    for (int p = 0; p < kIdentifiedPlayers; ++p)
        entity->identification[p] = p % 2 ? 2 : 0;
    entity->seeAll = 1;
    entity->proxy = 1;
    entity->firstFrameDone = 1;
    entity->spawnedParts = {{5, 29}, {6, 30}};
    return entity;
}

TEST_F(LvEntity, APrototypeSavesLoadsAndSavesToTheSameBytes) {
    Player side(2);
    GetPlayers().players[2] = &side;
    auto entity = test::Own(RichEntity());
    entity->owner = &side;
    const std::vector<uint8_t> first = Saved(entity.get());

    auto loaded = test::Own(Loaded(first));
    ASSERT_NE(loaded, nullptr);
    ASSERT_TRUE(IsA(loaded.get(), ClassId::Entity));
    auto* copy = static_cast<Entity*>(loaded.get());
    const std::vector<uint8_t> second = Saved(copy);
    EXPECT_EQ(second.size(), first.size());
    EXPECT_EQ(FirstDifference(second, first), first.size());
    EXPECT_EQ(copy->owner, &side);
    EXPECT_EQ(copy->mass, 6.0f);
    EXPECT_EQ(copy->targetLinkName, "dock");
    EXPECT_EQ(copy->radius, copy->boundRadius); // a model takes its bound
    ASSERT_EQ(copy->lodNodes.size(), 1u);
    EXPECT_EQ(copy->lodNodes[0], copy->ChildAt(0)); // one object, written once
    EXPECT_EQ(copy->sequenceStates[1].stamp, 1234u);
    EXPECT_EQ(copy->soundSlots[3].soundId, -1);
    EXPECT_EQ(copy->soundSlots[3].startTime, 2000);
    ASSERT_EQ(copy->spawnedParts.size(), 2u);
    EXPECT_EQ(copy->spawnedParts[1].kind, 30);
    GetPlayers() = {};
}

TEST_F(LvEntity, ACloneRecordNamesItsPrototypeAndTakesItsParts) {
    Entity* proto = AddPrototype("cruiser", [](Entity& e) { SetFloat(e, "scale", 2.0f); });
    proto->AddChild(Cube("hull", 1.0f));
    auto* sequencer = new Sequencer;
    sequencer->AddSequence({"idle", 0, 0.0f, 1.0f, {}});
    proto->SetSequencer(sequencer);
    Entity* clone = Spawn("cruiser", {4, 0, 0});
    clone->health = 0.25f;
    const std::vector<uint8_t> first = Saved(clone);

    auto loaded = test::Own(Loaded(first));
    ASSERT_NE(loaded, nullptr);
    auto* copy = static_cast<Entity*>(loaded.get());
    EXPECT_EQ(copy->Prototype(), proto);
    EXPECT_EQ(copy->props, proto->props);
    EXPECT_EQ(copy->sequencer, sequencer);
    ASSERT_EQ(copy->ChildCount(), 1);
    EXPECT_EQ(copy->ChildAt(0)->Prototype(), proto->ChildAt(0));
    EXPECT_EQ(copy->sizeFactor, 2.0f);
    EXPECT_EQ(copy->health, 1.0f); // a model takes its properties afresh

    // In a scene-state file the saved values stand, byte for byte.
    GetModelLoadState().sceneStateLoading = true;
    auto restored = test::Own(Loaded(first));
    GetModelLoadState().sceneStateLoading = false;
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(static_cast<Entity*>(restored.get())->health, 0.25f);
    EXPECT_EQ(FirstDifference(Saved(restored.get()), first), first.size());

    // A prototype that no longer exists: the entity leaves again.
    std::vector<uint8_t> orphan = first;
    std::memcpy(&orphan[13], "gone", 4); // behind the header, the reference and the class
    auto lost = Loaded(orphan);
    ASSERT_NE(lost, nullptr);
    EXPECT_TRUE(world.IsQueuedForRemoval(static_cast<Entity*>(lost)));
    world.FlushRemovals(); // held by nothing: destroyed
}

TEST_F(LvEntity, SequenceStatesBeyondFiftyAreNotSavedAndFewerDoNotOverflow) {
    auto* sequencer = new Sequencer;
    for (int i = 0; i < 60; ++i)
        sequencer->AddSequence({"s" + std::to_string(i), i, 0.0f, 1.0f, {}});
    auto many = test::Own(new Entity);
    many->SetSequencer(sequencer);
    for (int i = 0; i < 60; ++i)
        many->sequenceStates[size_t(i)].time = float(i);
    auto loaded = test::Own(Loaded(Saved(many.get())));
    ASSERT_NE(loaded, nullptr);
    auto* copy = static_cast<Entity*>(loaded.get());
    ASSERT_EQ(copy->sequenceStates.size(), 60u);
    EXPECT_EQ(copy->sequenceStates[49].time, 49.0f);
    EXPECT_EQ(copy->sequenceStates[50].time, 0.0f);
}

TEST_F(LvEntity, OldRecordsLoadWithTheirDefaults) {
    // 36: no mass fields, loose links, sound states of five words, two
    // state arrays, attached-object words.
    auto v36 = test::Own(Loaded(OldRecord(36, 2)));
    ASSERT_NE(v36, nullptr);
    auto* e36 = static_cast<Entity*>(v36.get());
    EXPECT_EQ(e36->Name(), "relic");
    EXPECT_EQ(e36->scale, 2.0f);
    EXPECT_EQ(e36->position.x, 8.0f);
    EXPECT_EQ(e36->massScale, 1.0f);
    EXPECT_EQ(e36->gravityParent, kNoEntity);
    EXPECT_EQ(e36->boundRadius, 1.0f);
    EXPECT_EQ(e36->soundSlots[2].startTime, 102);
    EXPECT_EQ(e36->soundSlots[2].soundId, -1);
    EXPECT_EQ(e36->soundSlots[4].startTime, 0); // only four were saved
    ASSERT_EQ(e36->sequenceStates.size(), 2u);
    EXPECT_EQ(e36->sequenceStates[1].time, 0.25f);
    EXPECT_EQ(e36->sequenceStates[1].loop, 0);
    EXPECT_EQ(e36->sequenceStates[1].stamp, UINT32_MAX);
    EXPECT_EQ(e36->identification[5], 2);
    EXPECT_EQ(e36->firstFrameDone, 1);
    e36->CreateProps();
    SetFloat(*e36, "mass", 3.0f);
    e36->ApplyProps(kAllProps);
    EXPECT_EQ(e36->mass, 3.0f); // mass follows "mass" once the properties apply

    // 59: no health scale, four 16-byte sound states, the parent ignored.
    auto v59 = test::Own(Loaded(OldRecord(59, 1)));
    ASSERT_NE(v59, nullptr);
    auto* e59 = static_cast<Entity*>(v59.get());
    EXPECT_EQ(e59->mass, 4.0f);
    EXPECT_EQ(e59->health, 5.0f);
    EXPECT_EQ(e59->healthScale, 1.0f);
    EXPECT_EQ(e59->gravityParent, kNoEntity);
    EXPECT_EQ(e59->soundSlots[3].volume, 0.5f);
    EXPECT_EQ(e59->soundSlots[4].volume, 1.0f);
    EXPECT_EQ(e59->sequenceStates[0].loop, 1);

    // 75: compact counts, no stored size factor or radius.
    auto v75 = test::Own(Loaded(OldRecord(75, 60)));
    ASSERT_NE(v75, nullptr);
    auto* e75 = static_cast<Entity*>(v75.get());
    EXPECT_EQ(e75->sizeFactor, 1.0f);
    EXPECT_EQ(e75->gravityParent, 7);
    EXPECT_EQ(e75->soundSlots[4].startTime, 104);
    EXPECT_EQ(e75->sequenceStates[49].time, 0.25f);
    EXPECT_EQ(e75->sequenceStates[50].time, 0.0f);

    // 121 and 21 are refused.
    test::RecordingSink sink;
    EXPECT_EQ(Loaded(OldRecord(121, 0)), nullptr);
    std::vector<uint8_t> old = OldRecord(22, 0);
    old[4] = 21;
    EXPECT_EQ(Loaded(old), nullptr);
}

TEST_F(LvEntity, TruncatedAndCorruptRecordsFailCleanly) {
    test::RecordingSink sink;
    auto entity = test::Own(RichEntity());
    const std::vector<uint8_t> whole = Saved(entity.get());
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + ptrdiff_t(cut));
        EXPECT_EQ(Loaded(part), nullptr) << cut;
    }
    // Any word turned to a huge count is refused or read harmlessly.
    for (size_t at = 8; at + 4 <= whole.size(); ++at) {
        std::vector<uint8_t> bad = whole;
        std::memset(&bad[at], 0x7F, 4);
        if (Unknown* object = Loaded(bad)) {
            EXPECT_TRUE(IsA(object, ClassId::Entity));
            object->Release();
        }
    }
    EXPECT_FALSE(sink.warnings.empty());
}

} // namespace
} // namespace lumivane
