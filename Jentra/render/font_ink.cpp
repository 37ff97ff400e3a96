// Finding the ink of each glyph in the font's atlas, level by level.
#include "Jentra/render/font_ink.h"

#include <algorithm>
#include <cmath>

#include "platform/image/convert.h"
#include "platform/render/resources.h"

namespace jentra::font {

namespace {

struct Box {
    float left, top, right, bottom;
};

// The glyph's ink in one level (alpha as BGRA bytes), widened by a texel, in
// texture coordinates; false when the level shows none of it.
bool InkInLevel(const platform::image::Image& level, const float* rect, Box& out) {
    const int w = level.width, h = level.height;
    const int x0 = std::clamp(int(std::floor(rect[0] * float(w))), 0, w);
    const int y0 = std::clamp(int(std::floor(rect[1] * float(h))), 0, h);
    const int x1 = std::clamp(int(std::ceil(rect[2] * float(w))), 0, w);
    const int y1 = std::clamp(int(std::ceil(rect[3] * float(h))), 0, h);
    int left = x1, top = y1, right = x0 - 1, bottom = y0 - 1;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (level.pixels[(size_t(y) * size_t(w) + size_t(x)) * 4 + 3] != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < left) return false;
    out = {float(left - 1) / float(w), float(top - 1) / float(h), float(right + 2) / float(w),
           float(bottom + 2) / float(h)};
    return true;
}

} // namespace

bool FindInk(const platform::render::BaseTexture& atlas, const float rect[256][4],
             float ink[256][4]) {
    if (atlas.IsCube() || atlas.LevelCount() < 1 || atlas.LevelData(0, 0).empty()) return false;
    std::vector<platform::image::Image> levels;
    for (int level = 0; level < std::min(atlas.LevelCount(), kInkLevels); ++level) {
        platform::image::Image source;
        source.format = platform::image::PixelFormat(uint32_t(atlas.Format()));
        source.width = atlas.LevelWidth(level);
        source.height = atlas.LevelHeight(level);
        source.pixels = atlas.LevelData(0, level);
        platform::image::Image bgra = platform::image::ToBgra8(source);
        if (bgra.Empty()) break;
        levels.push_back(std::move(bgra));
    }
    if (levels.empty()) return false;
    for (int code = 0; code < 256; ++code) {
        const float* r = rect[code];
        bool found = false;
        Box all{};
        for (const platform::image::Image& level : levels) {
            Box box;
            if (!InkInLevel(level, r, box)) continue;
            all = found ? Box{std::min(all.left, box.left), std::min(all.top, box.top),
                              std::max(all.right, box.right), std::max(all.bottom, box.bottom)}
                        : box;
            found = true;
        }
        if (!found) {
            // Still a quad of its own, with room for nothing.
            const float texelWide = 1.0f / float(levels[0].width);
            const float texelHigh = 1.0f / float(levels[0].height);
            all = {r[0], r[1], std::min(r[2], r[0] + texelWide), std::min(r[3], r[1] + texelHigh)};
        }
        ink[code][0] = std::clamp(all.left, r[0], r[2]);
        ink[code][1] = std::clamp(all.top, r[1], r[3]);
        ink[code][2] = std::clamp(all.right, r[0], r[2]);
        ink[code][3] = std::clamp(all.bottom, r[1], r[3]);
    }
    return true;
}

} // namespace jentra::font
