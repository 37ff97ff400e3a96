// Where the glyphs of a text go: the word wrap, the lines and their
// lengths, the padding of left-anchored blocks and the anchor's offset. The
// bitmap font's two builders (single-byte and wide) share it; they differ
// only in how a character picks its glyph.
#pragma once

#include <cstdint>
#include <vector>

namespace lumivane {

inline constexpr int kMaxTextUnits = 999;    // the 1000-unit working buffer and its end
inline constexpr int kMaxTextLines = 100;    // line lengths kept
inline constexpr int kMaxTextGlyphs = 16383; // four vertices each stay within 16-bit indices

// One character placed: its code, line, and column (in character cells;
// centred lines start half a cell off).
struct PlacedGlyph {
    uint32_t code = 0;
    int line = 0;
    float column = 0.0f;
};

struct TextBlock {
    std::vector<PlacedGlyph> glyphs; // in text order, carriage returns left out
    int lineCount = 1;
    int longestLine = 0; // characters
    // The block's offset from (x, y) in character cells: add ox x width
    // and oy x height.
    float offsetX = 0.0f;
    float offsetY = 0.0f;
};

// Wraps `units` in place at `maxChars` characters a line (below 1: no
// wrap), preferring the last space of the line, else breaking before the
// character that does not fit. The text never grows past kMaxTextUnits.
void WrapText(std::vector<uint32_t>& units, int maxChars);

// Lines, padding and anchor (0..8: top, middle, bottom rows of left, centre
// and right) of a wrapped text. At most kMaxTextLines lines and
// kMaxTextGlyphs glyphs are kept; the rest is cut.
TextBlock LayOutText(const std::vector<uint32_t>& units, int anchor);

} // namespace lumivane
