// Targa files: the writer's bottom-first layout, run-length and top-down
// files, and damaged files refused.
#include "platform/image/tga.h"

#include <gtest/gtest.h>

using namespace platform::image;

namespace {

Image TwoRows(PixelFormat format) {
    // Top row: (1,2,3,4) (5,6,7,8); bottom row: (9,10,11,12) (13,14,15,16).
    Image image = MakeImage(format, 2, 2);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = uint8_t(i + 1);
    return image;
}

} // namespace

TEST(Tga, WriterPutsTheBottomRowFirst) {
    std::vector<uint8_t> file;
    std::string error;
    ASSERT_TRUE(EncodeTga(TwoRows(PixelFormat::A8R8G8B8), file, &error)) << error;
    ASSERT_EQ(file.size(), 18u + 16);
    const std::vector<uint8_t> header = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, 0};
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 18), header);
    EXPECT_EQ(file[18], 9); // the bottom row's first byte
    EXPECT_EQ(file[26], 1);

    Image back;
    ASSERT_TRUE(DecodeTga(file, back, &error)) << error;
    EXPECT_EQ(back.format, PixelFormat::A8R8G8B8);
    EXPECT_EQ(back.pixels, TwoRows(PixelFormat::A8R8G8B8).pixels);

    // X8R8G8B8 is written as 24 bits and reads back opaque.
    ASSERT_TRUE(EncodeTga(TwoRows(PixelFormat::X8R8G8B8), file, &error)) << error;
    EXPECT_EQ(file[16], 24);
    EXPECT_EQ(file.size(), 18u + 12);
    ASSERT_TRUE(DecodeTga(file, back, &error)) << error;
    EXPECT_EQ(back.format, PixelFormat::X8R8G8B8);
    EXPECT_EQ(back.pixels[0], 1);
    EXPECT_EQ(back.pixels[3], 255);
    EXPECT_EQ(back.pixels[12], 13);
}

TEST(Tga, ReadsRunLengthTopDownFiles) {
    // 3 x 2, 24 bits, type 10, top-down, an id of 2 bytes: one run of 4 red
    // pixels across the row end, then 2 literal pixels.
    const std::vector<uint8_t> file = {2, 0,   10,   0,   0, 0,  0,    0,   0,   0,    0,
                                       0, 3,   0,    2,   0, 24, 0x20, 'i', 'd', 0x83, 0,
                                       0, 255, 0x01, 255, 0, 0,  0,    255, 0};
    Image image;
    std::string error;
    ASSERT_TRUE(DecodeTga(file, image, &error)) << error;
    ASSERT_EQ(image.width, 3);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(image.pixels[size_t(i) * 4 + 2], 255) << i; // red
    EXPECT_EQ(image.pixels[16], 255);                         // blue at (1, 1)
    EXPECT_EQ(image.pixels[21], 255);                         // green at (2, 1)

    TgaHeader header;
    ASSERT_TRUE(ReadTgaHeader(file, header));
    EXPECT_EQ(header.bitsPerPixel, 24);
    EXPECT_EQ(header.descriptor, 0x20);
}

TEST(Tga, DamagedFilesAreRefused) {
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodeTga(TwoRows(PixelFormat::A8R8G8B8), file));
    Image image;
    std::string error;
    for (size_t size : {size_t(0), size_t(17), size_t(18), file.size() - 1}) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + long(size));
        EXPECT_FALSE(DecodeTga(cut, image, &error)) << size;
    }
    std::vector<uint8_t> mapped = file;
    mapped[2] = 1; // colour-mapped
    EXPECT_FALSE(DecodeTga(mapped, image, &error));
    std::vector<uint8_t> deep = file;
    deep[16] = 48;
    EXPECT_FALSE(DecodeTga(deep, image, &error));
    // A run longer than the picture.
    const std::vector<uint8_t> runaway = {0, 0, 10, 0, 0, 0,  0, 0,    0, 0, 0,
                                          0, 1, 0,  1, 0, 24, 0, 0x81, 1, 2, 3};
    EXPECT_FALSE(DecodeTga(runaway, image, &error));
    EXPECT_NE(error.find("run"), std::string::npos);
}

TEST(Tga, RunLengthPicturesAreBoundByWhatTheirPacketsHold) {
    // 256 x 1, 24 bits, top-down: two repeat packets of 128 pixels, the most
    // that 8 bytes of packets can give.
    std::vector<uint8_t> file = {0, 0, 10, 0,  0,    0,    0,  0,  0,  0,    0,  0,  0,
                                 1, 1, 0,  24, 0x20, 0xFF, 10, 20, 30, 0xFF, 40, 50, 60};
    Image image;
    std::string error;
    ASSERT_TRUE(DecodeTga(file, image, &error)) << error;
    ASSERT_EQ(image.width, 256);
    EXPECT_EQ(std::vector<uint8_t>(image.pixels.begin(), image.pixels.begin() + 4),
              (std::vector<uint8_t>{10, 20, 30, 255}));
    EXPECT_EQ(std::vector<uint8_t>(image.pixels.end() - 4, image.pixels.end()),
              (std::vector<uint8_t>{40, 50, 60, 255}));

    // One pixel more than the packets could ever hold is refused from the
    // header, before anything is unpacked.
    file[12] = 1; // 257 wide
    EXPECT_FALSE(DecodeTga(file, image, &error));
    EXPECT_NE(error.find("cannot hold"), std::string::npos) << error;

    // A damaged header claiming 4096 x 4096 over a few packets.
    std::vector<uint8_t> huge = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0x10, 32, 0};
    for (int i = 0; i < 10; ++i)
        huge.insert(huge.end(), {0xFF, 1, 2, 3, 4});
    EXPECT_FALSE(DecodeTga(huge, image, &error));
    EXPECT_NE(error.find("cannot hold"), std::string::npos) << error;
    huge[13] = huge[15] = 0xFF; // 65535 a side: beyond what any reader takes
    EXPECT_FALSE(DecodeTga(huge, image, &error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    EXPECT_EQ(image.width, 256) << "a refused file leaves the picture alone";
}
