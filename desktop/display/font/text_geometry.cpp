// Text node pieces shared by the single-byte and the wide builder.
#include "desktop/display/font/text_geometry.h"

#include "desktop/scene/object/anim_text.h"

#include <cmath>
#include <string>

namespace lumivane {

namespace {

constexpr uint8_t kTextTextureLevel = 6;

} // namespace

int WrapChars(float wrapWidth, float charWidth) {
    if (!(wrapWidth > 0.0f) || !(charWidth > 0.0f)) return 0;
    const float chars = wrapWidth / charWidth;
    return chars >= float(kMaxTextUnits) ? kMaxTextUnits : int(chars);
}

bool Drawable(float charWidth, float charHeight) {
    return charWidth > 0.0f && charHeight > 0.0f && std::isfinite(charWidth) &&
           std::isfinite(charHeight);
}

void AppendGlyphQuad(std::vector<Vertex>& vertices, std::vector<uint16_t>& indices, float left,
                     float top, float width, float height, float z, uint32_t colour, float u0,
                     float v0, float u1, float v1) {
    const auto base = uint16_t(vertices.size());
    const float right = left + width, bottom = top - height;
    const Vec3 normal{0.0f, 0.0f, -1.0f};
    vertices.push_back({{left, bottom, z}, normal, colour, u0, v1});
    vertices.push_back({{left, top, z}, normal, colour, u0, v0});
    vertices.push_back({{right, bottom, z}, normal, colour, u1, v1});
    vertices.push_back({{right, top, z}, normal, colour, u1, v0});
    for (uint16_t k : {0, 1, 2, 2, 1, 3})
        indices.push_back(uint16_t(base + k));
}

void FinishTextNode(AnimText& node, std::string_view name, std::string_view text, int lit,
                    TextureSet* texture) {
    node.texture = texture;
    node.textured = texture ? 1 : 0;
    node.lighting = lit ? 1 : 0;
    if (!lit) node.brightness = 1.0f;
    node.depthTest = 1; // less or equal
    node.depthWrite = 1;
    node.transparent = 1;
    node.blendMode = 1;
    node.fixedTextureLevel = 1;
    node.textureLevel = kTextTextureLevel;
    node.SetName(name.substr(0, name.find('\0')));
    node.text = std::string(text.substr(0, text.find('\0')).substr(0, size_t(kAnimTextSize - 1)));
}

} // namespace lumivane
