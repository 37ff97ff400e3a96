// Small picture files that claim large pictures, as a damaged or hostile
// file may: a JPEG and a JPEG-2000 code stream of a few hundred bytes whose
// headers name any size, and that decode to a flat picture of that size.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace test_support {

// A JPEG of width x height whose few bytes of arithmetic-coded data hold a
// flat grey 8 x 8 picture at its top left: the decoder makes the rest from
// data that has ended, as an arithmetic coder may describe a large, nearly
// flat picture in a few bytes. Progressive when asked (its components then
// come in several scans).
inline std::vector<uint8_t> ArithmeticFlatJpeg(int width, int height, bool progressive = false) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 8;
    info.image_height = 8;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    info.arith_code = TRUE;
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(8 * 3, 0x60);
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    // The frame header (SOF9, or SOF10 when progressive) names the size:
    // height, then width.
    const uint8_t frame = progressive ? 0xCA : 0xC9;
    for (size_t i = 2; i + 8 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == frame) {
            bytes[i + 5] = uint8_t(height >> 8), bytes[i + 6] = uint8_t(height);
            bytes[i + 7] = uint8_t(width >> 8), bytes[i + 8] = uint8_t(width);
            break;
        }
    return bytes;
}

inline std::vector<uint8_t> ArithmeticFlatJpeg(int side) {
    return ArithmeticFlatJpeg(side, side);
}

// A JPEG-2000 code stream of width x height, one tile, `components`
// unsigned 8-bit components and `levels` wavelet decompositions (so it
// holds the picture at levels + 1 resolutions), whose every packet is
// empty: it decodes to mid grey (128) at any size, from about a hundred
// bytes.
inline std::vector<uint8_t> FlatJpeg2000CodeStream(uint32_t width, uint32_t height, int components,
                                                   int levels) {
    std::vector<uint8_t> s;
    auto u8 = [&](uint32_t v) { s.push_back(uint8_t(v)); };
    auto u16 = [&](uint32_t v) { u8(v >> 8), u8(v); };
    auto u32 = [&](uint32_t v) { u16(v >> 16), u16(v); };
    u16(0xFF4F); // start of code stream
    u16(0xFF51); // size: the picture is one tile at the origin
    u16(38 + 3 * uint32_t(components));
    u16(0);
    u32(width), u32(height), u32(0), u32(0);
    u32(width), u32(height), u32(0), u32(0);
    u16(uint32_t(components));
    for (int c = 0; c < components; ++c)
        u8(7), u8(1), u8(1); // 8 bits unsigned, full resolution
    // Coding style: one layer, 64 x 64 code blocks, reversible wavelet.
    u16(0xFF52);
    u16(12);
    u8(0), u8(0), u16(1), u8(0);
    u8(uint32_t(levels)), u8(4), u8(4), u8(0), u8(1);
    // No quantisation, two guard bits.
    u16(0xFF5C);
    u16(3 + 3 * uint32_t(levels) + 1);
    u8(0x40);
    for (int band = 0; band < 3 * levels + 1; ++band)
        u8(9 << 3);
    // One empty packet (a zero bit) per resolution and component.
    const uint32_t packets = uint32_t((levels + 1) * components);
    u16(0xFF90);
    u16(10);
    u16(0), u32(12 + 2 + packets), u8(0), u8(1);
    u16(0xFF93);
    for (uint32_t p = 0; p < packets; ++p)
        u8(0);
    u16(0xFFD9);
    return s;
}

// The code stream in a JP2 file: signature, file type, header (size,
// components and colour space) and the code stream's box.
inline std::vector<uint8_t> InJp2File(const std::vector<uint8_t>& codeStream, uint32_t width,
                                      uint32_t height, int components) {
    std::vector<uint8_t> f;
    auto u8 = [&](uint32_t v) { f.push_back(uint8_t(v)); };
    auto u16 = [&](uint32_t v) { u8(v >> 8), u8(v); };
    auto u32 = [&](uint32_t v) { u16(v >> 16), u16(v); };
    auto type = [&](const char* t) { f.insert(f.end(), t, t + 4); };
    u32(12), type("jP  "), u32(0x0D0A870A);
    u32(20), type("ftyp"), type("jp2 "), u32(0), type("jp2 ");
    u32(8 + 22 + 15), type("jp2h");
    u32(22), type("ihdr"), u32(height), u32(width), u16(uint32_t(components));
    u8(7), u8(7), u8(0), u8(0); // 8 bits, wavelet coded, colour space known, no rights
    u32(15), type("colr"), u8(1), u8(0), u8(0), u32(components >= 3 ? 16 : 17); // sRGB or grey
    u32(8 + uint32_t(codeStream.size())), type("jp2c");
    f.insert(f.end(), codeStream.begin(), codeStream.end());
    return f;
}

} // namespace test_support
