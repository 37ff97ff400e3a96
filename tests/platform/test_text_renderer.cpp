// FreeType text into pictures: lines wrap between words at the width, and
// drawn text lands centred inside its area and nowhere else.
#include "platform/font/text_renderer.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

std::unique_ptr<TextRenderer> OpenFont() {
    std::string error;
    auto font = TextRenderer::Open(FindSystemFont(FontStyle::BoldItalic), 16, &error);
    EXPECT_TRUE(font) << error;
    return font;
}

struct Ink {
    int count = 0, left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
};

// Pixels that are no longer pure white.
Ink FindInk(const image::Image& picture) {
    Ink ink;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = picture.pixels.data() + (size_t(y) * size_t(picture.width) + x) * 4;
            if (p[0] == 255 && p[1] == 255 && p[2] == 255) continue;
            ++ink.count;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    return ink;
}

image::Image White(int width, int height) {
    image::Image picture = image::MakeImage(image::PixelFormat::X8R8G8B8, width, height);
    std::fill(picture.pixels.begin(), picture.pixels.end(), uint8_t(255));
    return picture;
}

} // namespace

TEST(TextRenderer, WrapsBetweenWordsAndAtLineFeeds) {
    auto font = OpenFont();
    ASSERT_TRUE(font);
    EXPECT_EQ(font->WrapLines("one two", 1000), (std::vector<std::string>{"one two"}));
    EXPECT_EQ(font->WrapLines("one\ntwo", 1000), (std::vector<std::string>{"one", "two"}));
    const int oneWidth = font->LineWidth("one");
    EXPECT_GT(oneWidth, 0);
    EXPECT_EQ(font->WrapLines("one two three", oneWidth + 2),
              (std::vector<std::string>{"one", "two", "three"}));
    // A word longer than the line stands alone.
    EXPECT_EQ(font->WrapLines("unbreakable x", 5), (std::vector<std::string>{"unbreakable", "x"}));
}

TEST(TextRenderer, DrawsCentredInsideItsAreaOnly) {
    auto font = OpenFont();
    ASSERT_TRUE(font);
    image::Image picture = White(200, 80);
    font->DrawWrappedCentred(picture, {20, 30, 160, 40}, "Wide\n...", 0x102040);
    const Ink ink = FindInk(picture);
    ASSERT_GT(ink.count, 20);
    EXPECT_GE(ink.left, 20);
    EXPECT_LT(ink.right, 180);
    EXPECT_GE(ink.top, 30);
    EXPECT_LT(ink.bottom, 70);
    // Centred: the ink's middle lies near the area's middle (x = 100).
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 100.0, 6.0);
    // Two lines: the dots sit below the word.
    EXPECT_GT(ink.bottom - ink.top, font->LineHeight());

    image::Image clipped = White(60, 20);
    font->DrawWrappedCentred(clipped, {0, 0, 30, 10}, "MMMMMMMMMM", 0);
    const Ink cut = FindInk(clipped);
    EXPECT_GT(cut.count, 0);
    EXPECT_LT(cut.right, 30);
    EXPECT_LT(cut.bottom, 10);
}
