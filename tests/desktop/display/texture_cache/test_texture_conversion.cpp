// One ".tex" file at a time: textures become DDS files with their chains
// (DXT1, DXT3, or an R5G6B5 normal map for bump textures), load screens
// become bitmaps, and a source that cannot be converted stays untouched.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "desktop/display/texture_cache/image_codec_table.h"
#include "desktop/display/texture_cache/texture_conversion.h"
#include "platform/image/bmp.h"
#include "platform/image/dds.h"
#include "platform/image/dxt.h"
#include "tests/address_space.h"
#include "tests/picture_bombs.h"
#include "tests/desktop/display/texture_cache/tex_fixtures.h"

using test_support::AddressSpaceBytes;

using namespace lumivane;
using namespace lumivane_test;
using platform::image::TextureImage;

namespace {

class LvTextureConversion : public ::testing::Test {
protected:
    void SetUp() override { codecs.Init(); }

    std::filesystem::path Textures() const { return root.Path() / "Models" / "Textures"; }

    TextureImage ReadDds(const std::filesystem::path& path) {
        TextureImage texture;
        std::string error;
        EXPECT_TRUE(platform::image::DecodeDds(ReadBytes(path), texture, &error)) << error;
        return texture;
    }

    // The 16-bit pixel at (x, y) of an R5G6B5 level.
    static uint16_t Word(const Image& level, int x, int y) {
        const size_t i = (size_t(y) * size_t(level.width) + size_t(x)) * 2;
        return uint16_t(level.pixels[i] | level.pixels[i + 1] << 8);
    }

    platform_test::TempDir root;
    ImageCodecTable codecs;
};

} // namespace

TEST_F(LvTextureConversion, ColourTextureBecomesDxt1WithItsChainAndTheSourcesGo) {
    WriteTex(Textures() / "Hull.tex",
             MakePicture(PixelFormat::X8R8G8B8, 64, 64, [](int, int) { return 0x2060C0u; }));
    std::string error;
    ASSERT_TRUE(ConvertTexture(codecs, Textures() / "Hull.tex", &error)) << error;
    EXPECT_EQ(Listing(Textures()), std::vector<std::string>{"Hull.dds"});

    const TextureImage dds = ReadDds(Textures() / "Hull.dds");
    EXPECT_EQ(dds.format, PixelFormat::DXT1);
    ASSERT_EQ(dds.mipCount, 4); // 64, 32, 16, 8
    EXPECT_EQ(dds.Level(0, 3).width, 8);
    // The colour survives compression closely at every level.
    for (int level = 0; level < dds.mipCount; ++level) {
        const Image pixels = platform::image::DecompressDxt(dds.Level(0, level));
        ASSERT_FALSE(pixels.Empty());
        EXPECT_NEAR(pixels.pixels[0], 0xC0, 8);
        EXPECT_NEAR(pixels.pixels[1], 0x60, 8);
        EXPECT_NEAR(pixels.pixels[2], 0x20, 8);
    }
}

TEST_F(LvTextureConversion, AlphaTextureBecomesDxt3AndStaysUpright) {
    // Opaque top half, clear bottom half: an upside-down chain would swap them.
    WriteTex(Textures() / "glow.tex", MakePicture(PixelFormat::A8R8G8B8, 32, 32, [](int, int y) {
                 return y < 16 ? 0xFFFFFFFFu : 0x00FFFFFFu;
             }));
    std::string error;
    ASSERT_TRUE(ConvertTexture(codecs, Textures() / "glow.tex", &error)) << error;
    const TextureImage dds = ReadDds(Textures() / "glow.dds");
    EXPECT_EQ(dds.format, PixelFormat::DXT3);
    EXPECT_EQ(dds.mipCount, 3);
    const Image top = platform::image::DecompressDxt(dds.Level(0, 0));
    EXPECT_EQ(top.pixels[3], 255);               // top-left alpha
    EXPECT_EQ(top.pixels[(31 * 32) * 4 + 3], 0); // bottom-left alpha
}

TEST_F(LvTextureConversion, BumpTextureBecomesANormalMapFromRed) {
    // Left half flat; right half a ramp rising to the right.
    WriteTex(Textures() / "Rock_Bump.tex",
             MakePicture(PixelFormat::X8R8G8B8, 32, 16, [](int x, int) {
                 return uint32_t(x < 16 ? 100 : 100 + (x - 16) * 8) << 16;
             }));
    std::string error;
    ASSERT_TRUE(ConvertTexture(codecs, Textures() / "Rock_Bump.tex", &error)) << error;
    EXPECT_EQ(Listing(Textures()), std::vector<std::string>{"Rock_Bump.dds"});
    const TextureImage dds = ReadDds(Textures() / "Rock_Bump.dds");
    EXPECT_EQ(dds.format, PixelFormat::R5G6B5);
    ASSERT_EQ(dds.mipCount, 2); // 32 x 16, 16 x 8
    // Flat: straight up, (128, 128, 255) as 5:6:5.
    EXPECT_EQ(Word(dds.Level(0, 0), 4, 4), (16 << 11) | (32 << 5) | 31);
    // On the ramp the normal leans away from the rise (less red), not sideways.
    const uint16_t tilted = Word(dds.Level(0, 0), 24, 4);
    EXPECT_LT(tilted >> 11, 14);
    EXPECT_EQ((tilted >> 5) & 63, 32);
    // The smaller level is a normal map of its own level, not a copy.
    EXPECT_EQ(Word(dds.Level(0, 1), 2, 2), (16 << 11) | (32 << 5) | 31);
    EXPECT_LT(Word(dds.Level(0, 1), 12, 2) >> 11, 16);

    // Only the listed marks make a bump map; alpha wins over the mark.
    EXPECT_TRUE(IsBumpTextureName("a_bump.tex"));
    EXPECT_TRUE(IsBumpTextureName("a_BUMP.tex"));
    EXPECT_FALSE(IsBumpTextureName("a_bUmp.tex"));
    WriteTex(Textures() / "Glass_bump.tex",
             MakePicture(PixelFormat::A8R8G8B8, 8, 8, [](int, int) { return 0x80FFFFFFu; }));
    ASSERT_TRUE(ConvertTexture(codecs, Textures() / "Glass_bump.tex", &error)) << error;
    EXPECT_EQ(ReadDds(Textures() / "Glass_bump.dds").format, PixelFormat::DXT3);
}

TEST_F(LvTextureConversion, SidesStretchUpToPowersOfTwo) {
    WriteTex(Textures() / "odd.tex",
             MakePicture(PixelFormat::X8R8G8B8, 48, 20, [](int, int) { return 0x808080u; }));
    ASSERT_TRUE(ConvertTexture(codecs, Textures() / "odd.tex"));
    const TextureImage dds = ReadDds(Textures() / "odd.dds");
    EXPECT_EQ(dds.width, 64);
    EXPECT_EQ(dds.height, 32);
    EXPECT_EQ(dds.mipCount, 3); // down to 16 x 8
    EXPECT_EQ(CacheMipCount(4, 4), 1);
    EXPECT_EQ(CacheMipCount(1024, 1024), 8);
}

TEST_F(LvTextureConversion, LoadScreenBecomesABitmapOnly) {
    const std::filesystem::path screens = root.Path() / "LoadScreens";
    const Image picture = MakePicture(PixelFormat::X8R8G8B8, 40, 30,
                                      [](int x, int y) { return uint32_t(x << 16 | y << 8 | 9); });
    WriteTex(screens / "LoadScreen.tex", picture);
    std::string error;
    ASSERT_TRUE(ConvertLoadScreen(codecs, screens / "LoadScreen.tex", &error)) << error;
    EXPECT_EQ(Listing(screens), std::vector<std::string>{"LoadScreen.bmp"});
    Image back;
    ASSERT_TRUE(platform::image::DecodeBmp(ReadBytes(screens / "LoadScreen.bmp"), back, &error));
    EXPECT_EQ(back.pixels, picture.pixels);
}

TEST_F(LvTextureConversion, BadSourcesStayWithoutLeftovers) {
    std::vector<uint8_t> good;
    ASSERT_TRUE(platform::image::EncodeJpeg2000(
        MakePicture(PixelFormat::X8R8G8B8, 32, 32, [](int x, int) { return uint32_t(x * 8); }),
        platform::image::Jpeg2000Kind::Jp2, good));
    const std::vector<uint8_t> truncated(good.begin(), good.begin() + long(good.size() / 2));
    const std::vector<uint8_t> garbage(300, 0x41);
    WriteBytes(Textures() / "cut.tex", truncated);
    WriteBytes(Textures() / "junk.tex", garbage);
    WriteBytes(root.Path() / "LoadScreens" / "cut.tex", truncated);
    // 8193 x 1 is small on disk but wider than any texture may be.
    WriteTex(Textures() / "wide.tex",
             MakePicture(PixelFormat::X8R8G8B8, 8193, 1, [](int, int) { return 0u; }));

    std::string error;
    EXPECT_FALSE(ConvertTexture(codecs, Textures() / "cut.tex", &error));
    EXPECT_FALSE(ConvertTexture(codecs, Textures() / "junk.tex", &error));
    EXPECT_FALSE(ConvertTexture(codecs, Textures() / "wide.tex", &error));
    EXPECT_NE(error.find("8192"), std::string::npos) << error;
    EXPECT_FALSE(ConvertLoadScreen(codecs, root.Path() / "LoadScreens" / "cut.tex", &error));
    EXPECT_EQ(Listing(Textures()), (std::vector<std::string>{"cut.tex", "junk.tex", "wide.tex"}));
    EXPECT_EQ(ReadBytes(Textures() / "cut.tex"), truncated);
    EXPECT_EQ(Listing(root.Path() / "LoadScreens"), std::vector<std::string>{"cut.tex"});
}

// A picture that wants more memory than the process may have is not a
// damaged file: it is not refused for good, and is tried on a later start.
TEST_F(LvTextureConversion, APictureThatWantsMoreMemoryThanThereIsIsNotRefused) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit leaves";
#else
    // A sound 2048 x 2048 bitmap of 24 bits: 12 MB on disk, 16 MB decoded.
    // Written straight, so that no freed picture leaves room in the heap.
    constexpr uint32_t kSide = 2048, kPixelBytes = kSide * kSide * 3;
    std::vector<uint8_t> bitmap;
    bitmap.reserve(54 + kPixelBytes);
    auto put = [&](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            bitmap.push_back(uint8_t(value >> (8 * i)));
    };
    put('B' | 'M' << 8, 2);
    put(54 + kPixelBytes, 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(kSide, 4);
    put(kSide, 4);
    put(1, 2);
    put(24, 2);
    put(0, 4);
    put(kPixelBytes, 4);
    put(0, 16);
    for (uint32_t i = 0; i < kPixelBytes; ++i)
        bitmap.push_back(uint8_t(i * 7));
    const std::filesystem::path big = root.Path() / "big.bmp";
    WriteBytes(big, bitmap);
    Image image;
    std::string error;
    bool refused = false;

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Room to read the file, none to decode it.
        const rlim_t room = AddressSpaceBytes() + (20u << 20);
        const rlimit limit{room, room};
        setrlimit(RLIMIT_AS, &limit);
        const bool decoded = codecs.DecodeFile(big, "bmp", image, &error, &refused);
        _exit(decoded                                                ? 3
              : refused                                              ? 2
              : error.find("not enough memory") != std::string::npos ? 0
                                                                     : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: decoded, 2: refused, 1: another error";
    // With the memory it needs, the picture reads; a cut one is refused.
    EXPECT_TRUE(codecs.DecodeFile(big, "bmp", image, &error, &refused)) << error;
    const std::filesystem::path cut = root.Path() / "cut.bmp";
    WriteBytes(cut, std::vector<uint8_t>(bitmap.begin(), bitmap.begin() + 100));
    EXPECT_FALSE(codecs.DecodeFile(cut, "bmp", image, &error, &refused));
    EXPECT_TRUE(refused) << error;
#endif
}

// A source that claims more pixels than any picture may have is read at a
// smaller resolution that its stream holds, and its whole conversion fits
// in a gigabyte: the bump kind, whose normals cost most, of 8192 x 8192
// (the largest side a source may have) in a hundred bytes.
TEST_F(LvTextureConversion, AnOversizedSourceIsReadSmallerAndCostsLessThanAGigabyte) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit leaves";
#else
    const auto stream = test_support::FlatJpeg2000CodeStream(8192, 8192, 3, 5);
    WriteBytes(Textures() / "Rock_bump.tex", test_support::InJp2File(stream, 8192, 8192, 3));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlim_t room = AddressSpaceBytes() + (rlim_t(1) << 30);
        const rlimit limit{room, room};
        setrlimit(RLIMIT_AS, &limit);
        std::string error;
        const bool converted = ConvertTexture(codecs, Textures() / "Rock_bump.tex", &error);
        if (!converted) std::fprintf(stderr, "%s\n", error.c_str());
        _exit(converted ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Listing(Textures()), std::vector<std::string>{"Rock_bump.dds"});
    const TextureImage dds = ReadDds(Textures() / "Rock_bump.dds");
    EXPECT_EQ(dds.format, PixelFormat::R5G6B5);
    EXPECT_EQ(dds.width, 4096);
    EXPECT_EQ(dds.height, 4096);
    EXPECT_EQ(dds.mipCount, 10);                                               // 4096 down to 8
    EXPECT_EQ(Word(dds.Level(0, 0), 4095, 4095), (16 << 11) | (32 << 5) | 31); // flat
#endif
}
