// The font builder's picture and tables: codes 32..255 of a face drawn
// white at twice the atlas size, row by row, then reduced to the atlas as
// 4-bit alpha (the average of each 2 x 2 block), with each code's rectangle
// in texture coordinates and its advance (width / height).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jentra::font {

struct FontAtlas {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> alpha; // 0..15 per texel, rows top first
    float rect[256][4] = {};    // left, top, right, bottom
    float advance[256] = {};
};

// Sides of the atlas unless the device allows less.
constexpr int kAtlasSide = 512;
// Screen resolution the point size is measured against.
constexpr int kPixelsPerInch = 96;

// faceName and pointSize choose the font (flags: bit 0 bold, bit 1
// italic); maxTextureSide below kAtlasSide shrinks the atlas and the font
// with it. False with the reason when no font can be made.
bool BuildFontAtlas(const char* faceName, int pointSize, unsigned flags, int maxTextureSide,
                    FontAtlas& out, std::string* error = nullptr);

} // namespace jentra::font
