// PNG through libpng: a picture reads back as written, and a header that
// claims more than the file's data could hold, or more than the pixel
// bound, is refused.
#include "platform/image/png.h"

#include <gtest/gtest.h>

using namespace platform::image;

namespace {

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

void PutBigEndian(std::vector<uint8_t>& file, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        file[at + size_t(i)] = uint8_t(value >> (24 - 8 * i));
}

} // namespace

TEST(Png, AHeaderClaimingMoreThanItsDataCanHoldIsRefused) {
    Image picture = MakeImage(PixelFormat::A8R8G8B8, 4, 3);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = uint8_t(i * 9);
    std::vector<uint8_t> file;
    std::string error;
    ASSERT_TRUE(EncodePng(picture, true, file, &error)) << error;
    Image back;
    ASSERT_TRUE(DecodePng(file, back, &error)) << error;
    EXPECT_EQ(back.pixels, picture.pixels);

    // The header chunk (signature 8, length 4, "IHDR" 4, then width and
    // height) rewritten to 4096 x 4096, with its check sum mended.
    PutBigEndian(file, 16, 4096);
    PutBigEndian(file, 20, 4096);
    PutBigEndian(file, 29, Crc32(&file[12], 17));
    Image refused;
    EXPECT_FALSE(DecodePng(file, refused, &error));
    EXPECT_NE(error.find("cannot hold a 4096 x 4096"), std::string::npos) << error;
    EXPECT_TRUE(refused.Empty());
    // A pixel more a row is beyond the bound on any picture.
    PutBigEndian(file, 16, 4097);
    PutBigEndian(file, 29, Crc32(&file[12], 17));
    EXPECT_FALSE(DecodePng(file, refused, &error));
    EXPECT_EQ(error, "the PNG picture is 4097 x 4096 pixels, more than the 16777216 a picture may "
                     "have");
}
