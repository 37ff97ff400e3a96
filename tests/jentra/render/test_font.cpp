// The bitmap font: wrapping and measuring, the quads of a text and where
// alignment puts them, screen texts, the glyph table file, and the shipped
// font on software GL, where "Rookfall" lands where it is placed with the
// background showing between its letters.
#include "effect_scene.h"

#include <cstring>

#include "Jentra/JTFont.h"

using namespace effect_test;

namespace {

// A font whose every character is `width` heights wide and whose glyph of
// code c spans u from c/256 to (c+1)/256.
void Uniform(JTFont& font, float width) {
    for (int c = 0; c < 256; ++c) {
        const float rect[4] = {c / 256.0f, 0.25f, (c + 1) / 256.0f, 0.5f};
        font.SetGlyph(uint8_t(c), rect, width);
    }
}

// Text nodes own their meshes and effects, which they delete through the
// geometry-part hooks.
class FontLayout : public ::testing::Test {
protected:
    void SetUp() override { JTInstallRenderParts(); }
    void TearDown() override { JTUninstallRenderParts(); }
};

// The y of the first line's top, and the line count, of a text node.
struct Lines {
    float top;
    int count;
};
Lines LinesOf(JTGeoNode* node) {
    auto* mesh = static_cast<JTMesh*>(node->GetMesh());
    Lines l{-1e9f, 0};
    std::vector<float> tops;
    for (unsigned i = 0; i < mesh->GetNumVertices(); i += 4) {
        Vert1 v;
        mesh->GetVertex(i + 1, v); // the top left corner
        if (std::find(tops.begin(), tops.end(), v.y) == tops.end()) tops.push_back(v.y);
        l.top = std::max(l.top, v.y);
    }
    l.count = int(tops.size());
    return l;
}

TEST_F(FontLayout, WrapsAtBlanksOrBeforeTheCharacterThatReachesTheWidth) {
    JTFont font;
    Uniform(font, 0.5f);
    EXPECT_FLOAT_EQ(font.GetTextWidth("abc\ndefgh", 0), 1.5f); // the first line
    EXPECT_FLOAT_EQ(font.GetTextWidth("ab\r\rc", 0), 1.5f);    // CR takes no room
    EXPECT_EQ(font.Wrap("ab\rc", 0, 1), "abc");
    EXPECT_EQ(font.Wrap("abcdefgh", 0, 1), "abcdefgh"); // no width: no wrap
    EXPECT_EQ(font.Wrap("abcdefgh", -3, 1), "abcdefgh");
    // Width 1.5 is reached by the third character: the line breaks before it.
    EXPECT_EQ(font.Wrap("abcdefgh", 1.5f, 1), "ab\ncd\nef\ngh");
    // A blank within the line becomes the break; the width starts again
    // from the character that reached it.
    EXPECT_EQ(font.Wrap("ab cdefg", 2.0f, 1), "ab\ncdef\ng");
    // A single wide character stays alone on its line, never broken away.
    EXPECT_EQ(font.Wrap("abc", 0.1f, 1), "a\nb\nc");
    // Codes above 127 have their own glyph and width.
    const float rect[4] = {0, 0, 0, 0};
    font.SetGlyph(0xE9, rect, 2.0f);
    EXPECT_FLOAT_EQ(font.GetTextWidth("\xE9", 0), 2.0f);
}

TEST_F(FontLayout, TextsAreTwoTrianglesACharacterPlacedByTheAlignment) {
    JTFont font;
    Uniform(font, 0.5f);
    std::unique_ptr<JTGeoNode> two(
        font.MakeText("Hi", 1.0f, TOP_LEFT, JTVec3(0, 0, 3), 1.0f, 0xFFFFFFFF, 0, false));
    auto* mesh = static_cast<JTMesh*>(two->GetMesh());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetNumVertices(), 8u);
    EXPECT_EQ(mesh->GetNumListIndices(), 12u);
    EXPECT_TRUE(mesh->HasBumpMatrices());
    Vert1 v;
    ASSERT_TRUE(mesh->GetVertex(0, v)); // 'H': bottom left, its glyph's left bottom
    EXPECT_FLOAT_EQ(v.x, 0.0f);
    EXPECT_FLOAT_EQ(v.y, -1.0f);
    EXPECT_FLOAT_EQ(v.z, 3.0f);
    EXPECT_FLOAT_EQ(v.u, 'H' / 256.0f);
    EXPECT_FLOAT_EQ(v.v, 0.5f);
    EXPECT_EQ(v.nz, -1.0f);
    ASSERT_TRUE(mesh->GetVertex(7, v)); // 'i': top right
    EXPECT_FLOAT_EQ(v.x, 1.0f);
    EXPECT_FLOAT_EQ(v.y, 0.0f);
    auto* effect = dynamic_cast<JTEffect_StreamingLight*>(static_cast<JTEffect*>(two->GetEffect()));
    EXPECT_NE(effect, nullptr);
    EXPECT_TRUE(two->OwnsEffect() && two->OwnsMesh());

    // Three lines about their middle: the first line's top 1.5 above.
    std::unique_ptr<JTGeoNode> three(
        font.MakeText("ab\ncd\nef", 2.0f, MIDDLE_CENTER, JTVec3(10, 5, 0), 1.0f, 0, 0, false));
    Lines l = LinesOf(three.get());
    EXPECT_EQ(l.count, 3);
    EXPECT_FLOAT_EQ(l.top, 5.0f + 1.5f * 2.0f);
    ASSERT_TRUE(static_cast<JTMesh*>(three->GetMesh())->GetVertex(0, v));
    EXPECT_FLOAT_EQ(v.x, 10.0f - 1.0f); // centred: half of 2 x 0.5 x 2 to the left
    // Bottom right: the block's bottom and the line's right end at the point.
    std::unique_ptr<JTGeoNode> corner(
        font.MakeText("abcd", 1.0f, BOTTOM_RIGHT, JTVec3(0, 0, 0), 2.0f, 0, 0, false));
    ASSERT_TRUE(static_cast<JTMesh*>(corner->GetMesh())->GetVertex(15, v));
    EXPECT_FLOAT_EQ(v.x, 0.0f);
    EXPECT_FLOAT_EQ(v.y, 1.0f);

    // No text: a node with an empty mesh.
    std::unique_ptr<JTGeoNode> empty(font.MakeText("", 1.0f, TOP_LEFT, JTVec3(), 1, 0, 0, false));
    EXPECT_EQ(static_cast<JTMesh*>(empty->GetMesh())->GetNumVertices(), 0u);
    // Past 16384 characters the text is cut, so 16-bit indices still reach.
    std::string huge(20000, 'x');
    std::unique_ptr<JTGeoNode> cut(
        font.MakeText(huge.c_str(), 1.0f, TOP_LEFT, JTVec3(), 1, 0, 0, false));
    EXPECT_EQ(static_cast<JTMesh*>(cut->GetMesh())->GetNumVertices(), 65536u);
}

TEST_F(FontLayout, ScreenTextKeepsItsApparentSizeAtAnyDepth) {
    JTFont font;
    Uniform(font, 1.0f);
    const float quarter = 1.5707964f;
    std::unique_ptr<JTGeoNode> near(font.MakeScreenText(quarter, quarter, "a", 10.0f, TOP_LEFT,
                                                        JTVec3(0.5f, 0.5f, 1), 1, 0, 0, false));
    std::unique_ptr<JTGeoNode> far(font.MakeScreenText(quarter, quarter, "a", 10.0f, TOP_LEFT,
                                                       JTVec3(0.5f, 0.5f, 2), 1, 0, 0, false));
    Vert1 a, b, c, d;
    static_cast<JTMesh*>(near->GetMesh())->GetVertex(0, a);
    static_cast<JTMesh*>(near->GetMesh())->GetVertex(3, b);
    static_cast<JTMesh*>(far->GetMesh())->GetVertex(0, c);
    static_cast<JTMesh*>(far->GetMesh())->GetVertex(3, d);
    EXPECT_NEAR(b.x - a.x, 10.0f * 0.0203125f, 1e-6f);
    EXPECT_NEAR(d.x - c.x, 2 * (b.x - a.x), 1e-6f); // twice as large, twice as far
    EXPECT_NEAR(b.y, 0.5f, 1e-6f);                  // tan(45 degrees) x 0.5 x 1
    EXPECT_NEAR(d.y, 1.0f, 1e-6f);
    EXPECT_EQ(c.z, 2.0f);
}

TEST(FontTable, TheGlyphTableIsReadOnlyWhole) {
    std::string pattern = (std::filesystem::temp_directory_path() / "jentra-font-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    JTSetDataFolder(pattern.c_str());
    JTFont written;
    Uniform(written, 0.75f);
    ASSERT_TRUE(written.SaveSpacing("font1.dat"));
    EXPECT_EQ(std::filesystem::file_size(std::filesystem::path(pattern) / "modules/font1.dat"),
              5120u);
    JTFont read;
    ASSERT_TRUE(read.LoadSpacing("FONT1.DAT"));
    EXPECT_EQ(read.GetAdvance('Q'), 0.75f);
    EXPECT_EQ(read.GetGlyphRect(200)[2], 201 / 256.0f);

    // A short file changes nothing; a missing one neither.
    std::vector<uint8_t> half(2560, 0);
    ASSERT_TRUE(
        platform::WriteWholeFile(std::filesystem::path(pattern) / "modules/short.dat", half));
    EXPECT_FALSE(read.LoadSpacing("short.dat"));
    EXPECT_FALSE(read.LoadSpacing("missing.dat"));
    EXPECT_EQ(read.GetAdvance('Q'), 0.75f);
    JTSetDataFolder(nullptr);
    std::filesystem::remove_all(pattern);
}

// The shipped font drawn on software GL.
class FontPictureTest : public EffectSceneTest {};

TEST_F(FontPictureTest, RookfallLandsWhereItIsPlacedWithGapsBetweenItsLetters) {
    Open(DeviceKind::OpenGL, 160, 60);
    JTFont font;
    ASSERT_EQ(font.Init("font1"), 0);
    ASSERT_NE(font.GetTexture(), nullptr);
    ASSERT_TRUE(font.GetTexture()->HasAlpha());
    ASSERT_GT(font.GetAdvance('R'), 0.2f);
    camera.SetView(JTVec3(), JTVec3(0, 0, 1), JTVec3(0, 1, 0));
    camera.SetFOV(1.5707964f);
    camera.Update();
    // "Rookfall" from the middle of the view to the right, plain white.
    JTGeoNode* text =
        font.MakeScreenText(camera.GetFOVh(), camera.GetFOVv(), "Rookfall", 12.0f, MIDDLE_LEFT,
                            JTVec3(0.0f, 0.0f, 2.0f), 1.0f, 0xFFFFFFFF, 0, false);
    auto* plain = new JTEffect_Simple;
    plain->texture = font.GetTexture();
    plain->emissive[0] = plain->emissive[1] = plain->emissive[2] = 1.0f;
    delete text->GetEffect();
    text->SetEffect(plain, true);
    auto* entity = new JTEntity;
    entity->AddChild(text);
    Place(entity);
    display->SetClearScreen(true);
    Capture();
    EXPECT_EQ(display->GetDevice()->TakeErrors(), 0);

    // Lit pixels only right of the middle and within a line of the middle.
    const float width = font.GetTextWidth("Rookfall", 0) * 12.0f * 0.0203125f * 2.0f;
    const int right = 80 + int(width / 2.0f * 80.0f); // half the view spans 2 units at depth 2
    int lit = 0, stray = 0;
    std::vector<int> columns(size_t(this->width), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < this->width; ++x) {
            uint32_t p = Pixel(x, y);
            if ((p & 0xFF) < 0x80) continue;
            ++lit;
            ++columns[size_t(x)];
            if (x < 79 || x > right + 2 || y < 18 || y > 42) ++stray;
        }
    EXPECT_GT(lit, 150);
    EXPECT_EQ(stray, 0);
    // Between the letters the black background shows: at least five empty
    // columns inside the word.
    int gaps = 0;
    for (int x = 82; x < right - 2; ++x)
        gaps += columns[size_t(x)] == 0 && columns[size_t(x - 1)] > 0;
    EXPECT_GE(gaps, 5);
}

// Text quads are cut to the glyphs' ink: far fewer pixels, the same picture.
TEST_F(FontPictureTest, TextCoversOnlyTheInkOfItsGlyphsAndDrawsTheSame) {
    Open(DeviceKind::OpenGL, 160, 60);
    JTFont cut;
    ASSERT_EQ(cut.Init("font1"), 0);
    ASSERT_NE(cut.GetTexture(), nullptr);
    // The same font, told its glyph table anew: it no longer knows where
    // the ink is and covers whole glyph cells.
    JTFont whole;
    ASSERT_EQ(whole.Init("font1"), 0);
    for (int c = 0; c < 256; ++c)
        whole.SetGlyph(uint8_t(c), whole.GetGlyphRect(uint8_t(c)), whole.GetAdvance(uint8_t(c)));
    camera.SetView(JTVec3(), JTVec3(0, 0, 1), JTVec3(0, 1, 0));
    camera.SetFOV(1.5707964f);
    camera.Update();
    display->SetClearScreen(true);

    // The text as the game shows it, with its trail of light, small enough
    // that the atlas's smaller levels are sampled; the area its quads cover,
    // in the node's units.
    auto draw = [&](JTFont& font, float& area) {
        JTGeoNode* text = font.MakeScreenText(camera.GetFOVh(), camera.GetFOVv(), "Quill & jig.",
                                              12.0f, MIDDLE_CENTER, JTVec3(0.0f, 0.0f, 2.0f), 1.0f,
                                              0xFFFFFFFF, 0, false);
        auto* mesh = static_cast<JTMesh*>(text->GetMesh());
        area = 0;
        for (unsigned i = 0; i + 3 < mesh->GetNumVertices(); i += 4) {
            Vert1 bottomLeft, topRight;
            mesh->GetVertex(i, bottomLeft);
            mesh->GetVertex(i + 3, topRight);
            area += (topRight.x - bottomLeft.x) * (topRight.y - bottomLeft.y);
        }
        auto* entity = new JTEntity;
        entity->AddChild(text);
        Place(entity);
        Capture();
        scene->Delete(entity);
        scene->PostFrameUpdate();
        return pixels;
    };
    float cutArea = 0, wholeArea = 0;
    const std::vector<uint32_t> cutPicture = draw(cut, cutArea);
    const std::vector<uint32_t> wholePicture = draw(whole, wholeArea);
    EXPECT_EQ(display->GetDevice()->TakeErrors(), 0);
    EXPECT_GT(cutArea, 0.0f);
    EXPECT_LT(cutArea, 0.7f * wholeArea);

    int lit = 0, differ = 0;
    for (size_t i = 0; i < cutPicture.size(); ++i) {
        lit += (wholePicture[i] & 0xFF) > 0x40;
        for (int shift : {0, 8, 16}) {
            const int a = int(cutPicture[i] >> shift & 0xFF),
                      b = int(wholePicture[i] >> shift & 0xFF);
            differ += std::abs(a - b) > 2;
        }
    }
    EXPECT_GT(lit, 200);
    EXPECT_EQ(differ, 0);
}

} // namespace

namespace {

// The builder draws an atlas of its own with the tables to match.
class FontBuilderTest : public EffectSceneTest {};

TEST_F(FontBuilderTest, TheBuilderMakesAnAtlasAndTablesFromASystemFont) {
    Open(DeviceKind::Recording);
    JTFont font;
    font.SetBuilderFace("DejaVu Sans", 24, 0);
    ASSERT_TRUE(font.CreateTexture());
    ASSERT_NE(font.GetTexture(), nullptr);
    EXPECT_TRUE(font.GetTexture()->HasAlpha());
    platform::render::Texture* atlas = font.GetTexture()->GetD3DTexture(0);
    ASSERT_NE(atlas, nullptr);
    EXPECT_EQ(atlas->Width(), 512);
    EXPECT_EQ(atlas->Format(), D3DFMT_A4R4G4B4);
    // 'W' is wider than 'i'; every rectangle lies in the atlas; control
    // codes have none.
    EXPECT_GT(font.GetAdvance('W'), font.GetAdvance('i'));
    EXPECT_EQ(font.GetAdvance(10), 0.0f);
    for (int c = 32; c < 256; ++c) {
        const float* r = font.GetGlyphRect(uint8_t(c));
        EXPECT_TRUE(r[0] >= 0 && r[2] <= 1 && r[0] <= r[2] && r[1] < r[3] && r[3] <= 1) << c;
    }
    // The atlas holds white texels whose alpha is the glyphs' coverage.
    const std::vector<uint8_t>& texels = atlas->LevelData(0, 0);
    int covered = 0;
    for (size_t i = 0; i + 1 < texels.size(); i += 2) {
        const uint16_t t = uint16_t(texels[i] | texels[i + 1] << 8);
        EXPECT_EQ(t & 0xFFF, 0xFFF);
        covered += (t >> 12) > 0;
    }
    EXPECT_GT(covered, 5000);
}

} // namespace
