// The texture manager reading DDS files: numbered sequences, the checks of
// the header with their warnings, short files, bump names, the set cache,
// levels kept on machines with little memory, and the 16-bit texels that
// DXT blocks and 24- and 32-bit pixels become.
#include "tests/desktop/display/display_test_support.h"

#include "desktop/display/textures/sequence_names.h"
#include "desktop/scene/object/script_config.h"

using namespace display_test;

namespace {

constexpr uint64_t kPlentyOfMemory = 8ull << 30;

class TextureLoading : public ::testing::Test {
protected:
    void SetUp() override {
        manager.SetDataRoot(root.Path());
        manager.SetPhysicalMemory(kPlentyOfMemory);
        manager.reportMissing = [this](int32_t kind, std::string_view path,
                                       std::string_view group) {
            missing.push_back(std::to_string(kind) + " " + std::string(path) + " " +
                              std::string(group));
        };
        ASSERT_TRUE(manager.Init(host));
    }

    void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        WriteFile(root.Path() / "models" / "textures" / name, bytes);
    }
    TextureSet* Get(const std::string& name, int32_t resident = 0, int32_t forceNew = 0) {
        return manager.GetTexture("models\\textures\\" + name, "Ship", resident, forceNew);
    }
    // The 16-bit texels the device was given for a dedicated slot of the set
    // at that level.
    const std::vector<uint8_t>& SlotTexels(TextureSet* set, int level) {
        TextureSlot* slot = set->GetFrame(0)->Level(level)->slot;
        EXPECT_TRUE(slot && slot->Surface());
        return host.device->GetRecording()->TexelsOf(slot ? slot->Surface() : nullptr, 0);
    }

    platform_test::TempDir root;
    CapturedMessages messages;
    DeviceTextureHost host;
    TextureManager manager;
    std::vector<std::string> missing;
};

const std::vector<uint8_t> kGrey565 = {0x10, 0x84};

} // namespace

TEST(SequenceNames, DigitsAreReplacedAndTheCountStopsAtThreeDigits) {
    const SequenceName wall = ParseSequenceName("models\\textures\\wall001.dds");
    ASSERT_TRUE(wall.isSequence);
    EXPECT_EQ(wall.firstNumber, 1);
    EXPECT_EQ(SequenceFramePath("models\\textures\\wall001.dds", wall, 12),
              "models\\textures\\wall012.dds");
    EXPECT_EQ(ParseSequenceName("fire000.dds").firstNumber, 0);
    EXPECT_FALSE(ParseSequenceName("fire010.dds").isSequence);
    // A fourth digit would widen the name: the sequence ends at 999.
    EXPECT_EQ(SequenceFramePath("a000.dds", ParseSequenceName("a000.dds"), 999), "a999.dds");
    EXPECT_EQ(SequenceFramePath("a000.dds", ParseSequenceName("a000.dds"), 1000), "");
    // A frame name that would not fit a path is refused.
    const std::string longName = std::string(253, 'x') + "000.dds";
    EXPECT_EQ(SequenceFramePath(longName, ParseSequenceName(longName), 1), "");
}

TEST_F(TextureLoading, NumberedSequencesCountTheirFramesUpToTheFirstGap) {
    const auto bytes = DdsBytes(Chain(image::PixelFormat::R5G6B5, 16, kGrey565));
    for (const char* name : {"wall001.dds", "wall002.dds", "wall003.dds", "wall004.dds",
                             "wall006.dds", "fire000.dds", "fire001.dds"})
        Write(name, bytes);
    TextureSet* wall = Get("wall001.dds");
    ASSERT_TRUE(wall);
    EXPECT_EQ(wall->FrameCount(), 4);
    TextureSet* fire = Get("fire000.dds");
    ASSERT_TRUE(fire);
    EXPECT_EQ(fire->FrameCount(), 2);
    // A frame index past the count falls back to frame 0.
    EXPECT_EQ(fire->GetFrame(7), fire->GetFrame(0));
    EXPECT_EQ(Get("gone001.dds"), nullptr);
    EXPECT_EQ(missing, std::vector<std::string>{"1 models\\textures\\gone001.dds Ship"});
}

TEST_F(TextureLoading, BadHeadersWarnAndLoadNothing) {
    auto nonSquare = DdsBytes(Chain(image::PixelFormat::R5G6B5, 512, kGrey565));
    PutU32(nonSquare, kHeightAt, 256);
    Write("wide.dds", nonSquare);
    auto twelve = DdsBytes(Chain(image::PixelFormat::R5G6B5, 8, kGrey565));
    PutU32(twelve, kHeightAt, 12);
    PutU32(twelve, kWidthAt, 12);
    Write("twelve.dds", twelve);
    auto huge = DdsBytes(Chain(image::PixelFormat::R5G6B5, 8, kGrey565));
    PutU32(huge, kHeightAt, 2048);
    PutU32(huge, kWidthAt, 2048);
    Write("huge.dds", huge);
    Write("dxt5.dds", DdsBytes(Chain(image::PixelFormat::DXT5, 16, {0})));
    auto magic = DdsBytes(Chain(image::PixelFormat::R5G6B5, 16, kGrey565));
    magic[0] = 'X';
    Write("magic.dds", magic);
    Write("picture.bmp", magic);
    auto eightBits = DdsBytes(Chain(image::PixelFormat::R5G6B5, 16, kGrey565));
    PutU32(eightBits, kBitCountAt, 8);
    Write("eight.dds", eightBits);

    for (const char* name : {"wide.dds", "twelve.dds", "huge.dds", "dxt5.dds", "magic.dds",
                             "picture.bmp", "eight.dds"})
        EXPECT_EQ(Get(name), nullptr) << name;
    EXPECT_EQ(messages.WarningEntries(),
              (std::vector<int>{kEntryNotSquare, kEntryBadSide, kEntryBadSide, kEntryBadFile,
                                kEntryBadFile, kEntryBadFile, kEntryBadFile}));
    EXPECT_EQ(messages.warnings[0].second, "\"models\\textures\\wide.dds\"");
    EXPECT_EQ(missing.size(), 7u);
    EXPECT_EQ(manager.SetCount(), 0);
    EXPECT_EQ(manager.DedicatedCount(), 0);
}

TEST_F(TextureLoading, AShortFileWarnsInsteadOfLoadingGarbage) {
    auto whole = DdsBytes(Chain(image::PixelFormat::DXT1, 64, {0}));
    // The chain ends a few bytes early, and a header cut in the middle.
    Write("short.dds", std::vector<uint8_t>(whole.begin(), whole.end() - 4));
    Write("header.dds", std::vector<uint8_t>(whole.begin(), whole.begin() + 60));
    EXPECT_EQ(Get("short.dds"), nullptr);
    EXPECT_EQ(Get("header.dds"), nullptr);
    EXPECT_EQ(messages.WarningEntries(), (std::vector<int>{kEntryTextureRead, kEntryTextureRead}));
    // The full file loads.
    Write("whole.dds", whole);
    EXPECT_NE(Get("whole.dds"), nullptr);
}

TEST_F(TextureLoading, BumpNamesFollowTheDisplaysBumpPath) {
    Write("rock_bump.dds", DdsBytes(Chain(image::PixelFormat::R5G6B5, 16, kGrey565)));
    Write("rock_bumpenv.dds", DdsBytes(Chain(image::PixelFormat::V8U8, 16, {0x7F, 0x81})));
    TextureSet* dot3 = Get("rock_bump.dds");
    ASSERT_TRUE(dot3);
    EXPECT_EQ(dot3->Path(), "models\\textures\\rock_bump.dds");

    host.dot3 = false;
    host.envBump = true;
    TextureSet* env = Get("rock_bump.dds");
    ASSERT_TRUE(env);
    EXPECT_EQ(env->Path(), "models\\textures\\rock_bumpenv.dds");
    EXPECT_EQ(env->GetPixelKind(), kPixelKindBump);

    host.envBump = false;
    EXPECT_EQ(Get("Rock_BUMP.dds"), nullptr);
    EXPECT_TRUE(messages.warnings.empty());
}

TEST_F(TextureLoading, TheSamePathInAnotherCaseIsTheSameSetUnlessForcedNew) {
    Write("hull.dds", DdsBytes(Chain(image::PixelFormat::R5G6B5, 16, kGrey565)));
    TextureSet* first = Get("hull.dds");
    ASSERT_TRUE(first);
    EXPECT_EQ(manager.GetTexture("MODELS\\Textures\\HULL.DDS", "Other", 0, 0), first);
    EXPECT_EQ(manager.Find("models\\TEXTURES\\hull.dds"), first);
    TextureSet* fresh = Get("hull.dds", 0, 1);
    ASSERT_TRUE(fresh);
    EXPECT_NE(fresh, first);
    EXPECT_EQ(manager.SetCount(), 2);
}

TEST_F(TextureLoading, ResidentSetsAndLevelOneGetDedicatedSlotsUpToTheirLimit) {
    ScriptConfig config;
    config.Parse("[Textures]\n<800x600>\nstars.dds 3\n<1024x768>\nstars.dds 5\n");
    manager.SetScriptConfig(&config);
    Write("stars.dds", DdsBytes(Chain(image::PixelFormat::R5G6B5, 256, kGrey565)));
    Write("plain.dds", DdsBytes(Chain(image::PixelFormat::R5G6B5, 256, kGrey565)));
    TextureSet* stars = Get("stars.dds", 1);
    ASSERT_TRUE(stars);
    TextureFrame* frame = stars->GetFrame(0);
    ASSERT_EQ(frame->LevelCount(), 6);
    for (int level = 0; level < 6; ++level)
        EXPECT_EQ(frame->Level(level)->slot != nullptr, level <= 3) << level;
    // A plain set keeps its 16 x 16 level in a slot of its own, and draws
    // with it whatever level is asked for.
    TextureSet* plain = Get("plain.dds");
    ASSERT_TRUE(plain);
    EXPECT_EQ(manager.DedicatedCount(), 4 + 1);
    EXPECT_EQ(plain->GetSurface(kBestAvailableLevel, 0),
              plain->GetFrame(0)->Level(1)->slot->Surface());
    EXPECT_EQ(stars->GetSurface(kBestAvailableLevel, 0), frame->Level(3)->slot->Surface());
}

TEST_F(TextureLoading, LittleMemoryKeepsNoLevelAbove256) {
    TextureManager small;
    small.SetDataRoot(root.Path());
    small.SetPhysicalMemory(kLowMemoryBytes - 1);
    ASSERT_TRUE(small.Init(host));
    EXPECT_EQ(small.WorkingMaxLevel(), kLowMemoryMaxLevel);
    Write("big.dds", DdsBytes(Chain(image::PixelFormat::DXT1, 1024, {0})));
    TextureSet* big = small.GetTexture("models\\textures\\big.dds", "Planet", 0, 0);
    ASSERT_TRUE(big);
    EXPECT_EQ(big->GetFrame(0)->LevelCount(), 6);
    EXPECT_EQ(big->GetFrame(0)->Level(5)->pixels.width, 256);
    // With memory enough the whole chain stays.
    TextureSet* whole = Get("big.dds");
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->GetFrame(0)->LevelCount(), 8);
}

TEST_F(TextureLoading, DxtBlocksBecomeSixteenBitTexelsWhenShown) {
    // DXT1: colour 0 red, colour 1 blue; the first row's texels pick
    // colours 0, 1, 2 (two thirds red) and 3 (two thirds blue).
    const std::vector<uint8_t> dxt1Block = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0x00, 0x00, 0x00};
    Write("dxt1.dds", DdsBytes(Chain(image::PixelFormat::DXT1, 8, dxt1Block)));
    TextureSet* set1 = Get("dxt1.dds", 1);
    ASSERT_TRUE(set1);
    EXPECT_EQ(set1->GetPixelKind(), kPixelKindPlain);
    EXPECT_TRUE(set1->Compressed());
    const auto& plain = SlotTexels(set1, 0);
    ASSERT_EQ(plain.size(), 8u * 8u * 2u);
    auto word = [](const std::vector<uint8_t>& p, size_t i) {
        return uint16_t(p[i * 2] | p[i * 2 + 1] << 8);
    };
    EXPECT_EQ(word(plain, 0), 0xF800);
    EXPECT_EQ(word(plain, 1), 0x001F);
    EXPECT_EQ(word(plain, 2), 0xA80A);
    EXPECT_EQ(word(plain, 3), 0x5015); // one third red, two thirds blue: (85, 0, 170)
    EXPECT_EQ(word(plain, 8), 0xF800); // the second row: all colour 0

    // DXT3: explicit 4-bit alpha (15, 8, 0, 4 in the first row) over white.
    const std::vector<uint8_t> dxt3Block = {0x8F, 0x40, 0,    0,    0, 0, 0, 0,
                                            0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    Write("dxt3.dds", DdsBytes(Chain(image::PixelFormat::DXT3, 8, dxt3Block)));
    TextureSet* set3 = Get("dxt3.dds", 1);
    ASSERT_TRUE(set3);
    EXPECT_EQ(set3->GetPixelKind(), kPixelKindAlpha);
    const auto& alpha = SlotTexels(set3, 0);
    EXPECT_EQ(word(alpha, 0), 0xFFFF);
    EXPECT_EQ(word(alpha, 1), 0x8FFF);
    EXPECT_EQ(word(alpha, 2), 0x0FFF);
    EXPECT_EQ(word(alpha, 3), 0x4FFF);
}

TEST_F(TextureLoading, UncompressedPixelsArePackedByTheirBitCount) {
    // 24 bits: blue 0x10, green 0x80, red 0xF0.
    Write("rgb24.dds", DdsBytes(Chain(image::PixelFormat::R8G8B8, 8, {0x10, 0x80, 0xF0})));
    // 32 bits whose description has no alpha flag: four bytes a texel all
    // the same, never three.
    auto padded = DdsBytes(Chain(image::PixelFormat::X8R8G8B8, 8, {0x10, 0x80, 0xF0, 0x00}));
    PutU32(padded, kPixelFlagsAt, 0x40);
    Write("rgb32.dds", padded);
    // 32 bits with alpha: the alpha format.
    Write("argb32.dds", DdsBytes(Chain(image::PixelFormat::A8R8G8B8, 8, {0x10, 0x80, 0xF0, 0x80})));
    for (const char* name : {"rgb24.dds", "rgb32.dds"}) {
        TextureSet* set = Get(name, 1);
        ASSERT_TRUE(set) << name;
        EXPECT_FALSE(set->Compressed());
        const image::Image& level = set->GetFrame(0)->Level(0)->pixels;
        ASSERT_EQ(level.format, image::PixelFormat::R5G6B5);
        for (size_t i = 0; i < 64; ++i)
            ASSERT_EQ(Texel16(level, i), 0xF402) << name << " texel " << i;
    }
    TextureSet* alpha = Get("argb32.dds", 1);
    ASSERT_TRUE(alpha);
    EXPECT_EQ(alpha->GetPixelKind(), kPixelKindAlpha);
    EXPECT_EQ(Texel16(alpha->GetFrame(0)->Level(0)->pixels, 0), 0x8F81);
}
