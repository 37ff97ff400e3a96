// Picture sizes read from headers alone, for callers that refuse a picture
// before decoding it: every kind the loaders read gives width and height
// the right way round, and a header that is cut short gives none.
#include "platform/image/bmp.h"
#include "platform/image/dds.h"
#include "platform/image/jpeg.h"
#include "platform/image/picture.h"
#include "platform/image/tga.h"

#include <gtest/gtest.h>

using namespace platform::image;

TEST(PictureSize, HeadersGiveTheSizeOfEveryKind) {
    const Image picture = MakeImage(PixelFormat::X8R8G8B8, 40, 24);
    std::vector<std::pair<const char*, std::vector<uint8_t>>> files(4);
    files[0].first = "JPEG";
    ASSERT_TRUE(EncodeJpeg(picture, 90, files[0].second));
    files[1].first = "BMP";
    ASSERT_TRUE(EncodeBmp(picture, files[1].second));
    files[2].first = "TGA";
    ASSERT_TRUE(EncodeTga(picture, files[2].second));
    files[3].first = "DDS";
    ASSERT_TRUE(EncodeDds(SingleLevelTexture(picture), files[3].second));
    for (const auto& [kind, bytes] : files) {
        SCOPED_TRACE(kind);
        int width = 0, height = 0;
        std::string error;
        ASSERT_TRUE(ReadPictureSize(bytes, width, height, &error)) << error;
        EXPECT_EQ(width, 40);
        EXPECT_EQ(height, 24);
        // Cut inside the header: no size, and no crash.
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 12);
        EXPECT_FALSE(ReadPictureSize(cut, width, height, &error));
        EXPECT_FALSE(error.empty());
    }
}
