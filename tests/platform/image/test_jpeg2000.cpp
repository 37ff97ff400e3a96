// JPEG-2000 through OpenJPEG: lossless pictures come back exactly, every
// component layout the installed textures may use becomes 8-bit BGRA, and
// damaged, oversized or foreign streams are refused quietly.
#include "platform/image/jpeg2000.h"

#include <gtest/gtest.h>
#include <openjpeg.h>

#include <cstring>
#include <functional>

using namespace platform::image;

namespace {

Image Pattern(PixelFormat format, int width, int height) {
    Image image = MakeImage(format, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = image.pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
            p[0] = uint8_t(x * 7 + y);
            p[1] = uint8_t(y * 5);
            p[2] = uint8_t(x * 3 + 40);
            p[3] = format == PixelFormat::A8R8G8B8 ? uint8_t(255 - x * 4) : 255;
        }
    return image;
}

struct ComponentSpec {
    uint32_t precision = 8;
    bool isSigned = false;
    uint32_t step = 1; // sampling step in both directions
    std::function<int32_t(uint32_t x, uint32_t y)> value;
};

// A code stream of arbitrary components made directly with OpenJPEG.
std::vector<uint8_t> EncodeComponents(uint32_t width, uint32_t height,
                                      const std::vector<ComponentSpec>& specs,
                                      OPJ_COLOR_SPACE space) {
    std::vector<opj_image_cmptparm_t> parameters(specs.size());
    for (size_t c = 0; c < specs.size(); ++c) {
        std::memset(&parameters[c], 0, sizeof parameters[c]);
        parameters[c].dx = parameters[c].dy = specs[c].step;
        parameters[c].w = (width + specs[c].step - 1) / specs[c].step;
        parameters[c].h = (height + specs[c].step - 1) / specs[c].step;
        parameters[c].prec = specs[c].precision;
        parameters[c].sgnd = specs[c].isSigned;
    }
    opj_image_t* image = opj_image_create(uint32_t(specs.size()), parameters.data(), space);
    image->x1 = width;
    image->y1 = height;
    for (size_t c = 0; c < specs.size(); ++c)
        for (uint32_t y = 0; y < parameters[c].h; ++y)
            for (uint32_t x = 0; x < parameters[c].w; ++x)
                image->comps[c].data[y * parameters[c].w + x] = specs[c].value(x, y);
    opj_cparameters_t settings;
    opj_set_default_encoder_parameters(&settings);
    settings.tcp_numlayers = 1;
    settings.tcp_rates[0] = 0;
    settings.cp_disto_alloc = 1;
    settings.numresolution = 2;
    opj_codec_t* codec = opj_create_compress(OPJ_CODEC_J2K);
    struct Out {
        std::vector<uint8_t> bytes;
        size_t at = 0;
    } out;
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE);
    opj_stream_set_write_function(stream, [](void* b, OPJ_SIZE_T n, void* u) -> OPJ_SIZE_T {
        auto* o = static_cast<Out*>(u);
        if (o->bytes.size() < o->at + n) o->bytes.resize(o->at + n);
        std::memcpy(o->bytes.data() + o->at, b, n);
        o->at += n;
        return n;
    });
    opj_stream_set_skip_function(stream, [](OPJ_OFF_T n, void* u) -> OPJ_OFF_T {
        auto* o = static_cast<Out*>(u);
        o->at += size_t(n);
        if (o->bytes.size() < o->at) o->bytes.resize(o->at);
        return n;
    });
    opj_stream_set_seek_function(stream, [](OPJ_OFF_T n, void* u) -> OPJ_BOOL {
        static_cast<Out*>(u)->at = size_t(n);
        return OPJ_TRUE;
    });
    opj_stream_set_user_data(stream, &out, nullptr);
    const bool ok = opj_setup_encoder(codec, &settings, image) &&
                    opj_start_compress(codec, image, stream) && opj_encode(codec, stream) &&
                    opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    EXPECT_TRUE(ok);
    return out.bytes;
}

const uint8_t* PixelAt(const Image& image, int x, int y) {
    return image.pixels.data() + (size_t(y) * size_t(image.width) + size_t(x)) * 4;
}

} // namespace

TEST(Jpeg2000, LosslessPicturesComeBackExactlyInBothContainers) {
    for (const PixelFormat format : {PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8})
        for (const Jpeg2000Kind kind : {Jpeg2000Kind::Jp2, Jpeg2000Kind::CodeStream}) {
            const Image source = Pattern(format, 37, 21);
            std::vector<uint8_t> file;
            std::string error;
            ASSERT_TRUE(EncodeJpeg2000(source, kind, file, &error)) << error;
            EXPECT_EQ(SniffJpeg2000(file), kind);
            Image back;
            ASSERT_TRUE(DecodeJpeg2000(file, back, &error)) << error;
            EXPECT_EQ(back.format, format);
            EXPECT_EQ(back.width, 37);
            EXPECT_EQ(back.height, 21);
            EXPECT_EQ(back.pixels, source.pixels);
        }
}

TEST(Jpeg2000, EveryComponentLayoutBecomesEightBitBgra) {
    std::string error;
    Image out;
    // Grey: one component copied into red, green and blue.
    auto grey = EncodeComponents(8, 4, {{8, false, 1, [](uint32_t x, uint32_t) { return x * 30; }}},
                                 OPJ_CLRSPC_GRAY);
    ASSERT_TRUE(DecodeJpeg2000(grey, out, &error)) << error;
    EXPECT_EQ(out.format, PixelFormat::X8R8G8B8);
    EXPECT_EQ(PixelAt(out, 3, 0)[0], 90);
    EXPECT_EQ(PixelAt(out, 3, 0)[2], 90);
    EXPECT_EQ(PixelAt(out, 3, 0)[3], 255);

    // Grey with alpha.
    auto greyAlpha = EncodeComponents(4, 4,
                                      {{8, false, 1, [](uint32_t, uint32_t) { return 200; }},
                                       {8, false, 1, [](uint32_t, uint32_t y) { return y * 50; }}},
                                      OPJ_CLRSPC_GRAY);
    ASSERT_TRUE(DecodeJpeg2000(greyAlpha, out, &error)) << error;
    EXPECT_EQ(out.format, PixelFormat::A8R8G8B8);
    EXPECT_EQ(PixelAt(out, 0, 2)[1], 200);
    EXPECT_EQ(PixelAt(out, 0, 2)[3], 100);

    // 12-bit and signed components are scaled and shifted to 0..255.
    auto deep = EncodeComponents(4, 2,
                                 {{12, false, 1, [](uint32_t, uint32_t) { return 4095; }},
                                  {12, false, 1, [](uint32_t, uint32_t) { return 2048; }},
                                  {8, true, 1, [](uint32_t, uint32_t) { return -128; }}},
                                 OPJ_CLRSPC_SRGB);
    ASSERT_TRUE(DecodeJpeg2000(deep, out, &error)) << error;
    EXPECT_EQ(PixelAt(out, 1, 1)[2], 255); // red
    EXPECT_EQ(PixelAt(out, 1, 1)[1], 128); // green
    EXPECT_EQ(PixelAt(out, 1, 1)[0], 0);   // blue

    // YCbCr with half-size chroma: neutral chroma gives grey at full size.
    auto ycc =
        EncodeComponents(8, 8,
                         {{8, false, 1, [](uint32_t x, uint32_t) { return x < 4 ? 60 : 180; }},
                          {8, false, 2, [](uint32_t, uint32_t) { return 128; }},
                          {8, false, 2, [](uint32_t, uint32_t y) { return y < 2 ? 128 : 200; }}},
                         OPJ_CLRSPC_SYCC);
    ASSERT_TRUE(DecodeJpeg2000(ycc, out, &error)) << error;
    EXPECT_EQ(out.width, 8);
    EXPECT_EQ(out.height, 8);
    const uint8_t* neutral = PixelAt(out, 6, 1);
    EXPECT_EQ(neutral[0], 180);
    EXPECT_EQ(neutral[1], 180);
    EXPECT_EQ(neutral[2], 180);
    const uint8_t* reddish = PixelAt(out, 1, 6); // Cr 200: more red, less green
    EXPECT_GT(reddish[2], 120);
    EXPECT_LT(reddish[1], 30);
}

TEST(Jpeg2000, DamagedForeignAndOversizedStreamsAreRefused) {
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodeJpeg2000(Pattern(PixelFormat::X8R8G8B8, 40, 20), Jpeg2000Kind::Jp2, file));
    Image out;
    std::string error;

    const std::vector<uint8_t> bitmap = {'B', 'M', 0, 0, 0, 0};
    EXPECT_FALSE(DecodeJpeg2000(bitmap, out, &error));
    EXPECT_NE(error.find("not a JPEG-2000"), std::string::npos);

    for (size_t keep : {size_t(12), size_t(40), file.size() / 2, file.size() - 3}) {
        const std::vector<uint8_t> cut(file.begin(), file.begin() + long(keep));
        EXPECT_FALSE(DecodeJpeg2000(cut, out, &error)) << "kept " << keep << " bytes";
    }
    std::vector<uint8_t> mangled = file;
    for (size_t i = file.size() / 3; i < file.size() * 2 / 3; ++i)
        mangled[i] ^= 0x5A;
    EXPECT_FALSE(DecodeJpeg2000(mangled, out, &error));

    EXPECT_FALSE(DecodeJpeg2000(file, out, &error, 32));
    EXPECT_NE(error.find("more than 32"), std::string::npos);
    EXPECT_TRUE(out.Empty());
    EXPECT_TRUE(DecodeJpeg2000(file, out, &error, 40)) << error;
}

namespace {

// The place of the SIZ marker segment's body (after SOC, the marker and
// its length) in a file.
size_t SizeMarkerBody(const std::vector<uint8_t>& file) {
    for (size_t i = 0; i + 3 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0x4F && file[i + 2] == 0xFF && file[i + 3] == 0x51)
            return i + 6;
    ADD_FAILURE() << "no size marker";
    return 0;
}

void PutBigEndian(std::vector<uint8_t>& file, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        file[at + size_t(i)] = uint8_t(value >> (24 - 8 * i));
}

} // namespace

TEST(Jpeg2000, TiledPicturesDecodeAndTileClaimsBeyondTheStreamAreRefused) {
    // A real tiled picture: 64 x 48 in tiles of 16 x 16, twelve of them.
    const uint32_t width = 64, height = 48;
    const Image picture = Pattern(PixelFormat::X8R8G8B8, int(width), int(height));
    std::vector<opj_image_cmptparm_t> parameters(3);
    for (opj_image_cmptparm_t& p : parameters) {
        std::memset(&p, 0, sizeof p);
        p.dx = p.dy = 1;
        p.w = width;
        p.h = height;
        p.prec = 8;
    }
    opj_image_t* image = opj_image_create(3, parameters.data(), OPJ_CLRSPC_SRGB);
    image->x1 = width;
    image->y1 = height;
    for (uint32_t i = 0; i < width * height; ++i)
        for (int c = 0; c < 3; ++c)
            image->comps[c].data[i] = picture.pixels[i * 4 + size_t(2 - c)];
    opj_cparameters_t settings;
    opj_set_default_encoder_parameters(&settings);
    settings.tcp_numlayers = 1;
    settings.tcp_rates[0] = 0;
    settings.cp_disto_alloc = 1;
    settings.numresolution = 2;
    settings.tile_size_on = OPJ_TRUE;
    settings.cp_tdx = settings.cp_tdy = 16;
    std::vector<uint8_t> tiled;
    {
        opj_codec_t* codec = opj_create_compress(OPJ_CODEC_J2K);
        opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE);
        opj_stream_set_write_function(stream, [](void* b, OPJ_SIZE_T n, void* u) -> OPJ_SIZE_T {
            auto* out = static_cast<std::vector<uint8_t>*>(u);
            out->insert(out->end(), static_cast<uint8_t*>(b), static_cast<uint8_t*>(b) + n);
            return n;
        });
        opj_stream_set_user_data(stream, &tiled, nullptr);
        EXPECT_TRUE(opj_setup_encoder(codec, &settings, image) &&
                    opj_start_compress(codec, image, stream) && opj_encode(codec, stream) &&
                    opj_end_compress(codec, stream));
        opj_stream_destroy(stream);
        opj_destroy_codec(codec);
        opj_image_destroy(image);
    }
    Image out;
    std::string error;
    ASSERT_TRUE(DecodeJpeg2000(tiled, out, &error)) << error;
    EXPECT_EQ(out.pixels, picture.pixels);

    // The same header claiming tiles of 1 x 1: 3,072 tiles, while every
    // tile needs at least 14 bytes of stream. Refused from the size marker,
    // before the decoder sets up a tile.
    std::vector<uint8_t> crowded = tiled;
    const size_t body = SizeMarkerBody(crowded);
    PutBigEndian(crowded, body + 2 + 16, 1); // XTsiz
    PutBigEndian(crowded, body + 2 + 20, 1); // YTsiz
    EXPECT_FALSE(DecodeJpeg2000(crowded, out, &error));
    EXPECT_NE(error.find("3072 tiles"), std::string::npos) << error;

    // In a JP2 file the code stream is found in its box and checked alike.
    std::vector<uint8_t> jp2;
    ASSERT_TRUE(EncodeJpeg2000(picture, Jpeg2000Kind::Jp2, jp2, &error)) << error;
    const size_t jp2Body = SizeMarkerBody(jp2);
    PutBigEndian(jp2, jp2Body + 2 + 16, 1);
    PutBigEndian(jp2, jp2Body + 2 + 20, 1);
    EXPECT_FALSE(DecodeJpeg2000(jp2, out, &error));
    EXPECT_NE(error.find("3072 tiles"), std::string::npos) << error;

    // A size beyond the limit is refused from the marker too, and so is a
    // tile grid that does not cover the picture.
    std::vector<uint8_t> wide = tiled;
    PutBigEndian(wide, body + 2, 1 << 20); // Xsiz
    EXPECT_FALSE(DecodeJpeg2000(wide, out, &error));
    EXPECT_NE(error.find("more than"), std::string::npos) << error;
    std::vector<uint8_t> untiled = tiled;
    PutBigEndian(untiled, body + 2 + 16, 0);
    EXPECT_FALSE(DecodeJpeg2000(untiled, out, &error));
    EXPECT_NE(error.find("tiles"), std::string::npos) << error;
}
