// BitmapFont in Unicode mode: the wide glyph numbers of "CharMap.txt" and
// the builder that draws characters above 255 from the further glyph
// pages, each page a frame of the font's texture.
#include "desktop/display/font/bitmap_font.h"

#include "desktop/display/font/text_geometry.h"
#include "desktop/display/font/text_layout.h"
#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/engine_services.h"
#include "platform/binary_io.h"
#include "platform/codepage.h"

#include <algorithm>

namespace lumivane {

namespace {

constexpr char16_t kByteOrderMark = 0xFEFF;
constexpr uint64_t kLargestCharMap = 1u << 20;
constexpr float kWideGlyphShare = 0.8f; // of its cell a wide-text glyph covers

struct PagedGlyph {
    Vertex corners[4];
    int page = 0;
};

} // namespace

void BitmapFont::LoadCharMap(const std::filesystem::path& path) {
    std::fill(wideMap_.begin(), wideMap_.end(), -1);
    std::vector<uint8_t> bytes;
    if (!platform::ReadWholeFile(path, bytes, nullptr, kLargestCharMap)) return;
    int number = 0;
    // A last odd byte is no whole unit.
    for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const auto unit = char16_t(bytes[at] | bytes[at + 1] << 8);
        if (unit == u'\n' || unit == u'\r' || unit == kByteOrderMark) continue;
        wideMap_[unit] = number++;
    }
}

AnimText* BitmapFont::MakeWideText(std::string_view text, int lit, int anchor, float x, float y,
                                   float z, float charWidth, float charHeight, uint32_t colour,
                                   float wrapWidth, int, int* lineCount) {
    const std::string_view narrow = text.substr(0, text.find('\0'));
    const std::u16string wide = platform::CodePageConverter(codePage_).ToUtf16(narrow);
    std::vector<uint32_t> units = UnitsOf(std::u16string_view(wide));
    const bool anyWide =
        std::any_of(units.begin(), units.end(), [](uint32_t u) { return u > 255; });
    const float cell = anyWide ? 2.0f * charWidth : charWidth;
    auto* node = new AnimText;
    WrapText(units, WrapChars(wrapWidth, cell));
    const TextBlock block = LayOutText(units, anchor);
    if (lineCount) *lineCount = block.lineCount;

    std::vector<PagedGlyph> glyphs;
    float u = 0, v = 0, du = 0, dv = 0;
    const bool cells = SheetCell(0, u, v, du, dv);
    if (Drawable(charWidth, charHeight)) {
        const float quadWidth = anyWide ? kWideGlyphShare * cell : cell;
        for (const PlacedGlyph& placed : block.glyphs) {
            PagedGlyph glyph;
            float u0, v0, u1, v1;
            if (placed.code < 256) {
                if (!cells) continue;
                SheetCell(GlyphIndex(uint8_t(placed.code)), u, v, du, dv);
                u0 = u + kHalfTexel;
                v0 = v + kHalfTexel;
                u1 = u + du + kHalfTexel;
                v1 = v + dv + kHalfTexel;
            } else {
                const int g = std::max(WideGlyph(char16_t(placed.code)), 0);
                const int page = g / kWideGlyphsPerPage, r = g % kWideGlyphsPerPage;
                glyph.page = page + 1;
                const float left = float(r % kWideCellsPerRow) * kWideCellWidth;
                const float top = float(r / kWideCellsPerRow) * kWideCellHeight;
                u0 = left + kHalfTexel;
                v0 = top + kHalfTexel;
                u1 = left + kWideCellWidth - kHalfTexel;
                v1 = top + kWideCellHeight - kHalfTexel;
            }
            std::vector<Vertex> quad;
            std::vector<uint16_t> unused;
            AppendGlyphQuad(quad, unused, x + (block.offsetX + placed.column) * cell,
                            y + (block.offsetY - float(placed.line)) * charHeight, quadWidth,
                            charHeight, z, colour, u0, v0, u1, v1);
            std::copy(quad.begin(), quad.end(), glyph.corners);
            glyphs.push_back(glyph);
        }
    }

    // Grouped by page, each page a frame of the texture; a glyph on a page
    // the texture lacks is left out.
    const int frames = std::max(texture_ && textures_ ? textures_->GetFrameCount(texture_) : 0, 1);
    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;
    for (int page = 0; page < frames; ++page)
        for (const PagedGlyph& glyph : glyphs) {
            if (glyph.page != page) continue;
            const auto base = uint16_t(vertices.size());
            vertices.insert(vertices.end(), std::begin(glyph.corners), std::end(glyph.corners));
            for (uint16_t k : {0, 1, 2, 2, 1, 3})
                indices.push_back(uint16_t(base + k));
            node->glyphPages.push_back(uint16_t(page));
        }
    node->SetGeometry(std::move(vertices), std::move(indices));
    FinishTextNode(*node, "DBCS text", narrow, lit, texture_);
    return node;
}

} // namespace lumivane
