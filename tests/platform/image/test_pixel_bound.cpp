// The bound on a picture's pixels: JPEG and JPEG-2000 pictures beyond it
// are read smaller while they decode, every other reader refuses them from
// their headers, and a texture stretched to powers of two stays within it.
#include "platform/image/bmp.h"
#include "platform/image/dds.h"
#include "platform/image/jpeg.h"
#include "platform/image/jpeg2000.h"
#include "platform/image/resize.h"
#include "platform/image/tga.h"
#include "tests/picture_bombs.h"

#include <gtest/gtest.h>

using namespace platform::image;

namespace {

constexpr const char* kBeyond = " pixels, more than the 16777216 a picture may have";

void PutLe(std::vector<uint8_t>& file, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        file[at + size_t(i)] = uint8_t(value >> (8 * i));
}

// A file of `kind` whose header claims width x height, with the pixels of
// a 4 x 4 picture after it.
std::vector<uint8_t> Claiming(const char* kind, uint32_t width, uint32_t height,
                              bool cube = false) {
    const Image small = MakeImage(PixelFormat::X8R8G8B8, 4, 4);
    std::vector<uint8_t> file;
    if (std::string(kind) == "bmp") {
        EXPECT_TRUE(EncodeBmp(small, file));
        PutLe(file, 18, width, 4);
        PutLe(file, 22, height, 4);
    } else if (std::string(kind) == "tga") {
        EXPECT_TRUE(EncodeTga(small, file));
        PutLe(file, 12, width, 2);
        PutLe(file, 14, height, 2);
    } else {
        EXPECT_TRUE(EncodeDds(SingleLevelTexture(small), file));
        PutLe(file, 12, height, 4);
        PutLe(file, 16, width, 4);
        if (cube) PutLe(file, 4 + 108, 0xFE00, 4); // caps 2: a cube with all six faces
    }
    return file;
}

bool Decode(const char* kind, const std::vector<uint8_t>& file, std::string& error) {
    Image image;
    if (std::string(kind) == "bmp") return DecodeBmp(file, image, &error);
    if (std::string(kind) == "tga") return DecodeTga(file, image, &error);
    TextureImage texture;
    return DecodeDds(file, texture, &error);
}

// The picture turned about its diagonal.
Image Transposed(const Image& image) {
    Image out = MakeImage(image.format, image.height, image.width);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            std::copy_n(&image.pixels[(size_t(y) * size_t(image.width) + size_t(x)) * 4], 4,
                        &out.pixels[(size_t(x) * size_t(image.height) + size_t(y)) * 4]);
    return out;
}

} // namespace

TEST(PixelBound, ReadersThatCannotDecodeSmallerRefuseAPictureBeyondIt) {
    const std::pair<const char*, const char*> kinds[] = {
        {"bmp", "the bitmap"}, {"tga", "the Targa"}, {"dds", "the DDS texture"}};
    for (const auto& [kind, called] : kinds) {
        SCOPED_TRACE(kind);
        std::string error;
        EXPECT_FALSE(Decode(kind, Claiming(kind, 4097, 4096), error));
        EXPECT_EQ(error, std::string(called) + " is 4097 x 4096" + kBeyond);
        // At the bound the header passes, and the file is refused only for
        // lacking the pixels it claims.
        EXPECT_FALSE(Decode(kind, Claiming(kind, 4096, 4096), error));
        EXPECT_EQ(error.find(kBeyond), std::string::npos) << error;
        EXPECT_NE(error.find("truncated"), std::string::npos) << error;
    }
    // A cube map counts its six faces.
    std::string error;
    EXPECT_FALSE(Decode("dds", Claiming("dds", 2048, 2048, true), error));
    EXPECT_EQ(error, std::string("the DDS cube map is 2048 x 2048 x 6 faces") + kBeyond);
    EXPECT_FALSE(Decode("dds", Claiming("dds", 1024, 1024, true), error));
    EXPECT_NE(error.find("truncated"), std::string::npos) << error;
}

TEST(PixelBound, AJpegBeyondItIsReadAtTheSmallestScaleThatBringsItWithin) {
    const struct {
        int width, height, readWidth, readHeight;
    } cases[] = {
        {4096, 4096, 4096, 4096}, // at the bound: as it is
        {5000, 1000, 5000, 1000}, // wide, but within
        {4097, 4096, 2049, 2048}, // just beyond: half
        {9000, 3000, 4500, 1500}, // 27 million pixels: half
        {9000, 8000, 2250, 2000}, // 72 million: a half is still beyond, a quarter not
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        Image image;
        std::string error;
        ASSERT_TRUE(DecodeJpeg(test_support::ArithmeticFlatJpeg(c.width, c.height), image, &error))
            << error;
        EXPECT_EQ(image.width, c.readWidth);
        EXPECT_EQ(image.height, c.readHeight);
        EXPECT_EQ(image.pixels.size(), size_t(c.readWidth) * size_t(c.readHeight) * 4);
        // The top left corner is the file's own flat 8 x 8 picture.
        EXPECT_NEAR(image.pixels[0], 0x60, 2);
    }
    // A progressive JPEG keeps all its coefficients while it decodes, at any
    // scale: one beyond the bound is refused, one within it read.
    Image image;
    std::string error;
    EXPECT_FALSE(DecodeJpeg(test_support::ArithmeticFlatJpeg(4097, 4096, true), image, &error));
    EXPECT_NE(error.find("the JPEG picture is 4097 x 4096" + std::string(kBeyond) +
                         ", and is not read smaller"),
              std::string::npos)
        << error;
    EXPECT_TRUE(image.Empty());
    EXPECT_TRUE(DecodeJpeg(test_support::ArithmeticFlatJpeg(640, 480, true), image, &error))
        << error;
    EXPECT_EQ(image.width, 640);
}

TEST(PixelBound, AJpeg2000BeyondItIsReadAtASmallerResolutionItsStreamHolds) {
    // 8192 x 2100 of three components with five decompositions: one halving
    // brings it within.
    Image image;
    std::string error;
    ASSERT_TRUE(
        DecodeJpeg2000(test_support::FlatJpeg2000CodeStream(8192, 2100, 3, 5), image, &error))
        << error;
    EXPECT_EQ(image.width, 4096);
    EXPECT_EQ(image.height, 1050);
    ASSERT_EQ(image.pixels.size(), size_t(4096) * 1050 * 4);
    EXPECT_EQ(image.pixels[0], 128);
    EXPECT_EQ(image.pixels[image.pixels.size() - 2], 128);
    // 16384 x 4200 needs two halvings; a stream of one decomposition holds
    // only one.
    EXPECT_TRUE(
        DecodeJpeg2000(test_support::FlatJpeg2000CodeStream(16384, 4200, 1, 2), image, &error))
        << error;
    EXPECT_EQ(image.width, 4096);
    EXPECT_EQ(image.height, 1050);
    EXPECT_FALSE(
        DecodeJpeg2000(test_support::FlatJpeg2000CodeStream(16384, 4200, 1, 1), image, &error));
    EXPECT_NE(error.find("the JPEG-2000 picture is 16384 x 4200" + std::string(kBeyond) +
                         ", and its stream holds no resolution small enough"),
              std::string::npos)
        << error;
    // Within the bound, as it is.
    ASSERT_TRUE(DecodeJpeg2000(test_support::FlatJpeg2000CodeStream(300, 200, 3, 5), image, &error))
        << error;
    EXPECT_EQ(image.width, 300);
    EXPECT_EQ(image.height, 200);
}

TEST(PixelBound, TexturesStretchedToPowersOfTwoStayWithinIt) {
    const auto size = [](int width, int height) {
        const TextureSize s = PowerOfTwoSize(width, height);
        return std::to_string(s.width) + " x " + std::to_string(s.height);
    };
    EXPECT_EQ(size(3000, 3000), "4096 x 4096");
    EXPECT_EQ(size(300, 3), "512 x 4");
    // Rounding up would give 8192 x 4096 and 8192 x 8192: the longer side
    // is halved instead, until the texture is within the bound.
    EXPECT_EQ(size(5000, 3000), "4096 x 4096");
    EXPECT_EQ(size(4097, 4097), "4096 x 4096");
    EXPECT_EQ(size(16384, 1024), "16384 x 1024");
    EXPECT_EQ(size(16384, 1025), "8192 x 2048");

    // Of the two passes the one that leaves the smaller picture between
    // them goes first; either order gives the same pixels.
    Image picture = MakeImage(PixelFormat::A8R8G8B8, 12, 5);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = uint8_t(i * 37 % 251);
    const Image rowsFirst = ResizeImage(picture, 7, 16);
    const Image columnsFirst = ResizeImage(Transposed(picture), 16, 7);
    ASSERT_EQ(rowsFirst.width, 7);
    EXPECT_EQ(Transposed(columnsFirst).pixels, rowsFirst.pixels);
}
