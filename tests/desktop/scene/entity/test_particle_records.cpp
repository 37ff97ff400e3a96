// Records of particle systems and their particle nodes: the current layout
// saved, loaded and saved again to the same bytes; the runtime colour of a
// scene-state file; damaged particle counts refused cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/object_file.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/entity/particle_fixture.h"
#include "tests/desktop/scene/scene_test_support.h"

namespace lumivane {
namespace {

using LvParticleRecords = test::ParticleTest;

std::vector<uint8_t> Saved(Unknown* object) {
    platform::BufferWriter file;
    EXPECT_TRUE(WriteObject(file, object));
    return file.Take();
}

Unknown* Loaded(const std::vector<uint8_t>& bytes) {
    platform::MemoryReader file(bytes.data(), bytes.size());
    return ReadObject(file, nullptr, "test.vrn", 0);
}

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
    const size_t differ = size_t(std::mismatch(second.begin(), second.end(), first.begin()).first -
                                 second.begin());
    EXPECT_EQ(differ, first.size()) << "the files part at byte " << differ;
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
