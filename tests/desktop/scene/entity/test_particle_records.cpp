// Records of particle systems and their particle nodes: the current layout
// saved, loaded and saved again to the same bytes; the older layouts of
// versions 34 and 49; the runtime colour of a scene-state file; damaged
// particle counts refused cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/object_file.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/entity/entity_record_bytes.h"
#include "tests/desktop/scene/entity/particle_fixture.h"
#include "tests/desktop/scene/scene_test_support.h"

namespace lumivane {
namespace {

using LvParticleRecords = test::ParticleTest;

using test::Loaded;
using test::Saved;

// A prototype with seven particles, every one set up and spawned.
PartSys* Prototype() {
    auto* system = new PartSys;
    system->SetName("glow");
    system->CreateProps();
    size_t offset = 0;
    PropDesc::Find(system->props->Table(), "Num particles", offset);
    system->props->Set<int32_t>(offset, 7);
    system->PropChanged(kAllProps);
    PartNode* node = system->EnsureParticleNode();
    node->Rebuild(true);
    for (int i = 0; i < 7; ++i)
        node->Spawn(i, 0.0f);
    system->timeFactor = 0.5f;
    system->runsWithoutOwner = 0;
    return system;
}

// Where the node's two counts (7 and 7) stand.
size_t CountsAt(const std::vector<uint8_t>& bytes) {
    const uint8_t pattern[8] = {7, 0, 0, 0, 7, 0, 0, 0};
    auto at = std::search(bytes.begin(), bytes.end(), pattern, pattern + 8);
    EXPECT_NE(at, bytes.end());
    return size_t(at - bytes.begin());
}

void Patch(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
    std::memcpy(&bytes[at], &value, 4);
}

TEST_F(LvParticleRecords, TheCurrentLayoutSavesLoadsAndSavesToTheSameBytes) {
    auto system = test::Own(Prototype());
    const std::vector<uint8_t> first = Saved(system.get());

    auto loaded = test::Own(Loaded(first));
    ASSERT_NE(loaded, nullptr);
    ASSERT_TRUE(IsA(loaded.get(), ClassId::PartSys));
    auto* copy = static_cast<PartSys*>(loaded.get());
    ASSERT_NE(copy->Particles(), nullptr);
    EXPECT_EQ(copy->Particles()->Owner(), copy);
    EXPECT_EQ(copy->Particles()->Particles().size(), 7u);
    EXPECT_EQ(copy->timeFactor, 0.5f);
    EXPECT_EQ(copy->runsWithoutOwner, 0);
    EXPECT_EQ(copy->ChildCount(), 1) << "the loaded node is the system's only node";
    const std::vector<uint8_t> second = Saved(copy);
    ASSERT_EQ(second.size(), first.size());
    const size_t differ =
        size_t(std::mismatch(second.begin(), second.end(), first.begin()).first - second.begin());
    EXPECT_EQ(differ, first.size()) << "the files part at byte " << differ;
}

// The bytes of a lone particle node as an object file of an older `version`
// (before the compact counts) holds them: a class word, a channel count and
// a child count of four bytes each, and before version 35 a spare word after
// the particle counts.
std::vector<uint8_t> OldNodeFile(const std::vector<uint8_t>& current, uint32_t version) {
    constexpr size_t kClassAt = 12, kNamesEnd = 13 + 64, kCompactCountsEnd = kNamesEnd + 6;
    const size_t counts = CountsAt(current);
    EXPECT_EQ(current[kClassAt], uint8_t(ClassId::PartNode));
    platform::BufferWriter file;
    file.WriteBytes(current.data(), 4);
    file.WriteU32(version);
    file.WriteBytes(current.data() + 8, 4);
    file.WriteU32(current[kClassAt]);
    file.WriteBytes(current.data() + kClassAt + 1, kNamesEnd - kClassAt - 1);
    file.WriteI32(0); // channels
    file.WriteI32(0); // children
    file.WriteBytes(current.data() + kCompactCountsEnd, counts + 8 - kCompactCountsEnd);
    if (version < 35) file.WriteU32(0xDEADBEEF);
    file.WriteBytes(current.data() + counts + 8, current.size() - counts - 8);
    return file.Take();
}

TEST_F(LvParticleRecords, VersionsThirtyFourAndFortyNineLoadTheirLayouts) {
    auto system = test::Own(Prototype());
    PartNode* node = system->Particles();
    node->Particles()[1].position = {1.0f, 2.0f, 3.0f};
    node->SetOwner(nullptr); // saved alone
    const std::vector<uint8_t> current = Saved(node);
    node->SetOwner(system.get());

    for (uint32_t version : {34u, 49u}) {
        auto loaded = test::Own(Loaded(OldNodeFile(current, version)));
        ASSERT_NE(loaded, nullptr) << version;
        ASSERT_TRUE(IsA(loaded.get(), ClassId::PartNode));
        const auto* copy = static_cast<PartNode*>(loaded.get());
        ASSERT_EQ(copy->Particles().size(), 7u) << version;
        EXPECT_EQ(copy->InitialisedCount(), 7);
        EXPECT_EQ(copy->Particles()[1].position.z, 3.0f) << version;
        EXPECT_EQ(copy->Particles()[6].lifetime, node->Particles()[6].lifetime) << version;
    }

    // The systems of both versions: the time factor and the free-standing
    // word, no attached mark before 50, and a particle node made for them.
    for (uint32_t version : {34u, 49u}) {
        std::vector<uint8_t> bytes = test::OldRecord(version, 0, uint8_t(ClassId::PartSys));
        platform::BufferWriter tail;
        tail.WriteF32(0.5f);
        tail.WriteU32(0);
        const std::vector<uint8_t> fields = tail.Take();
        bytes.insert(bytes.end(), fields.begin(), fields.end());
        auto loaded = test::Own(Loaded(bytes));
        ASSERT_NE(loaded, nullptr) << version;
        ASSERT_TRUE(IsA(loaded.get(), ClassId::PartSys));
        auto* old = static_cast<PartSys*>(loaded.get());
        EXPECT_EQ(old->timeFactor, 0.5f) << version;
        EXPECT_EQ(old->runsWithoutOwner, 0) << version;
        EXPECT_EQ(old->attachedMark, 0) << version;
        ASSERT_NE(old->Particles(), nullptr) << version;
        EXPECT_EQ(old->Particles()->Owner(), old);
    }
}

TEST_F(LvParticleRecords, TheRuntimeColourIsTakenOnlyFromAStateFile) {
    auto system = test::Own(Prototype());
    system->tint = {0.25f, 0.5f, 0.75f}; // a scene's marker coloured it
    std::vector<uint8_t> bytes = Saved(system.get());
    Patch(bytes, 4, 119); // the oldest version with the colour

    auto model = test::Own(Loaded(bytes));
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(static_cast<PartSys*>(model.get())->tint.x, 1.0f);

    GetModelLoadState().sceneStateLoading = true;
    auto state = test::Own(Loaded(bytes));
    GetModelLoadState().sceneStateLoading = false;
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(static_cast<PartSys*>(state.get())->tint.x, 0.25f);
}

TEST_F(LvParticleRecords, DamagedCountsAndCutFilesAreRefusedCleanly) {
    test::RecordingSink sink;
    auto system = test::Own(Prototype());
    system->Particles()->Particles()[1].position.x = 1.0f;
    const std::vector<uint8_t> good = Saved(system.get());
    std::vector<uint8_t> bytes = good;
    const size_t counts = CountsAt(bytes);

    for (int32_t bad : {-1, kMaxParticles + 1, 8, 0x7fffffff}) {
        std::vector<uint8_t> damaged = bytes;
        Patch(damaged, counts, bad);
        EXPECT_EQ(Loaded(damaged), nullptr) << "count " << bad;
    }
    // An initialised count past the particles is held to them.
    std::vector<uint8_t> ahead = bytes;
    Patch(ahead, counts + 4, 99);
    auto loaded = test::Own(Loaded(ahead));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(static_cast<PartSys*>(loaded.get())->Particles()->InitialisedCount(), 7);

    // A particle that holds no numbers starts over, waiting.
    std::vector<uint8_t> poisoned = bytes;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::memcpy(&poisoned[counts + 8 + kParticleRecordSize + 4], &nan, 4);
    auto cleaned = test::Own(Loaded(poisoned));
    ASSERT_NE(cleaned, nullptr);
    const Particle& p = static_cast<PartSys*>(cleaned.get())->Particles()->Particles()[1];
    EXPECT_EQ(p.state, kParticleWaiting);
    EXPECT_EQ(p.position.x, 0.0f);

    // Every cut of the file fails without a crash.
    for (size_t size = 0; size < good.size(); size += 3) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + ptrdiff_t(size));
        EXPECT_EQ(Loaded(cut), nullptr) << size;
    }
}

} // namespace
} // namespace lumivane
