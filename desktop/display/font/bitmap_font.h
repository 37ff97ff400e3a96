// BitmapFont: turns a string into a textured text node (an AnimText with one
// quad of four vertices per character) whose texture coordinates pick the
// glyph cells of the font's sheet. The program keeps one font, "font1",
// loaded at start-up from the script configuration. In the single-byte mode
// a character is a code page 1252 byte drawn from the first sheet (or its
// second half); in Unicode mode text is turned into UTF-16 and characters
// above 255 come from further glyph pages, numbered by "CharMap.txt", each a
// frame of the font's texture.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane {

class AnimText;
class ScriptConfig;
class TextureSet;
class TextureSource;

inline constexpr int kFontGlyphs = 166;
// The wide glyph pages: 306 glyphs in rows of 18 cells of 14 x 15 texels.
inline constexpr int kWideGlyphsPerPage = 306;
inline constexpr int kWideCellsPerRow = 18;
inline constexpr float kWideCellWidth = 0.0546875f;
inline constexpr float kWideCellHeight = 0.05859375f;
inline constexpr float kHalfTexel = 1.0f / 512.0f; // of a 256-texel sheet

// The code page 1252 bytes that have a glyph, in sheet order.
extern const std::array<uint8_t, kFontGlyphs> kGlyphOrder;

class BitmapFont {
public:
    BitmapFont();

    // Where the font's files lie and how text is taken: the texture table,
    // the data root ("CharMap.txt"), and the settings "Unicode" and
    // "CodePage".
    void SetTextureSource(TextureSource* textures) { textures_ = textures; }
    void SetDataRoot(std::filesystem::path root) { dataRoot_ = std::move(root); }
    void SetUnicode(bool unicode, unsigned codePage);
    bool Unicode() const { return unicode_; }

    // Reads block `name` of section "Fonts": the sheet ("texture", a file
    // under models\textures\) and its cells ("charPerRow",
    // "charPerColumn"; unchanged when missing). In Unicode mode it also
    // reads "CharMap.txt". Always 0.
    int Load(std::string_view name, const ScriptConfig* script);

    // A new text node (no holder yet). Anchor 0..8 places (x, y) at the
    // block's top, middle or bottom row of its left edge, centre or right
    // edge; a wrap width above 0 breaks lines at that width; alternate picks
    // the sheet's second half; lineCount, when given, receives the number
    // of lines. In Unicode mode the wide builder makes it.
    AnimText* MakeText(std::string_view text, int lit, int anchor, float x, float y, float z,
                       float charWidth, float charHeight, uint32_t colour, float wrapWidth,
                       int alternate, int* lineCount);
    AnimText* MakeWideText(std::string_view text, int lit, int anchor, float x, float y, float z,
                           float charWidth, float charHeight, uint32_t colour, float wrapWidth,
                           int alternate, int* lineCount);

    // Reads the wide glyph numbers: UTF-16LE units, line breaks and the byte
    // order mark skipped, each other unit numbered from 0 (a repeated unit
    // keeps its last number). A missing file leaves every entry -1.
    void LoadCharMap(const std::filesystem::path& path);

    const std::string& Name() const { return name_; }
    TextureSet* Texture() const { return texture_; }
    float CharPerRow() const { return charPerRow_; }
    float CharPerColumn() const { return charPerColumn_; }
    // A byte's place in the sheet (0, the space, for bytes without a glyph).
    int GlyphIndex(uint8_t byte) const { return glyphIndex_[byte]; }
    // A UTF-16 unit's number in the wide pages, -1 without one.
    int WideGlyph(char16_t unit) const { return wideMap_[unit]; }

private:
    // The sheet cell of glyph g: left, top, width and height in texture
    // coordinates; false when the sheet has no cells.
    bool SheetCell(int glyph, float& u, float& v, float& du, float& dv) const;

    std::string name_;
    TextureSet* texture_ = nullptr;
    float charPerRow_ = 0.0f;
    float charPerColumn_ = 0.0f;
    std::array<int, 256> glyphIndex_{};
    std::vector<int> wideMap_;
    TextureSource* textures_ = nullptr;
    std::filesystem::path dataRoot_;
    bool unicode_ = false;
    unsigned codePage_ = 0;
};

// The program's font "font1"; null until start-up loads it.
BitmapFont* GetFont();
void SetFont(BitmapFont* font);

} // namespace lumivane
