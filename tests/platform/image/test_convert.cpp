// Pixel work: format conversion, DXT through libsquish, mip chains,
// stretching to powers of two and normals from heights.
#include "platform/image/convert.h"
#include "platform/image/dxt.h"
#include "platform/image/mipmap.h"
#include "platform/image/normal_map.h"
#include "platform/image/resize.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

using namespace platform::image;

namespace {

// Opaque black, white, red, half-transparent blue.
Image FourColours() {
    Image image = MakeImage(PixelFormat::A8R8G8B8, 2, 2);
    image.pixels = {0, 0, 0, 255, 255, 255, 255, 255, 0, 0, 255, 255, 255, 0, 0, 128};
    return image;
}

Image Filled(PixelFormat format, int width, int height, uint8_t b, uint8_t g, uint8_t r,
             uint8_t a) {
    Image image = MakeImage(format, width, height);
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        image.pixels[i] = b, image.pixels[i + 1] = g, image.pixels[i + 2] = r,
        image.pixels[i + 3] = a;
    }
    return image;
}

} // namespace

TEST(ImageConvert, PureColoursSurviveEveryFormat) {
    const Image source = FourColours();
    for (PixelFormat f :
         {PixelFormat::R8G8B8, PixelFormat::X8R8G8B8, PixelFormat::R5G6B5, PixelFormat::X1R5G5B5,
          PixelFormat::A1R5G5B5, PixelFormat::A4R4G4B4, PixelFormat::X4R4G4B4}) {
        SCOPED_TRACE(FormatName(f));
        Image converted;
        std::string error;
        ASSERT_TRUE(ConvertImage(source, f, converted, &error)) << error;
        EXPECT_EQ(converted.pixels.size(), LevelSize(f, 2, 2));
        const Image back = ToBgra8(converted);
        for (size_t i = 0; i < 16; ++i) {
            if (i % 4 != 3) {
                EXPECT_EQ(back.pixels[i], source.pixels[i]) << "byte " << i;
            } else if (!HasAlphaChannel(f)) {
                EXPECT_EQ(back.pixels[i], 255);
            }
        }
    }
    // Narrowing keeps the top bits: (255, 128, 128) as 5-6-5 is 0xFC10.
    Image bump = Filled(PixelFormat::X8R8G8B8, 1, 1, 255, 128, 128, 255);
    Image packed;
    ASSERT_TRUE(ConvertImage(bump, PixelFormat::R5G6B5, packed));
    EXPECT_EQ(packed.pixels[0] | packed.pixels[1] << 8, 0x841F);
    // The alpha nibble of A4R4G4B4 is the top of the alpha byte.
    ASSERT_TRUE(ConvertImage(FourColours(), PixelFormat::A4R4G4B4, packed));
    EXPECT_EQ(packed.pixels[2] | packed.pixels[3] << 8, 0xFFFF);
    EXPECT_EQ(packed.pixels[6] | packed.pixels[7] << 8, 0x800F);
}

TEST(ImageConvert, DxtBlocksKeepColourAndAlpha) {
    // 6 x 5: not a multiple of the block size.
    const Image half = Filled(PixelFormat::A8R8G8B8, 6, 5, 0, 0, 255, 64);
    for (PixelFormat f : {PixelFormat::DXT3, PixelFormat::DXT5}) {
        SCOPED_TRACE(FormatName(f));
        Image blocks;
        std::string error;
        ASSERT_TRUE(ConvertImage(half, f, blocks, &error)) << error;
        EXPECT_EQ(blocks.pixels.size(), size_t(4 * 16));
        const Image back = ToBgra8(blocks);
        ASSERT_EQ(back.width, 6);
        EXPECT_EQ(back.pixels[2], 255);
        EXPECT_EQ(back.pixels[0], 0);
        if (f == PixelFormat::DXT5) {
            EXPECT_NEAR(back.pixels[3], 64, 2);
        } else if (f == PixelFormat::DXT3) {
            EXPECT_NEAR(back.pixels[3], 64, 9);
        }
    }
    // A picture without alpha never becomes see-through DXT1, whatever its
    // unused alpha bytes hold.
    const Image opaque = Filled(PixelFormat::X8R8G8B8, 6, 5, 200, 100, 50, 0);
    Image blocks;
    ASSERT_TRUE(ConvertImage(opaque, PixelFormat::DXT1, blocks));
    EXPECT_EQ(blocks.pixels.size(), size_t(4 * 8));
    const Image back = ToBgra8(blocks);
    for (size_t i = 3; i < back.pixels.size(); i += 4)
        EXPECT_EQ(back.pixels[i], 255);
    EXPECT_NEAR(back.pixels[0], 200, 4);
    EXPECT_NEAR(back.pixels[1], 100, 4);
    EXPECT_NEAR(back.pixels[2], 50, 4);
}

TEST(ImageConvert, DxtBlocksDecodeInPlace) {
    // 10 x 7: three block columns, two rows, the last of each cut short.
    // Every block has a colour of its own; a block decoded into the wrong
    // place shows another block's colour.
    const int width = 10, height = 7;
    Image source = MakeImage(PixelFormat::X8R8G8B8, width, height);
    auto colourOf = [](int x, int y) {
        const int block = (y / 4) * 3 + x / 4;
        return std::array<uint8_t, 3>{uint8_t(40 * block), uint8_t(250 - 40 * block),
                                      uint8_t(block % 2 ? 255 : 0)};
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto c = colourOf(x, y);
            uint8_t* p = source.pixels.data() + (size_t(y) * width + size_t(x)) * 4;
            p[0] = c[0], p[1] = c[1], p[2] = c[2], p[3] = 255;
        }
    for (PixelFormat f : {PixelFormat::DXT1, PixelFormat::DXT3, PixelFormat::DXT5}) {
        SCOPED_TRACE(FormatName(f));
        Image blocks;
        ASSERT_TRUE(ConvertImage(source, f, blocks));
        const Image back = DecompressDxt(blocks);
        ASSERT_EQ(back.width, width);
        ASSERT_EQ(back.height, height);
        ASSERT_EQ(back.pixels.size(), size_t(width * height * 4));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const auto c = colourOf(x, y);
                const uint8_t* p = back.pixels.data() + (size_t(y) * width + size_t(x)) * 4;
                for (int k = 0; k < 3; ++k)
                    ASSERT_NEAR(p[k], c[size_t(k)], 8) << "pixel " << x << "," << y;
                ASSERT_EQ(p[3], 255);
            }
    }
    // Blocks that do not match the picture's size give nothing.
    Image tooShort = MakeImage(PixelFormat::DXT1, width, height);
    tooShort.pixels.pop_back();
    EXPECT_TRUE(DecompressDxt(tooShort).pixels.empty());
}

TEST(ImageConvert, RefusesWhatCannotBeConverted) {
    Image bad = FourColours();
    bad.pixels.pop_back();
    Image out;
    std::string error;
    EXPECT_FALSE(ConvertImage(bad, PixelFormat::R5G6B5, out, &error));
    EXPECT_FALSE(ConvertImage(FourColours(), PixelFormat::Unknown, out, &error));
    EXPECT_TRUE(ToBgra8(bad).Empty());
    EXPECT_FALSE(CompressDxt(FourColours(), PixelFormat::R5G6B5, out, &error));
}

TEST(ImageMips, BoxFilterHalvesDownToOnePixel) {
    // 4 x 2: left half black, right half white; alpha 0 and 255 alternate.
    Image top = MakeImage(PixelFormat::A8R8G8B8, 4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* p = top.pixels.data() + (y * 4 + x) * 4;
            p[0] = p[1] = p[2] = x < 2 ? 0 : 255;
            p[3] = x % 2 ? 255 : 0;
        }
    const auto chain = BuildMipChain(top);
    ASSERT_EQ(chain.size(), 3u);
    EXPECT_EQ(chain[1].width, 2);
    EXPECT_EQ(chain[1].height, 1);
    EXPECT_EQ(chain[1].pixels[0], 0);
    EXPECT_EQ(chain[1].pixels[4], 255);
    EXPECT_EQ(chain[1].pixels[3], 128);
    EXPECT_EQ(chain[2].width, 1);
    EXPECT_EQ(chain[2].pixels[0], 128);
    EXPECT_EQ(BuildMipChain(top, 2).size(), 2u);
    EXPECT_EQ(FullMipCount(256, 64), 9);
    EXPECT_EQ(MipSide(5, 1), 2);
    EXPECT_EQ(MipSide(5, 9), 1);
}

TEST(ImageResize, StretchesToPowersOfTwoWithoutChangingFlatColour) {
    const Image flat = Filled(PixelFormat::X8R8G8B8, 5, 3, 10, 20, 30, 255);
    const Image stretched = StretchToPowerOfTwo(flat);
    ASSERT_EQ(stretched.width, 8);
    ASSERT_EQ(stretched.height, 4);
    for (size_t i = 0; i < stretched.pixels.size(); i += 4) {
        EXPECT_EQ(stretched.pixels[i], 10);
        EXPECT_EQ(stretched.pixels[i + 2], 30);
    }
    EXPECT_EQ(StretchToPowerOfTwo(Filled(PixelFormat::X8R8G8B8, 16, 1, 0, 0, 0, 0)).width, 16);
    EXPECT_EQ(NextPowerOfTwo(257), 512);
    EXPECT_EQ(NextPowerOfTwo(0), 1);

    // Shrinking a one-pixel checkerboard by 4 averages it to grey.
    Image checker = MakeImage(PixelFormat::X8R8G8B8, 16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            for (int c = 0; c < 3; ++c)
                checker.pixels[size_t(y * 16 + x) * 4 + size_t(c)] = (x + y) % 2 ? 255 : 0;
    const Image small = ResizeImage(checker, 4, 4);
    for (size_t i = 0; i < small.pixels.size(); i += 4)
        EXPECT_NEAR(small.pixels[i], 128, 20);
}

TEST(ImageNormals, SlopesTiltTheNormalAwayFromTheRise) {
    // Flat ground points straight up: bytes 128, 128, 255.
    const std::vector<float> flat(6, 2.0f);
    for (const SurfaceNormal& n : NormalsFromHeights(flat, 3, 2)) {
        EXPECT_EQ(NormalComponentToByte(n.x), 128);
        EXPECT_EQ(NormalComponentToByte(n.y), 128);
        EXPECT_EQ(NormalComponentToByte(n.z), 255);
    }
    // Rising to the right by 1 a pixel: (-1, 0, 1) / sqrt 2; the last column
    // has no right neighbour and stays flat.
    const std::vector<float> ramp = {0, 1, 2};
    const auto normals = NormalsFromHeights(ramp, 3, 1);
    ASSERT_EQ(normals.size(), 3u);
    EXPECT_NEAR(normals[0].x, -0.7071f, 1e-4);
    EXPECT_NEAR(normals[0].z, 0.7071f, 1e-4);
    EXPECT_FLOAT_EQ(normals[2].z, 1.0f);
    EXPECT_TRUE(NormalsFromHeights(ramp, 2, 2).empty());
}
