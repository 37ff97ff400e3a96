// Building the font's atlas and glyph tables from a system font.
#include "Jentra/render/font_atlas.h"

#include <algorithm>

#include "platform/font/glyph_atlas.h"

namespace jentra::font {

bool BuildFontAtlas(const char* faceName, int pointSize, unsigned flags, int maxTextureSide,
                    FontAtlas& out, std::string* error) {
    out = FontAtlas{};
    int side = kAtlasSide;
    float scale = 1.0f;
    if (maxTextureSide > 0 && maxTextureSide < kAtlasSide) {
        side = maxTextureSide;
        scale = float(maxTextureSide) / float(kAtlasSide);
    }
    const bool bold = flags & 1, italic = flags & 2;
    const std::string file = platform::font::FindFontFile(faceName, bold, italic);
    if (file.empty()) {
        if (error) *error = "no font file for \"" + std::string(faceName ? faceName : "") + "\"";
        return false;
    }
    // The font's height in pixels at the screen's resolution, drawn at
    // twice the size into a picture of twice the atlas's sides.
    const int height = pointSize * int(float(kPixelsPerInch) * scale) / 72;
    if (height <= 0) {
        if (error) *error = "the point size gives no height";
        return false;
    }
    const int big = 2 * side;
    platform::font::GlyphAtlas drawn;
    if (!platform::font::RenderGlyphAtlas(file, 2 * height, big, big, 32, 255, drawn, error))
        return false;

    out.width = out.height = side;
    out.alpha.assign(size_t(side) * size_t(side), 0);
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i) {
            auto at = [&](int x, int y) {
                return drawn.coverage[size_t(y) * size_t(big) + size_t(x)] >> 4;
            };
            int sum = at(2 * i, 2 * j) + at(2 * i + 1, 2 * j) + at(2 * i, 2 * j + 1) +
                      at(2 * i + 1, 2 * j + 1);
            out.alpha[size_t(j) * size_t(side) + size_t(i)] = uint8_t(sum / 4);
        }
    for (int code = 32; code < 256; ++code) {
        const platform::font::GlyphCell& c = drawn.cells[code];
        if (c.cy <= 0) continue;
        out.rect[code][0] = float(c.x) / float(big);
        out.rect[code][1] = float(c.y) / float(big);
        out.rect[code][2] = float(c.x + c.cx) / float(big);
        out.rect[code][3] = float(c.y + c.cy) / float(big);
        out.advance[code] = float(c.cx) / float(c.cy);
    }
    return true;
}

} // namespace jentra::font
