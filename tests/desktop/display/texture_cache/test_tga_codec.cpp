// The converter's Targa subset and its format table: pictures round-trip
// with the bottom row first in the file, and each broken header rule is
// refused with "cannot get info".
#include "desktop/display/texture_cache/image_codec_table.h"
#include "desktop/display/texture_cache/tga_codec.h"
#include "tests/desktop/display/texture_cache/tex_fixtures.h"

using namespace lumivane;
using namespace lumivane_test;

namespace {

std::vector<uint8_t> EncodeOrFail(const Image& image) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(TgaCodec::Encode(image, bytes, &error)) << error;
    return bytes;
}

} // namespace

TEST(LvTgaCodec, PicturesRoundTripBottomRowFirst) {
    const Image rgb = MakePicture(PixelFormat::X8R8G8B8, 5, 3, [](int x, int y) {
        return uint32_t(x * 40 << 16 | y * 90 << 8 | 7);
    });
    const std::vector<uint8_t> file = EncodeOrFail(rgb);
    ASSERT_EQ(file.size(), 18u + 5 * 3 * 3);
    EXPECT_EQ(file[2], 2);   // uncompressed true colour
    EXPECT_EQ(file[16], 24); // bits a pixel
    EXPECT_EQ(file[17], 0);  // descriptor: bottom row first
    // The first pixel in the file is the bottom-left one (y = 2): green 180.
    EXPECT_EQ(file[18 + 1], 180);
    Image back;
    std::string error;
    ASSERT_TRUE(TgaCodec::Decode(file, back, &error)) << error;
    EXPECT_EQ(back.format, PixelFormat::X8R8G8B8);
    EXPECT_EQ(back.pixels, rgb.pixels);

    const Image rgba = MakePicture(PixelFormat::A8R8G8B8, 4, 4,
                                   [](int x, int y) { return uint32_t((x * 60) << 24 | y); });
    const std::vector<uint8_t> alphaFile = EncodeOrFail(rgba);
    EXPECT_EQ(alphaFile[16], 32);
    ASSERT_TRUE(TgaCodec::Decode(alphaFile, back, &error)) << error;
    EXPECT_EQ(back.format, PixelFormat::A8R8G8B8);
    EXPECT_EQ(back.pixels, rgba.pixels);
}

TEST(LvTgaCodec, EachBrokenRuleIsRefused) {
    const std::vector<uint8_t> good =
        EncodeOrFail(MakePicture(PixelFormat::X8R8G8B8, 4, 2, [](int, int) { return 0x123456u; }));
    ASSERT_TRUE(TgaCodec::Validate(good));
    struct Breakage {
        const char* what;
        size_t offset;
        uint8_t value;
    };
    const Breakage breakages[] = {{"image id", 0, 4},         {"colour map", 1, 1},
                                  {"run-length type", 2, 10}, {"grey type", 2, 3},
                                  {"16 bits", 16, 16},        {"right to left", 17, 0x10},
                                  {"top down", 17, 0x20},     {"zero width", 12, 0}};
    for (const Breakage& b : breakages) {
        std::vector<uint8_t> bad = good;
        bad[b.offset] = b.value;
        Image out;
        std::string error;
        EXPECT_FALSE(TgaCodec::Decode(bad, out, &error)) << b.what;
        EXPECT_EQ(error.rfind("cannot get info", 0), 0u) << b.what << ": " << error;
        EXPECT_FALSE(TgaCodec::Validate(bad)) << b.what;
    }
    // A header announcing more pixels than the file holds.
    std::vector<uint8_t> tall = good;
    tall[14] = 200;
    EXPECT_FALSE(TgaCodec::Validate(tall));
    const std::vector<uint8_t> headerOnly(good.begin(), good.begin() + 17);
    EXPECT_FALSE(TgaCodec::Validate(headerOnly));
    const std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    Image out;
    EXPECT_FALSE(TgaCodec::Decode(cut, out));
}

TEST(LvImageCodecTable, RegistersTheFourFormatsInOrder) {
    ImageCodecTable table;
    table.Init();
    table.Init(); // a second Init starts over
    ASSERT_EQ(table.Count(), 4u);
    const char* names[] = {"bmp", "tga", "jp2", "jpc"};
    for (int i = 0; i < 4; ++i) {
        const ImageCodec* codec = table.Find(names[i]);
        ASSERT_TRUE(codec) << names[i];
        EXPECT_EQ(codec->index, i);
    }
    EXPECT_EQ(table.FindByExtension(".BMP"), table.Find("bmp"));
    EXPECT_EQ(table.FindByExtension("tex"), nullptr);
    EXPECT_STREQ(table.Find("jp2")->description,
                 "JPEG-2000 JP2 File Format Syntax (ISO/IEC 15444-1)");

    // A code stream is not a JP2 file and the other way round.
    const Image picture =
        MakePicture(PixelFormat::X8R8G8B8, 8, 8, [](int x, int) { return uint32_t(x); });
    std::vector<uint8_t> stream;
    ASSERT_TRUE(table.Find("jpc")->encode(picture, stream, nullptr));
    Image out;
    EXPECT_TRUE(table.Find("jpc")->decode(stream, out, nullptr));
    EXPECT_FALSE(table.Find("jp2")->decode(stream, out, nullptr));
}
