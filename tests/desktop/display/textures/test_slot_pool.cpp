// The texture manager's video memory: the pool measured and shared among
// levels, no pool on a card with too little memory, the frame's requests in
// priority order with their budget, demotion and dropping, least recently
// used slots taken first, and surfaces restored after the device came back.
#include "tests/desktop/display/display_test_support.h"

#include "desktop/scene/object/script_config.h"

using namespace display_test;

namespace {

const std::vector<uint8_t> kGrey565 = {0x10, 0x84};

class SlotPool : public ::testing::Test {
protected:
    void Start(uint64_t budget) {
        host = std::make_unique<DeviceTextureHost>(budget);
        manager.SetDataRoot(root.Path());
        manager.SetPhysicalMemory(8ull << 30);
        // Resident sets keep only their two smallest levels for themselves.
        config.Parse("[Textures]\n<800x600>\na.dds 1\nb.dds 1\nc.dds 1\n");
        manager.SetScriptConfig(&config);
        ASSERT_TRUE(manager.Init(*host));
    }
    TextureSet* Load(const std::string& name, int side, int32_t resident) {
        WriteFile(root.Path() / name, DdsBytes(Chain(image::PixelFormat::R5G6B5, side, kGrey565)));
        TextureSet* set = manager.GetTexture(name, "test", resident, 0);
        EXPECT_TRUE(set) << name;
        return set;
    }
    TextureFrame* Frame(TextureSet* set) { return set->GetFrame(0); }
    TextureSlot* SlotOf(TextureSet* set, int level) { return Frame(set)->Level(level)->slot; }

    platform_test::TempDir root;
    CapturedMessages messages;
    std::unique_ptr<DeviceTextureHost> host;
    ScriptConfig config;
    TextureManager manager;
};

} // namespace

TEST_F(SlotPool, MeasuredMemoryIsSharedByLevelWeights) {
    Start(64ull << 20);
    Load("p.dds", 256, 0);
    Load("q.dds", 256, 0);
    ASSERT_TRUE(manager.BuildSlotPool());
    EXPECT_EQ(manager.MeasuredTexels(), kMeasureCeilingTexels);
    // Each weighted level wants more than two slots, and two sets share
    // the pool: two at every level from 32 to 512 texels, none elsewhere.
    const int expected[kTextureLevelCount] = {0, 0, 2, 2, 2, 2, 2, 0};
    for (int level = 0; level < kTextureLevelCount; ++level)
        EXPECT_EQ(manager.PoolCount(level), expected[level]) << level;
    EXPECT_EQ(manager.PoolSlot(6, 0)->Surface()->LevelCount(), 7); // 512 down to 8
    EXPECT_EQ(manager.PoolSlot(2, 0)->SurfaceKind(), kPixelKindAlpha);
    ASSERT_FALSE(host->progress.empty());
    EXPECT_EQ(host->progress.back(), 1.0f);
}

TEST_F(SlotPool, TooLittleMemoryBuildsNoPoolAndOnlyDedicatedSlotsDraw) {
    // Enough for the 16 x 16 slots of a few sets, not for 524,288 texels.
    Start(600 * 1024);
    TextureSet* p = Load("p.dds", 256, 0);
    TextureSet* q = Load("q.dds", 64, 0);
    EXPECT_FALSE(manager.BuildSlotPool());
    EXPECT_LT(manager.MeasuredTexels(), kPoolMinimumTexels);
    for (int level = 0; level < kTextureLevelCount; ++level)
        EXPECT_EQ(manager.PoolCount(level), 0);
    manager.RequestLevel(Frame(p), 1.0f, 5);
    manager.UploadRequested();
    EXPECT_EQ(p->GetSurface(5, 0), SlotOf(p, 1)->Surface());
    EXPECT_EQ(q->GetSurface(kBestAvailableLevel, 0), SlotOf(q, 1)->Surface());
    EXPECT_EQ(SlotOf(p, 5), nullptr);
}

TEST_F(SlotPool, RequestsStayInPriorityOrderAndRepeatsOnlyRaiseTheirPriority) {
    Start(64ull << 20);
    TextureSet* a = Load("a.dds", 256, 1);
    TextureSet* b = Load("b.dds", 256, 1);
    manager.RequestLevel(Frame(a), 1.0f, 3);
    manager.RequestLevel(Frame(b), 3.0f, 3);
    manager.RequestLevel(Frame(a), 2.0f, 4);
    manager.RequestLevel(Frame(b), 2.0f, 4); // after the earlier 2.0
    manager.RequestLevel(Frame(a), 0.5f, 3); // lower: nothing changes
    auto order = [&] {
        std::vector<std::pair<float, int>> seen;
        for (const LevelRequest& r : manager.Requests())
            seen.emplace_back(r.priority, r.level * (r.frame == Frame(a) ? 1 : -1));
        return seen;
    };
    EXPECT_EQ(order(),
              (std::vector<std::pair<float, int>>{{3.0f, -3}, {2.0f, 4}, {2.0f, -4}, {1.0f, 3}}));
    manager.RequestLevel(Frame(a), 5.0f, 3); // higher: raised and moved up
    EXPECT_EQ(order(),
              (std::vector<std::pair<float, int>>{{5.0f, 3}, {3.0f, -3}, {2.0f, 4}, {2.0f, -4}}));
    manager.ClearRequests();
    EXPECT_TRUE(manager.Requests().empty());
}

TEST_F(SlotPool, AFullLevelMovesARequestDownAndARepeatAtTheLowerLevelIsDropped) {
    Start(64ull << 20);
    TextureSet* a = Load("a.dds", 256, 1);
    TextureSet* b = Load("b.dds", 256, 1);
    Load("c.dds", 256, 0); // one shared set: one pool slot per level
    ASSERT_TRUE(manager.BuildSlotPool());
    ASSERT_EQ(manager.PoolCount(4), 1);
    ASSERT_EQ(manager.PoolCount(3), 1);

    manager.RequestLevel(Frame(b), 9.0f, 4);
    manager.RequestLevel(Frame(a), 8.0f, 4);
    manager.UploadRequested();
    EXPECT_EQ(SlotOf(b, 4), manager.PoolSlot(4, 0));
    EXPECT_EQ(SlotOf(a, 4), nullptr);
    EXPECT_EQ(SlotOf(a, 3), manager.PoolSlot(3, 0)); // moved one level down
    EXPECT_EQ(a->GetSurface(4, 0), manager.PoolSlot(3, 0)->Surface());

    manager.ClearRequests();
    manager.RequestLevel(Frame(b), 9.0f, 4);
    manager.RequestLevel(Frame(a), 8.0f, 3);
    manager.RequestLevel(Frame(a), 7.0f, 4);
    manager.UploadRequested();
    // a's level 4 finds 4 full and moves to 3, which a's own earlier
    // request already holds: it is dropped rather than moved on to 2.
    EXPECT_EQ(SlotOf(a, 3), manager.PoolSlot(3, 0));
    EXPECT_EQ(SlotOf(a, 2), nullptr);
    EXPECT_EQ(SlotOf(b, 4), manager.PoolSlot(4, 0));
    // Levels a set's frame does not have are limited to its largest.
    EXPECT_EQ(Frame(a)->LevelCount(), 6);
}

TEST_F(SlotPool, TheLeastRecentlyUsedSlotIsTakenFirst) {
    Start(64ull << 20);
    TextureSet* a = Load("a.dds", 256, 1);
    TextureSet* b = Load("b.dds", 256, 1);
    TextureSet* c = Load("c.dds", 256, 1);
    Load("p.dds", 256, 0);
    Load("q.dds", 256, 0);
    ASSERT_TRUE(manager.BuildSlotPool());
    ASSERT_EQ(manager.PoolCount(3), 2);

    manager.RequestLevel(Frame(a), 2.0f, 3);
    manager.RequestLevel(Frame(b), 1.0f, 3);
    manager.UploadRequested();
    TextureSlot* slotOfA = SlotOf(a, 3);
    ASSERT_NE(slotOfA, nullptr);
    ASSERT_NE(SlotOf(b, 3), nullptr);

    manager.ClearRequests();
    manager.RequestLevel(Frame(b), 2.0f, 3);
    manager.UploadRequested();
    manager.ClearRequests();
    manager.RequestLevel(Frame(c), 2.0f, 3);
    manager.UploadRequested();
    EXPECT_EQ(SlotOf(c, 3), slotOfA); // a was used longest ago
    EXPECT_EQ(SlotOf(a, 3), nullptr);
    EXPECT_NE(SlotOf(b, 3), nullptr);
    EXPECT_EQ(slotOfA->LastUsed(), manager.CurrentFrame());
}

TEST_F(SlotPool, RestoreRefillsDedicatedSlotsAndLeavesASmallOneEmptyWhenMemoryIsShort) {
    Start(64ull << 20);
    TextureSet* a = Load("a.dds", 256, 1);
    Load("p.dds", 256, 0);
    const platform::render::Recording& device = *host->device->GetRecording();
    const std::vector<uint8_t> before = device.TexelsOf(SlotOf(a, 1)->Surface(), 0);
    ASSERT_FALSE(before.empty());
    manager.ReleaseSurfaces();
    EXPECT_EQ(SlotOf(a, 1)->Surface(), nullptr);

    // The device is back; the system-memory pixels fill the slots again.
    ASSERT_TRUE(manager.Restore(*host));
    ASSERT_NE(SlotOf(a, 1)->Surface(), nullptr);
    EXPECT_EQ(device.TexelsOf(SlotOf(a, 1)->Surface(), 0), before);

    // A card already full: the small dedicated slots get no surface, are
    // left empty and the restore answers false, without a fatal box.
    manager.ReleaseSurfaces();
    host->device->SetTextureBudget(1);
    EXPECT_FALSE(manager.Restore(*host));
    EXPECT_EQ(SlotOf(a, 1)->Surface(), nullptr);
    EXPECT_EQ(a->GetSurface(kBestAvailableLevel, 0), nullptr);
    EXPECT_TRUE(messages.fatals.empty());
}
