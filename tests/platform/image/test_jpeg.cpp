// JPEG through libjpeg-turbo: a written picture reads back close to what
// was written, and broken streams are refused quietly with a reason.
#include "platform/image/jpeg.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace platform::image;

namespace {

Image Gradient(int width, int height) {
    Image image = MakeImage(PixelFormat::X8R8G8B8, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = image.pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
            p[0] = uint8_t(x * 255 / (width - 1));
            p[1] = uint8_t(y * 255 / (height - 1));
            p[2] = 200;
            p[3] = 0;
        }
    return image;
}

} // namespace

TEST(Jpeg, EncodedPictureDecodesCloseToTheOriginal) {
    const Image source = Gradient(40, 24);
    std::vector<uint8_t> file;
    std::string error;
    ASSERT_TRUE(EncodeJpeg(source, 95, file, &error)) << error;
    Image back;
    ASSERT_TRUE(DecodeJpeg(file, back, &error)) << error;
    EXPECT_EQ(back.format, PixelFormat::X8R8G8B8);
    ASSERT_EQ(back.width, 40);
    ASSERT_EQ(back.height, 24);
    int worst = 0;
    for (size_t i = 0; i < back.pixels.size(); ++i) {
        if (i % 4 == 3) {
            EXPECT_EQ(back.pixels[i], 255);
            continue;
        }
        worst = std::max(worst, std::abs(int(back.pixels[i]) - int(source.pixels[i])));
    }
    EXPECT_LE(worst, 12);
}

TEST(Jpeg, BrokenStreamsAreRefused) {
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodeJpeg(Gradient(16, 16), 80, file));
    Image image;
    std::string error;
    const std::vector<uint8_t> notJpeg = {'B', 'M', 0, 0};
    EXPECT_FALSE(DecodeJpeg(notJpeg, image, &error));
    std::vector<uint8_t> headerOnly(file.begin(), file.begin() + 20);
    EXPECT_FALSE(DecodeJpeg(headerOnly, image, &error));
    EXPECT_NE(error.find("JPEG"), std::string::npos);
    std::vector<uint8_t> mangled = file;
    for (size_t i = 2; i < 200 && i < mangled.size(); ++i)
        mangled[i] = 0x5A;
    EXPECT_FALSE(DecodeJpeg(mangled, image, &error));
    EXPECT_FALSE(EncodeJpeg(Gradient(4, 4), 0, file, &error));
    EXPECT_FALSE(EncodeJpeg(MakeImage(PixelFormat::R5G6B5, 4, 4), 80, file, &error));
}

TEST(Jpeg, AHeaderClaimingMoreThanItsDataCanHoldIsRefused) {
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodeJpeg(Gradient(16, 16), 80, file));
    size_t frame = 0;
    for (size_t i = 2; i + 8 < file.size() && !frame; ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xC0) frame = i;
    ASSERT_NE(frame, 0u);
    // Height and width (big-endian, after the length and the precision):
    // 16384 x 16384 from a few hundred bytes of data.
    for (size_t at : {frame + 5, frame + 7}) {
        file[at] = 0x40;
        file[at + 1] = 0;
    }
    Image image;
    std::string error;
    EXPECT_FALSE(DecodeJpeg(file, image, &error));
    EXPECT_NE(error.find("cannot hold a 16384 x 16384"), std::string::npos) << error;
    EXPECT_TRUE(image.Empty());
}
