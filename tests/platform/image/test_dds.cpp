// DDS files: the header the engines write, round trips of mip chains and
// cube maps, foreign mask layouts, bump offsets, the header reader on its
// own, and damaged files refused.
#include "platform/image/dds.h"

#include "platform/image/convert.h"

#include <gtest/gtest.h>

using namespace platform::image;

namespace {

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

// A texture whose every byte differs from its neighbours, so mixed-up levels
// or faces show.
TextureImage Patterned(PixelFormat format, int width, int height, int mips, bool cube) {
    TextureImage t;
    t.format = format;
    t.width = width;
    t.height = height;
    t.mipCount = mips;
    t.cube = cube;
    uint8_t next = 1;
    for (int f = 0; f < t.FaceCount(); ++f)
        for (int m = 0; m < mips; ++m) {
            Image level = MakeImage(format, MipSide(width, m), MipSide(height, m));
            for (uint8_t& b : level.pixels)
                b = next++;
            t.levels.push_back(level);
        }
    return t;
}

// Offsets below count from the start of the file (4-byte magic first).
struct HeaderCase {
    PixelFormat format;
    uint32_t pfFlags, fourCC, bits, red, green, blue, alpha;
};

} // namespace

TEST(Dds, WriterHeaderFollowsTheFormatTable) {
    const HeaderCase cases[] = {
        {PixelFormat::R8G8B8, 0x40, 0, 24, 0xFF0000, 0xFF00, 0xFF, 0},
        {PixelFormat::A8R8G8B8, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
        {PixelFormat::X8R8G8B8, 0x40, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0},
        {PixelFormat::R5G6B5, 0x40, 0, 16, 0xF800, 0x7E0, 0x1F, 0},
        {PixelFormat::X1R5G5B5, 0x40, 0, 16, 0x7C00, 0x3E0, 0x1F, 0},
        {PixelFormat::A1R5G5B5, 0x41, 0, 16, 0x7C00, 0x3E0, 0x1F, 0x8000},
        {PixelFormat::A4R4G4B4, 0x41, 0, 16, 0xF00, 0xF0, 0xF, 0xF000},
        {PixelFormat::X4R4G4B4, 0x40, 0, 16, 0xF00, 0xF0, 0xF, 0},
        {PixelFormat::V8U8, 0x80000, 0, 16, 0xFF, 0xFF00, 0, 0},
        {PixelFormat::DXT1, 0x4, MakeFourCC('D', 'X', 'T', '1'), 0, 0, 0, 0, 0},
        {PixelFormat::DXT5, 0x4, MakeFourCC('D', 'X', 'T', '5'), 0, 0, 0, 0, 0},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(FormatName(c.format));
        const TextureImage t = Patterned(c.format, 8, 4, 3, false);
        std::vector<uint8_t> file;
        std::string error;
        ASSERT_TRUE(EncodeDds(t, file, &error)) << error;
        size_t levels = 0;
        for (const Image& l : t.levels)
            levels += l.pixels.size();
        ASSERT_EQ(file.size(), kDdsHeaderSize + levels);
        EXPECT_EQ(U32At(file, 0), MakeFourCC('D', 'D', 'S', ' '));
        EXPECT_EQ(U32At(file, 4), 124u);
        EXPECT_EQ(U32At(file, 8), 0x1007u);
        EXPECT_EQ(U32At(file, 12), 4u); // height
        EXPECT_EQ(U32At(file, 16), 8u); // width
        EXPECT_EQ(U32At(file, 20), 0u); // pitch
        EXPECT_EQ(U32At(file, 24), 0u); // depth
        EXPECT_EQ(U32At(file, 28), 3u); // mip levels
        for (size_t at = 32; at < 76; at += 4)
            EXPECT_EQ(U32At(file, at), 0u);
        EXPECT_EQ(U32At(file, 76), 32u);
        EXPECT_EQ(U32At(file, 80), c.pfFlags);
        EXPECT_EQ(U32At(file, 84), c.fourCC);
        EXPECT_EQ(U32At(file, 88), c.bits);
        EXPECT_EQ(U32At(file, 92), c.red);
        EXPECT_EQ(U32At(file, 96), c.green);
        EXPECT_EQ(U32At(file, 100), c.blue);
        EXPECT_EQ(U32At(file, 104), c.alpha);
        EXPECT_EQ(U32At(file, 108), 0x1800u);
        for (size_t at = 112; at < 128; at += 4)
            EXPECT_EQ(U32At(file, at), 0u);
        // The engines' files carry the mip count without its flag; it is read.
        TextureImage back;
        ASSERT_TRUE(DecodeDds(file, back, &error)) << error;
        EXPECT_EQ(back.format, c.format);
        ASSERT_EQ(back.mipCount, 3);
        for (int m = 0; m < 3; ++m)
            EXPECT_EQ(back.Level(0, m).pixels, t.Level(0, m).pixels) << "level " << m;
    }
}

TEST(Dds, CubeMapsKeepTheirSixFaces) {
    const TextureImage cube = Patterned(PixelFormat::X8R8G8B8, 4, 4, 2, true);
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodeDds(cube, file));
    EXPECT_EQ(U32At(file, 108), 0x1808u);
    EXPECT_EQ(U32At(file, 112), 0xFE00u);
    TextureImage back;
    std::string error;
    ASSERT_TRUE(DecodeDds(file, back, &error)) << error;
    ASSERT_TRUE(back.cube);
    ASSERT_EQ(back.levels.size(), 12u);
    for (int f = 0; f < 6; ++f)
        EXPECT_EQ(back.Level(f, 1).pixels, cube.Level(f, 1).pixels) << "face " << f;

    // A cube that lacks a face is refused.
    std::vector<uint8_t> partial = file;
    partial[113] = 0x7E; // -Z missing
    EXPECT_FALSE(DecodeDds(partial, back, &error));
    EXPECT_NE(error.find("face"), std::string::npos);
}

TEST(Dds, ForeignMaskLayoutsBecomeBgra) {
    // 2 x 1, 32-bit with red in the low byte (A8B8G8R8), with alpha.
    std::vector<uint8_t> file(kDdsHeaderSize, 0);
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    put(0, MakeFourCC('D', 'D', 'S', ' '));
    put(4, 124);
    put(8, 0x1007);
    put(12, 1);
    put(16, 2);
    put(28, 5); // a mip count without its flag
    put(80, 0x41);
    put(88, 32);
    put(92, 0xFF);
    put(96, 0xFF00);
    put(100, 0xFF0000);
    put(104, 0xFF000000);
    for (uint8_t b : {10, 20, 30, 40, 50, 60, 70, 80})
        file.push_back(b);
    TextureImage t;
    std::string error;
    // Five levels are more than a 2 x 1 picture has.
    EXPECT_FALSE(DecodeDds(file, t, &error));
    // Two are possible, but the second level's bytes are not there.
    put(28, 2);
    EXPECT_FALSE(DecodeDds(file, t, &error));
    EXPECT_NE(error.find("truncated"), std::string::npos);
    put(28, 0);
    ASSERT_TRUE(DecodeDds(file, t, &error)) << error;
    EXPECT_EQ(t.mipCount, 1);
    EXPECT_EQ(t.format, PixelFormat::A8R8G8B8);
    const std::vector<uint8_t> bgra = {30, 20, 10, 40, 70, 60, 50, 80};
    EXPECT_EQ(t.Level(0, 0).pixels, bgra);
}

TEST(Dds, DamagedFilesAreRefused) {
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodeDds(Patterned(PixelFormat::DXT1, 8, 8, 4, false), file));
    TextureImage t;
    std::string error;
    for (size_t size :
         {size_t(0), size_t(3), size_t(60), kDdsHeaderSize - 1, kDdsHeaderSize, file.size() - 1}) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + long(size));
        error.clear();
        EXPECT_FALSE(DecodeDds(cut, t, &error)) << size;
        EXPECT_FALSE(error.empty());
    }
    // With the mip-count flag as without it, missing levels refuse.
    std::vector<uint8_t> flagged = file;
    flagged[10] |= 0x02; // flags 0x21007
    flagged.resize(file.size() - 8);
    EXPECT_FALSE(DecodeDds(flagged, t, &error));
    EXPECT_NE(error.find("truncated"), std::string::npos);

    std::vector<uint8_t> wide = file;
    wide[17] = 0x01; // width 264 + ...
    wide[18] = 0x01;
    EXPECT_FALSE(DecodeDds(wide, t, &error));
    std::vector<uint8_t> odd = file;
    odd[84] = 'X';
    EXPECT_FALSE(DecodeDds(odd, t, &error));
    std::vector<uint8_t> small = file;
    small[4] = 100;
    EXPECT_FALSE(DecodeDds(small, t, &error));

    TextureImage unwritable = Patterned(PixelFormat::R8G8B8, 4, 4, 1, false);
    unwritable.format = unwritable.levels[0].format = PixelFormat::Unknown;
    EXPECT_FALSE(EncodeDds(unwritable, file, &error));
    TextureImage mismatched = Patterned(PixelFormat::R8G8B8, 4, 4, 2, false);
    mismatched.levels[1].pixels.pop_back();
    EXPECT_FALSE(EncodeDds(mismatched, file, &error));
}

TEST(Dds, TheHeaderReaderTellsItsFailuresApart) {
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodeDds(Patterned(PixelFormat::R5G6B5, 8, 8, 1, false), file));
    DdsHeader header;
    ASSERT_EQ(ReadDdsHeader(file, header), DdsHeaderStatus::Ok);
    EXPECT_EQ(header.width, 8u);
    EXPECT_EQ(header.pixelFormat.bits, 16u);
    EXPECT_EQ(DdsUncompressedFormat(header), PixelFormat::R5G6B5);
    EXPECT_EQ(ReadDdsHeader(std::span(file).first(100), header), DdsHeaderStatus::Truncated);
    std::vector<uint8_t> resized = file;
    resized[4] = 100;
    EXPECT_EQ(ReadDdsHeader(resized, header), DdsHeaderStatus::BadSize);
    resized[0] = 'P';
    EXPECT_EQ(ReadDdsHeader(resized, header), DdsHeaderStatus::NotDds);
    // Bump offsets of another layout are not taken for V8U8, nor for colour.
    ASSERT_EQ(ReadDdsHeader(file, header), DdsHeaderStatus::Ok);
    header.pixelFormat.flags = 0x80000;
    EXPECT_EQ(DdsUncompressedFormat(header), PixelFormat::Unknown);
    TextureImage back;
    std::string error;
    file[80] = 0x00;
    file[82] = 0x08; // the bump flag with the 5:6:5 masks
    EXPECT_FALSE(DecodeDds(file, back, &error));
    EXPECT_NE(error.find("bump"), std::string::npos);
}

TEST(Dds, BumpOffsetsAreNotConvertedAsColours) {
    const TextureImage bump = Patterned(PixelFormat::V8U8, 8, 8, 1, false);
    Image out;
    EXPECT_FALSE(ConvertImage(bump.Level(0, 0), PixelFormat::A8R8G8B8, out));
    EXPECT_TRUE(ToBgra8(bump.Level(0, 0)).Empty());
    EXPECT_TRUE(ConvertImage(bump.Level(0, 0), PixelFormat::V8U8, out));
}
