// Where the glyphs of a font's atlas have ink. Drawn quads cut down to the
// ink cost a fraction of the whole glyph cells' pixels and show the same:
// outside the ink the atlas is transparent and draws nothing.
#pragma once

namespace platform::render {
class BaseTexture;
}

namespace jentra::font {

// Levels of the atlas the ink is looked for in: text drawn at half the
// atlas's size or larger samples no others. Smaller text also reads the
// third level, whose blur reaches at most two texels of the first level
// past the widened ink: a faint rim, lost without a visible change, where
// looking there too would give back much of the pixels saved.
constexpr int kInkLevels = 2;

// For each code with a rectangle (left, top, right, bottom in texture
// coordinates), the part of it outside of which the atlas's first
// kInkLevels MIP levels hold no alpha, widened by one texel of each level for
// the filter's reach. A glyph without ink gets a sliver of one texel at the
// top left corner of its rectangle. False, leaving `ink` as it is, when the
// atlas has no pictures to look at.
bool FindInk(const platform::render::BaseTexture& atlas, const float rect[256][4],
             float ink[256][4]);

} // namespace jentra::font
