// Bitmap files: the 24-bit writer's exact bytes and what the reader accepts.
#include "platform/image/bmp.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace platform::image;

namespace {

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

// A 3 x 2 picture, top row red green blue, bottom row white black grey.
Image SmallPicture() {
    Image image = MakeImage(PixelFormat::A8R8G8B8, 3, 2);
    const uint8_t bgra[6][4] = {{0, 0, 255, 9},     {0, 255, 0, 9}, {255, 0, 0, 9},
                                {255, 255, 255, 9}, {0, 0, 0, 9},   {128, 128, 128, 9}};
    std::memcpy(image.pixels.data(), bgra, sizeof bgra);
    return image;
}

} // namespace

TEST(Bmp, WriterGivesTheScreenshotLayout) {
    std::vector<uint8_t> file;
    std::string error;
    ASSERT_TRUE(EncodeBmp(SmallPicture(), file, &error)) << error;
    // Rows of 3 x 3 = 9 bytes are padded to 12.
    ASSERT_EQ(file.size(), 54u + 2 * 12);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32At(file, 2), 54u + 24);
    EXPECT_EQ(U32At(file, 6), 0u);
    EXPECT_EQ(U32At(file, 10), 54u);
    EXPECT_EQ(U32At(file, 14), 40u);
    EXPECT_EQ(U32At(file, 18), 3u);
    EXPECT_EQ(U32At(file, 22), 2u);
    EXPECT_EQ(file[26] | file[27] << 8, 1);
    EXPECT_EQ(file[28] | file[29] << 8, 24);
    for (size_t at = 30; at < 54; at += 4)
        EXPECT_EQ(U32At(file, at), 0u) << "info header byte " << at;
    // The bottom row comes first: white, black, grey, then three pad bytes.
    const uint8_t firstRow[12] = {255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0};
    EXPECT_EQ(std::memcmp(file.data() + 54, firstRow, 12), 0);
    const uint8_t secondRow[12] = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(file.data() + 66, secondRow, 12), 0);
}

TEST(Bmp, WrittenFileReadsBackOpaque) {
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodeBmp(SmallPicture(), file));
    Image back;
    std::string error;
    ASSERT_TRUE(DecodeBmp(file, back, &error)) << error;
    EXPECT_EQ(back.format, PixelFormat::X8R8G8B8);
    ASSERT_EQ(back.width, 3);
    ASSERT_EQ(back.height, 2);
    Image expected = SmallPicture();
    for (size_t i = 0; i < expected.pixels.size(); ++i)
        EXPECT_EQ(back.pixels[i], i % 4 == 3 ? 255 : expected.pixels[i]) << "byte " << i;
}

TEST(Bmp, ReadsPalettedTopDownAndMaskedKinds) {
    // 4-bit, top-down (negative height), 2 x 2, palette of two entries.
    std::vector<uint8_t>
        file = {'B',  'M', 0,  0, 0,    0,  0,  0, 0,    0,    62,   0,    0, 0, // file header
                40,   0,   0,  0, 2,    0,  0,  0, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0,
                4,    0,   0,  0, 0,    0,  0,  0, 0,    0,    0,    0,    0, 0,
                0,    0,   0,  0, 2,    0,  0,  0, 0,    0,    0,    0, // two palette entries used
                10,   20,  30, 0, 40,   50, 60, 0,                      // palette
                0x01, 0,   0,  0, 0x10, 0,  0,  0};                     // rows: (0,1) then (1,0)
    Image image;
    std::string error;
    ASSERT_TRUE(DecodeBmp(file, image, &error)) << error;
    ASSERT_EQ(image.height, 2);
    EXPECT_EQ(image.pixels[0], 10);  // top-left: entry 0
    EXPECT_EQ(image.pixels[4], 40);  // top-right: entry 1
    EXPECT_EQ(image.pixels[8], 40);  // bottom-left: entry 1
    EXPECT_EQ(image.pixels[14], 30); // bottom-right: entry 0, red

    // 16-bit 5-6-5 through bit masks after the 40-byte header, one pixel.
    std::vector<uint8_t> masked = {
        'B',  'M',  0, 0, 0,    0,    0, 0, 0,    0, 66, 0, 0,    0,    40, 0, 0, 0,
        1,    0,    0, 0, 1,    0,    0, 0, 1,    0, 16, 0, 3,    0,    0,  0, 0, 0,
        0,    0,    0, 0, 0,    0,    0, 0, 0,    0, 0,  0, 0,    0,    0,  0, 0, 0,
        0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0,  0, 0x1F, 0xF8, 0,  0}; // red and blue
                                                                                // full, green 0
    ASSERT_TRUE(DecodeBmp(masked, image, &error)) << error;
    EXPECT_EQ(image.pixels[0], 255);
    EXPECT_EQ(image.pixels[1], 0);
    EXPECT_EQ(image.pixels[2], 255);
}

TEST(Bmp, RefusesDamagedFiles) {
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodeBmp(SmallPicture(), file));
    std::string error;
    Image image;
    // Every cut short of the whole file is refused with a reason.
    for (size_t size : {size_t(0), size_t(10), size_t(40), size_t(54), file.size() - 1}) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + long(size));
        error.clear();
        EXPECT_FALSE(DecodeBmp(cut, image, &error)) << size;
        EXPECT_FALSE(error.empty());
    }
    std::vector<uint8_t> huge = file;
    huge[18] = 0xFF; // width 255 + ...
    huge[21] = 0x7F;
    EXPECT_FALSE(DecodeBmp(huge, image, &error));
    std::vector<uint8_t> rle = file;
    rle[30] = 1; // run-length compression
    EXPECT_FALSE(DecodeBmp(rle, image, &error));
    EXPECT_NE(error.find("compressed"), std::string::npos);
    EXPECT_FALSE(EncodeBmp(MakeImage(PixelFormat::DXT1, 4, 4), file, &error));
}
