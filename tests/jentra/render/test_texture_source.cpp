// Loading one texture frame from its file: the name rules, the DDS cache
// beside the source, the alpha companion and height maps.
#include "Jentra/render/texture_names.h"
#include "Jentra/render/texture_source.h"
#include "texture_fixture.h"

#include "platform/image/convert.h"
#include "platform/image/dds.h"
#include "platform/image/mipmap.h"

#include <cstring>

using namespace jentra::textures;
using platform::image::PixelFormat;
namespace fs = std::filesystem;

namespace {

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::vector<uint8_t> bytes;
    platform::ReadWholeFile(path, bytes);
    return bytes;
}

} // namespace

TEST(TextureNames, CompanionAnimationAndCacheNames) {
    char out[kJTTextureNameSize];
    ASSERT_TRUE(GetJPGAlphaFilename(out, "Chess\\rock.jpg"));
    EXPECT_STREQ(out, "Chess\\rock_alpha.jpg");
    ASSERT_TRUE(GetJPGAlphaFilename(out, "rock"));
    EXPECT_STREQ(out, "rock_alpha.jpg");
    std::string longName(255, 'a');
    EXPECT_FALSE(GetJPGAlphaFilename(out, (longName + ".jpg").c_str()));
    EXPECT_LT(std::strlen(out), kJTTextureNameSize);

    EXPECT_TRUE(IsTextureAnimated("fire0000.jpg"));
    EXPECT_FALSE(IsTextureAnimated("fire0001.jpg"));
    char name[kJTTextureNameSize] = "fire0009.jpg";
    ASSERT_TRUE(GetNextAnimatedTextureFilename(name));
    EXPECT_STREQ(name, "fire0010.jpg");
    std::strcpy(name, "fire9999.jpg"); // a fifth digit would lengthen it
    EXPECT_FALSE(GetNextAnimatedTextureFilename(name));
    EXPECT_STREQ(name, "fire9999.jpg");
    for (const char* refused : {"0.jpg", "ab.c", "fireA009.jpg", "fire-009.jpg", "nodot"}) {
        std::strcpy(name, refused);
        EXPECT_FALSE(GetNextAnimatedTextureFilename(name)) << refused;
        EXPECT_STREQ(name, refused);
    }

    EXPECT_EQ(CacheName("textures\\wood.jpg", "DXT1"), "textures\\~wood_DXT1.dds");
    EXPECT_EQ(CacheName("rock.jpg", "DXT5"), "~rock_DXT5.dds");
    EXPECT_EQ(CacheName("a.b/c", "R5G6B5"), "a.b/~c_R5G6B5.dds");
}

TEST(TextureHeightMaps, FlatMapsPointStraightOut) {
    for (PixelFormat format : {PixelFormat::A8R8G8B8, PixelFormat::R5G6B5}) {
        SCOPED_TRACE(platform::image::FormatName(format));
        platform::image::Image level;
        ASSERT_TRUE(platform::image::ConvertImage(
            TextureFolder::Picture(4, 4, [](int, int) { return 0xFF909090u; }), format, level));
        HeightToNormalLevel(level);
        for (size_t i = 0; i < 16; ++i) {
            if (format == PixelFormat::A8R8G8B8) {
                const uint8_t expected[4] = {255, 128, 128, 0x90}; // the height stays in alpha
                EXPECT_EQ(std::memcmp(level.pixels.data() + i * 4, expected, 4), 0) << i;
            } else {
                EXPECT_EQ(level.pixels[i * 2] | level.pixels[i * 2 + 1] << 8, 0x841F) << i;
            }
        }
    }
    // A ramp rising to the right tilts the red (x) component below 128.
    platform::image::Image ramp = TextureFolder::Picture(
        4, 1, [](int x, int) { return TextureFolder::Grey(uint8_t(x * 20)); },
        PixelFormat::A8R8G8B8);
    HeightToNormalLevel(ramp);
    EXPECT_LT(ramp.pixels[2], 128);
    EXPECT_EQ(ramp.pixels[1], 128);
    EXPECT_EQ(ramp.pixels[14], 128); // the last column is flat
}

class TextureSourceTest : public TextureFolderTest {};

TEST_F(TextureSourceTest, JpegWithCompanionBecomesDxt5AndIsCached) {
    WriteJpeg("rock.jpg", Picture(64, 32, [](int, int) { return 0xFF4080C0u; }));
    // Alpha: opaque on the left half, clear on the right.
    WriteJpeg("rock_alpha.jpg", Picture(64, 32, [](int x, int) { return Grey(x < 32 ? 255 : 0); }));

    LoadedFrame frame;
    std::string error;
    ASSERT_TRUE(LoadFrameImage("rock.jpg", true, frame, &error)) << error;
    EXPECT_EQ(frame.image.format, PixelFormat::DXT5);
    EXPECT_TRUE(frame.hasAlpha);
    EXPECT_FALSE(frame.fromCache);
    EXPECT_TRUE(frame.cacheWritten);
    EXPECT_EQ(frame.image.mipCount, 7);
    const platform::image::Image top = platform::image::ToBgra8(frame.image.Level(0, 0));
    EXPECT_GT(top.pixels[(8 * 64 + 4) * 4 + 3], 240); // left half
    EXPECT_LT(top.pixels[(8 * 64 + 60) * 4 + 3], 15); // right half
    EXPECT_NEAR(top.pixels[(8 * 64 + 4) * 4 + 2], 0x40, 8);

    // The cache has the header the engine always wrote.
    const auto cache = ReadAll(modules / "~rock_DXT5.dds");
    ASSERT_GT(cache.size(), platform::image::kDdsHeaderSize);
    EXPECT_EQ(U32At(cache, 8), 0x1007u);
    EXPECT_EQ(U32At(cache, 12), 32u);
    EXPECT_EQ(U32At(cache, 16), 64u);
    EXPECT_EQ(U32At(cache, 28), 7u);
    EXPECT_EQ(U32At(cache, 80), 0x4u);
    EXPECT_EQ(U32At(cache, 84), platform::image::MakeFourCC('D', 'X', 'T', '5'));
    EXPECT_EQ(U32At(cache, 108), 0x1800u);

    // The next load reads only the cache: the source's bytes do not matter
    // while it is not newer.
    const auto sourceTime = fs::last_write_time(modules / "rock.jpg");
    WriteBytes("rock.jpg", {1, 2, 3});
    fs::last_write_time(modules / "rock.jpg", sourceTime);
    fs::last_write_time(modules / "~rock_DXT5.dds", sourceTime + std::chrono::seconds(1));
    LoadedFrame again;
    ASSERT_TRUE(LoadFrameImage("rock.jpg", true, again, &error)) << error;
    EXPECT_TRUE(again.fromCache);
    EXPECT_TRUE(again.hasAlpha);
    EXPECT_EQ(again.image.levels[0].pixels, frame.image.levels[0].pixels);

    // Touching the source rebuilds the cache from it.
    WriteJpeg("rock.jpg", Picture(64, 32, [](int, int) { return 0xFF00FF00u; }));
    fs::last_write_time(modules / "rock.jpg", sourceTime + std::chrono::seconds(5));
    LoadedFrame rebuilt;
    ASSERT_TRUE(LoadFrameImage("rock.jpg", true, rebuilt, &error)) << error;
    EXPECT_FALSE(rebuilt.fromCache);
    EXPECT_TRUE(rebuilt.cacheWritten);
    EXPECT_GT(platform::image::ToBgra8(rebuilt.image.Level(0, 0)).pixels[1], 240);
}

TEST_F(TextureSourceTest, NameSelectsTheFormat) {
    const auto flat = Picture(16, 16, [](int, int) { return 0xFF808080u; });
    WriteJpeg("floor-nocomp.jpg", flat);
    WriteJpeg("floor-nocomp-32bit.jpg", flat);
    WriteJpeg("plain.jpg", flat);
    WriteJpeg("floor_bump.jpg", flat);
    WriteJpeg("floor_bump32bit.jpg", flat);
    WriteTga("glow.tga", Picture(
                             16, 16, [](int, int) { return 0x80FFFFFFu; }, PixelFormat::A8R8G8B8));
    WriteTga("solid.tga", flat);
    WriteTga("solid-nocomp.tga",
             Picture(
                 16, 16, [](int, int) { return 0x80FFFFFFu; }, PixelFormat::A8R8G8B8));
    const struct {
        const char* name;
        PixelFormat format;
        bool alpha;
    } cases[] = {
        {"floor-nocomp.jpg", PixelFormat::R5G6B5, false},
        {"floor-nocomp-32bit.jpg", PixelFormat::A8R8G8B8, false},
        {"plain.jpg", PixelFormat::DXT1, false},
        {"floor_bump.jpg", PixelFormat::R5G6B5, false},
        {"floor_bump32bit.jpg", PixelFormat::A8R8G8B8, false},
        {"glow.tga", PixelFormat::DXT5, true},
        {"solid.tga", PixelFormat::DXT1, false},
        {"solid-nocomp.tga", PixelFormat::A4R4G4B4, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoadedFrame frame;
        std::string error;
        ASSERT_TRUE(LoadFrameImage(c.name, true, frame, &error)) << error;
        EXPECT_EQ(frame.image.format, c.format);
        EXPECT_EQ(frame.hasAlpha, c.alpha);
        EXPECT_TRUE(fs::exists(modules / CacheName(c.name, platform::image::FormatName(c.format))));
    }
    // The flat height map is a flat normal map on every level.
    LoadedFrame bump;
    ASSERT_TRUE(LoadFrameImage("floor_bump.jpg", true, bump));
    ASSERT_EQ(bump.image.mipCount, 5);
    for (const auto& level : bump.image.levels)
        for (size_t i = 0; i < level.pixels.size(); i += 2)
            ASSERT_EQ(level.pixels[i] | level.pixels[i + 1] << 8, 0x841F);
}

TEST_F(TextureSourceTest, PicturesAreStretchedAndDdsFilesLoadAsTheyAre) {
    WriteJpeg("odd.jpg", Picture(100, 60, [](int, int) { return 0xFF206080u; }));
    LoadedFrame frame;
    std::string error;
    ASSERT_TRUE(LoadFrameImage("odd.jpg", true, frame, &error)) << error;
    EXPECT_EQ(frame.image.width, 128);
    EXPECT_EQ(frame.image.height, 64);
    EXPECT_EQ(frame.image.mipCount, 8);
    ASSERT_TRUE(LoadFrameImage("odd.jpg", false, frame, &error)) << error;
    EXPECT_EQ(frame.image.mipCount, 1);

    // A DDS keeps its own format; missing levels are made when asked for.
    platform::image::TextureImage two;
    ASSERT_TRUE(platform::image::BuildTexture(
        Picture(
            8, 8, [](int, int) { return 0x80FF0000u; }, PixelFormat::A8R8G8B8),
        PixelFormat::A4R4G4B4, 2, two));
    ASSERT_TRUE(platform::image::WriteDdsFile(modules / "panel.dds", two));
    ASSERT_TRUE(LoadFrameImage("PANEL.DDS", true, frame, &error)) << error;
    EXPECT_EQ(frame.image.format, PixelFormat::A4R4G4B4);
    EXPECT_TRUE(frame.hasAlpha);
    EXPECT_EQ(frame.image.mipCount, 4);
    EXPECT_EQ(frame.image.levels[3].pixels.size(), 2u);
    EXPECT_FALSE(fs::exists(modules / "~panel_A4R4G4B4.dds")); // nothing to cache

    // A truncated DDS is refused.
    auto bytes = ReadAll(modules / "panel.dds");
    bytes.resize(bytes.size() - 4);
    WriteBytes("short.dds", bytes);
    EXPECT_FALSE(LoadFrameImage("short.dds", true, frame, &error));
    EXPECT_NE(error.find("truncated"), std::string::npos) << error;
}

TEST_F(TextureSourceTest, BadCompanionsAndSourcesFail) {
    WriteJpeg("leaf.jpg", Picture(32, 16, [](int, int) { return 0xFF00FF00u; }));
    WriteJpeg("leaf_alpha.jpg", Picture(16, 32, [](int, int) { return Grey(255); }));
    LoadedFrame frame;
    std::string error;
    EXPECT_FALSE(LoadFrameImage("leaf.jpg", true, frame, &error));
    EXPECT_NE(error.find("leaf_alpha.jpg"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(modules / "~leaf_DXT5.dds"));

    EXPECT_FALSE(LoadFrameImage("missing.jpg", true, frame, &error));
    WriteBytes("broken.jpg", {0xFF, 0xD8, 0xFF, 0x00, 0x01});
    EXPECT_FALSE(LoadFrameImage("broken.jpg", true, frame, &error));

    // A damaged cache newer than its source is rebuilt, not trusted.
    WriteJpeg("wall.jpg", Picture(16, 16, [](int, int) { return 0xFF808080u; }));
    WriteBytes("~wall_DXT1.dds", {'D', 'D', 'S', ' ', 1});
    fs::last_write_time(modules / "~wall_DXT1.dds",
                        fs::last_write_time(modules / "wall.jpg") + std::chrono::seconds(1));
    ASSERT_TRUE(LoadFrameImage("wall.jpg", true, frame, &error)) << error;
    EXPECT_FALSE(frame.fromCache);
    EXPECT_TRUE(frame.cacheWritten);
}

TEST_F(TextureSourceTest, ShippedTexturesLoadInTheFormatsTheirNamesSelect) {
    const char* runtime = std::getenv("JENTRA_RUNTIME_DIR");
    ASSERT_NE(runtime, nullptr);
    for (const char* name : {"rock.jpg", "rock_alpha.jpg", "spark.tga", "mountains.jpg",
                             "smoke.jpg", "smoke_alpha.jpg", "cubetest.dds"})
        fs::copy_file(fs::path(runtime) / "modules" / name, modules / name);
    const struct {
        const char* name;
        PixelFormat format;
        bool alpha;
    } cases[] = {{"rock.jpg", PixelFormat::DXT5, true},
                 {"spark.tga", PixelFormat::DXT5, true},
                 {"smoke.jpg", PixelFormat::DXT5, true},
                 {"mountains.jpg", PixelFormat::DXT1, false},
                 {"cubetest.dds", PixelFormat::DXT1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoadedFrame frame;
        std::string error;
        ASSERT_TRUE(LoadFrameImage(c.name, true, frame, &error)) << error;
        EXPECT_EQ(frame.image.format, c.format);
        EXPECT_EQ(frame.hasAlpha, c.alpha);
    }
    std::vector<uint8_t> bytes;
    platform::image::TextureImage cube;
    ASSERT_TRUE(platform::ReadWholeFile(modules / "cubetest.dds", bytes));
    ASSERT_TRUE(platform::image::DecodeDds(bytes, cube));
    EXPECT_TRUE(cube.cube);
    EXPECT_EQ(cube.width, cube.height);
}
