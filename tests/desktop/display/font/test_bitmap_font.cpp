// Text nodes of the bitmap font: anchors, padding and centring, the word
// wrap, glyph cells and the sheet's second half, carriage returns, the
// wide pages of Unicode mode, and fonts and texts that would divide by zero
// or overflow.
#include "desktop/display/font/bitmap_font.h"
#include "desktop/display/textures/texture_set.h"
#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/script_config.h"
#include "platform/binary_io.h"
#include "tests/platform/test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace lumivane;

namespace {

constexpr float kW = 0.01f, kH = 0.02f; // character size
constexpr float kX = 0.3f, kY = 0.4f;

// A font texture of two frames (the sheet and one wide page).
class TwoFrameTextures : public TextureSource {
public:
    TextureSet* GetTexture(std::string_view, std::string_view, int32_t, int32_t) override {
        return &set;
    }
    int GetPixelKind(const TextureSet*) override { return kPixelKindAlpha; }
    int GetFrameCount(const TextureSet*) override { return 2; }
    TextureSet set;
};

// Owns the nodes it makes.
struct Text {
    explicit Text(AnimText* made) : node(made) { node->AddRef(); }
    ~Text() { node->Release(); }
    const Vertex& At(int i) const { return node->Vertices()[i]; }
    int Glyphs() const { return node->vertexCount / 4; }
    AnimText* node;
};

class LvBitmapFont : public ::testing::Test {
protected:
    void LoadFont(const std::string& block) {
        ScriptConfig script;
        script.Parse("[Fonts]\n<font1>\n" + block);
        font.Load("font1", &script);
    }
    Text Make(std::string_view text, int anchor, float wrap = 0.0f, int alternate = 0) {
        return Text(font.MakeText(text, 0, anchor, kX, kY, 0.5f, kW, kH, 0xFFFFFFFF, wrap,
                                  alternate, &lines));
    }
    BitmapFont font;
    int lines = -1;
};

} // namespace

TEST_F(LvBitmapFont, AnEmptyTextIsOneSpaceOnOneLine) {
    LoadFont("charPerRow 16\ncharPerColumn 16\n");
    Text t = Make("", 0);
    EXPECT_EQ(t.Glyphs(), 1);
    EXPECT_EQ(t.node->indexCount, 6);
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(t.node->lighting, 0);
    EXPECT_FLOAT_EQ(t.node->brightness, 1.0f);
}

TEST_F(LvBitmapFont, AnchorsPlaceCentrePadAndShiftTheBlock) {
    LoadFont("charPerRow 16\ncharPerColumn 16\n");
    {
        // Two lines of two, centred on (x, y).
        Text t = Make("ab\ncd", 4);
        ASSERT_EQ(t.Glyphs(), 4);
        EXPECT_FLOAT_EQ(t.At(1).position.x, kX - kW); // first glyph, left top
        EXPECT_FLOAT_EQ(t.At(1).position.y, kY + kH);
        EXPECT_FLOAT_EQ(t.At(15).position.x, kX + kW); // last glyph, right bottom... top
        EXPECT_FLOAT_EQ(t.At(14).position.y, kY - kH);
        EXPECT_EQ(lines, 2);
    }
    {
        // Left anchors pad the short line with spaces.
        Text t = Make("a\nbcd", 0);
        ASSERT_EQ(t.Glyphs(), 6);
        EXPECT_FLOAT_EQ(t.At(1).position.x, kX);
        EXPECT_FLOAT_EQ(t.At(1).position.y, kY);
        EXPECT_FLOAT_EQ(t.At(4 * 3 + 1).position.x, kX); // 'b' starts the second line
        EXPECT_FLOAT_EQ(t.At(4 * 3 + 1).position.y, kY - kH);
        EXPECT_FLOAT_EQ(t.At(4 * 1).u, t.At(4 * 2).u); // the padding is spaces
    }
    {
        // Right anchors: no padding, and both lines start at the block's left.
        Text t = Make("a\nbcd", 2);
        ASSERT_EQ(t.Glyphs(), 4);
        EXPECT_FLOAT_EQ(t.At(1).position.x, kX - 3 * kW);
        EXPECT_FLOAT_EQ(t.At(4 + 1).position.x, kX - 3 * kW);
    }
}

TEST_F(LvBitmapFont, WrappingBreaksAtTheLastSpaceElseBeforeTheCharacterThatDoesNotFit) {
    LoadFont("charPerRow 16\ncharPerColumn 16\n");
    {
        Text t = Make("hello world", 0, 5 * kW);
        EXPECT_EQ(lines, 2);
        EXPECT_EQ(t.Glyphs(), 10);
        EXPECT_FLOAT_EQ(t.At(4 * 5 + 1).position.x, kX); // 'w' starts line two
        EXPECT_FLOAT_EQ(t.At(4 * 5 + 1).position.y, kY - kH);
    }
    {
        Text t = Make("abcdefghij", 0, 5 * kW);
        EXPECT_EQ(lines, 2);
        EXPECT_EQ(t.Glyphs(), 10);
        EXPECT_FLOAT_EQ(t.At(4 * 5 + 1).position.x, kX); // 'f' starts line two
    }
    {
        // A wrap narrower than one character does not wrap at all.
        Text t = Make("hello world", 0, 0.5f * kW);
        EXPECT_EQ(lines, 1);
        EXPECT_EQ(t.Glyphs(), 11);
    }
}

TEST_F(LvBitmapFont, GlyphsPickTheirCellsAndTheSecondHalf) {
    LoadFont("charPerRow 16\ncharPerColumn 16\n");
    const float cell = 16.0f / 256.0f, half = 1.0f / 512.0f;
    Text a = Make("A", 0); // glyph 33: column 1, row 2
    EXPECT_FLOAT_EQ(a.At(1).u, cell + half);
    EXPECT_FLOAT_EQ(a.At(1).v, 2 * cell + half);
    EXPECT_FLOAT_EQ(a.At(2).u, 2 * cell + half);
    EXPECT_FLOAT_EQ(a.At(2).v, 3 * cell + half);
    Text bold = Make("A", 0, 0.0f, 1); // 128 cells on: row 10
    EXPECT_FLOAT_EQ(bold.At(1).v, 10 * cell + half);
    // A character without a glyph draws the space; carriage returns draw
    // nothing and take no room.
    Text space = Make(" ", 0), missing = Make("[", 0);
    EXPECT_FLOAT_EQ(missing.At(1).u, space.At(1).u);
    EXPECT_FLOAT_EQ(missing.At(1).v, space.At(1).v);
    Text cr = Make("a\rb", 0);
    EXPECT_EQ(cr.Glyphs(), 2);
    EXPECT_EQ(lines, 1);
    EXPECT_FLOAT_EQ(cr.At(4 + 1).position.x, kX + kW);
}

TEST_F(LvBitmapFont, FontsAndTextsThatWouldDivideByZeroOrOverflowDrawWhatFits) {
    LoadFont("texture none.dds\n"); // no cell counts
    Text noCells = Make("abc", 0);
    EXPECT_EQ(noCells.Glyphs(), 0);
    EXPECT_EQ(lines, 1);
    LoadFont("charPerRow 0\ncharPerColumn 16\n");
    EXPECT_EQ(Make("abc", 0).Glyphs(), 0);
    LoadFont("charPerRow 16\ncharPerColumn 16\n");
    Text zero(font.MakeText("abc", 0, 0, 0, 0, 0, 0.0f, kH, 0xFFFFFFFF, 1.0f, 0, &lines));
    EXPECT_EQ(zero.Glyphs(), 0);
    // A long first line and a hundred padded lines stay within 16-bit
    // vertex numbers.
    const std::string tall = std::string(899, 'x') + std::string(150, '\n');
    Text cut = Make(tall, 0);
    EXPECT_EQ(lines, 100);
    EXPECT_EQ(cut.Glyphs(), 16383);
    std::string wide(5000, 'w');
    Text capped = Make(wide, 0);
    EXPECT_EQ(capped.Glyphs(), 999);
}

TEST_F(LvBitmapFont, WideTextGoesToItsPagesGroupedByFrame) {
    platform_test::TempDir root;
    // "Omega" is wide glyph 0; "Sigma" 1; a repeated "Omega" takes 2; the
    // last odd byte is no unit.
    const std::vector<uint8_t> map = {0xFF, 0xFE, 0xA9, 0x03, 0x0D, 0x00, 0x0A,
                                      0x00, 0xA3, 0x03, 0xA9, 0x03, 0x41};
    ASSERT_TRUE(platform::WriteWholeFile(root.Path() / "CharMap.txt", map));
    TwoFrameTextures textures;
    font.SetTextureSource(&textures);
    font.SetDataRoot(root.Path());
    font.SetUnicode(true, 65001);
    LoadFont("texture font1000.dds\ncharPerRow 16\ncharPerColumn 16\n");
    EXPECT_EQ(font.WideGlyph(u'\u03A9'), 2);
    EXPECT_EQ(font.WideGlyph(u'\u03A3'), 1);
    EXPECT_EQ(font.WideGlyph(u'A'), -1);

    Text t = Make("a\xCE\xA3"
                  "b",
                  0); // a, Sigma, b
    ASSERT_EQ(t.Glyphs(), 3);
    EXPECT_EQ(t.node->Name(), "DBCS text");
    EXPECT_EQ(t.node->glyphPages, (std::vector<uint16_t>{0, 0, 1}));
    // Page 0 first: a then b, each a doubled cell apart; the wide glyph
    // covers 0.8 of its cell.
    EXPECT_FLOAT_EQ(t.At(1).position.x, kX);
    EXPECT_FLOAT_EQ(t.At(4 + 1).position.x, kX + 2 * 2 * kW);
    EXPECT_FLOAT_EQ(t.At(8 + 3).position.x - t.At(8 + 1).position.x, 0.8f * 2 * kW);
    EXPECT_FLOAT_EQ(t.At(8 + 1).u, kWideCellWidth + kHalfTexel);
    EXPECT_FLOAT_EQ(t.At(8 + 2).u, 2 * kWideCellWidth - kHalfTexel);

    // A glyph past the texture's frames is left out.
    std::vector<uint8_t> big = {0xFF, 0xFE};
    for (int i = 0; i < 400; ++i) { // U+0400 onwards, numbered from 0
        big.push_back(uint8_t(i));
        big.push_back(uint8_t(0x04 + (i >> 8)));
    }
    ASSERT_TRUE(platform::WriteWholeFile(root.Path() / "CharMap.txt", big));
    font.LoadCharMap(root.Path() / "CharMap.txt");
    Text kept = Make("\xD0\xB0z", 0); // U+0430 is number 48: the first wide page
    EXPECT_EQ(kept.Glyphs(), 2);
    Text dropped = Make("\xD4\xB2z", 0); // U+0532 is number 306: the second wide page
    EXPECT_EQ(dropped.Glyphs(), 1);
    SetTextureSource(nullptr);
}
