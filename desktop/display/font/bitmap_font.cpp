// BitmapFont: loading the font, the glyph order and the single-byte text
// builder.
#include "desktop/display/font/bitmap_font.h"

#include "desktop/display/font/text_geometry.h"
#include "desktop/display/font/text_layout.h"
#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/script_config.h"

#include <algorithm>
#include <cmath>

namespace lumivane {

namespace {

constexpr float kSheetTexels = 256.0f;
constexpr int kMostCells = 4096; // more cells a side than a sheet has texels
constexpr const char* kTextureFolder = "models\\textures\\";

constexpr std::array<uint8_t, kFontGlyphs> BuildGlyphOrder() {
    std::array<uint8_t, kFontGlyphs> order{};
    size_t n = 0;
    auto range = [&](int first, int last) {
        for (int c = first; c <= last; ++c)
            order[n++] = uint8_t(c);
    };
    range(0x20, 0x5A);
    range(0x5C, 0x5C);
    range(0x61, 0x7A);
    range(0x7E, 0x7E);
    for (int c : {0x80, 0x83, 0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F, 0xA1, 0xA4, 0xA5, 0xB5,
                  0xB7, 0xB8, 0xBF})
        range(c, c);
    range(0xC0, 0xD6);
    range(0xD9, 0xF6);
    range(0xF9, 0xFF);
    for (int c : {0xA9, 0x99, 0xAE})
        range(c, c);
    return order;
}

BitmapFont* gFont = nullptr;

} // namespace

const std::array<uint8_t, kFontGlyphs> kGlyphOrder = BuildGlyphOrder();

BitmapFont* GetFont() {
    return gFont;
}

void SetFont(BitmapFont* font) {
    gFont = font;
}

BitmapFont::BitmapFont() : wideMap_(0x10000, -1) {
    for (int g = 0; g < kFontGlyphs; ++g)
        glyphIndex_[kGlyphOrder[size_t(g)]] = g;
}

void BitmapFont::SetUnicode(bool unicode, unsigned codePage) {
    unicode_ = unicode;
    codePage_ = codePage;
}

int BitmapFont::Load(std::string_view name, const ScriptConfig* script) {
    name_ = std::string(name.substr(0, 31));
    const ScriptBlock* block = script ? script->FindBlock("Fonts", name) : nullptr;
    if (block) {
        std::string file;
        if (block->GetString("texture", file) && textures_)
            texture_ = textures_->GetTexture(kTextureFolder + file, "Font", 1, 0);
        if (int k = block->FindKey("charPerRow"); k >= 0)
            charPerRow_ = block->entries[size_t(k)].values[0];
        if (int k = block->FindKey("charPerColumn"); k >= 0)
            charPerColumn_ = block->entries[size_t(k)].values[0];
    }
    if (unicode_) LoadCharMap(dataRoot_ / "CharMap.txt");
    return 0;
}

bool BitmapFont::SheetCell(int glyph, float& u, float& v, float& du, float& dv) const {
    // A sheet without cells (a missing or zero count) has no glyphs to show.
    if (!(charPerRow_ >= 1.0f && charPerRow_ <= kMostCells) ||
        !(charPerColumn_ >= 1.0f && charPerColumn_ <= kMostCells))
        return false;
    const float cellW = std::floor(kSheetTexels / charPerRow_);
    const float cellH = std::floor(kSheetTexels / charPerColumn_);
    const int columns = int(charPerRow_);
    du = cellW / kSheetTexels;
    dv = cellH / kSheetTexels;
    u = cellW * float(glyph % columns) / kSheetTexels;
    v = cellH * float(glyph / columns) / kSheetTexels;
    return true;
}

AnimText* BitmapFont::MakeText(std::string_view text, int lit, int anchor, float x, float y,
                               float z, float charWidth, float charHeight, uint32_t colour,
                               float wrapWidth, int alternate, int* lineCount) {
    if (unicode_)
        return MakeWideText(text, lit, anchor, x, y, z, charWidth, charHeight, colour, wrapWidth,
                            alternate, lineCount);
    std::vector<uint32_t> units = UnitsOf(text);
    if (units.size() == 1 && units[0] == ' ') alternate = 0;
    auto* node = new AnimText;
    WrapText(units, WrapChars(wrapWidth, charWidth));
    const TextBlock block = LayOutText(units, anchor);
    if (lineCount) *lineCount = block.lineCount;

    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;
    float u = 0, v = 0, du = 0, dv = 0;
    const bool cells = SheetCell(0, u, v, du, dv);
    const int secondHalf = alternate && cells ? int(charPerRow_ * charPerColumn_ / 2.0f) : 0;
    if (cells && Drawable(charWidth, charHeight)) {
        for (const PlacedGlyph& glyph : block.glyphs) {
            SheetCell(GlyphIndex(uint8_t(glyph.code)) + secondHalf, u, v, du, dv);
            const float left = x + (block.offsetX + glyph.column) * charWidth;
            const float top = y + (block.offsetY - float(glyph.line)) * charHeight;
            AppendGlyphQuad(vertices, indices, left, top, charWidth, charHeight, z, colour,
                            u + kHalfTexel, v + kHalfTexel, u + du + kHalfTexel,
                            v + dv + kHalfTexel);
        }
    }
    node->SetGeometry(std::move(vertices), std::move(indices));
    FinishTextNode(*node, text, text, lit, texture_);
    return node;
}

} // namespace lumivane
