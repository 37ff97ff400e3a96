// Anti-aliased text drawn into pictures through FreeType, in place of the
// system's font drawing for the few plain windows the programs paint
// themselves (the texture converter's progress window).
#pragma once

#include "platform/image/image.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class FontStyle { Regular, Bold, BoldItalic };

// The first installed sans-serif face of that style (DejaVu Sans from
// fonts-dejavu-core, then a few common others); empty when none is found.
std::filesystem::path FindSystemFont(FontStyle style);

struct TextArea {
    int left = 0, top = 0, width = 0, height = 0;
};

class TextRenderer {
public:
    // Opens the face at the given pixel height (12 points on a 96-dpi
    // screen are 16 pixels). Null with *error set when it cannot be read.
    static std::unique_ptr<TextRenderer> Open(const std::filesystem::path& fontFile,
                                              int pixelHeight, std::string* error = nullptr);
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    // The UTF-8 text broken into lines: at line feeds, and between words
    // where a line would pass maxWidth (a word longer than a line stands
    // alone on its line and is cut at the edge when drawn).
    std::vector<std::string> WrapLines(std::string_view utf8, int maxWidth) const;
    // Advance width of one line in pixels.
    int LineWidth(std::string_view utf8) const;
    int LineHeight() const;

    // Draws the text word-wrapped into the area of a 32-bit BGRA picture,
    // each line centred, on a transparent background: every pixel is
    // blended towards the colour (0xRRGGBB) by the glyph's coverage.
    // Nothing outside the area changes.
    void DrawWrappedCentred(image::Image& target, const TextArea& area, std::string_view utf8,
                            uint32_t rgb) const;
    // Draws one line as it stands, its top left corner at (left, top), the
    // same way; only pixels inside `clip` change.
    void DrawLine(image::Image& target, const TextArea& clip, int left, int top,
                  std::string_view line, uint32_t rgb) const;

    struct Impl;

private:
    explicit TextRenderer(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
