// Pieces the bitmap font's two builders share: the text's units, the wrap
// width in characters, glyph quads and the settings of a text node.
#pragma once

#include "desktop/display/font/text_layout.h"
#include "desktop/scene/object/geo_node.h"

#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

namespace lumivane {

class AnimText;
class TextureSet;

// The text's units up to its first zero, at most the working buffer's; an
// empty text becomes one space.
template <class Unit> std::vector<uint32_t> UnitsOf(std::basic_string_view<Unit> text) {
    std::vector<uint32_t> units;
    for (Unit c : text) {
        if (c == 0 || units.size() == size_t(kMaxTextUnits)) break;
        units.push_back(uint32_t(std::make_unsigned_t<Unit>(c)));
    }
    if (units.empty()) units.push_back(' ');
    return units;
}

// The characters a wrap width holds (0: no wrap).
int WrapChars(float wrapWidth, float charWidth);
// Glyphs of that size can be drawn.
bool Drawable(float charWidth, float charHeight);

// One glyph: vertices left-bottom, left-top, right-bottom, right-top with
// the normal (0, 0, -1), and the two triangles that share its diagonal.
void AppendGlyphQuad(std::vector<Vertex>& vertices, std::vector<uint16_t>& indices, float left,
                     float top, float width, float height, float z, uint32_t colour, float u0,
                     float v0, float u1, float v1);

// Texture, lighting (unlit: light factor 1), depth test less-or-equal with
// writes, alpha blending, the best texture level, the name (31 characters
// kept) and the text buffer.
void FinishTextNode(AnimText& node, std::string_view name, std::string_view text, int lit,
                    TextureSet* texture);

} // namespace lumivane
