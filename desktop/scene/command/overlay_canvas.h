// OverlayCanvas: where the command interface and the head-up display draw
// their markers, lines, boxes and cursors. Everything goes with lighting and
// depth writes off, in the 44-byte vertex format; the display draws it and
// tests record it. World-space drawing uses the scene's camera; overlay
// space is the screen's own: x from -1 (left) to 1, y from -0.75 (bottom)
// to 0.75 (top).
#pragma once

#include <cstdint>
#include <span>

#include "desktop/scene/object/geo_node.h"

namespace lumivane {

class TextureSet;

class OverlayCanvas {
public:
    virtual ~OverlayCanvas() = default;
    // A triangle fan of at most kMaxFanVertices vertices, textured with frame
    // `frame` of the set (untextured without one).
    virtual void Fan(std::span<const Vertex> vertices, TextureSet* texture, int frame,
                     bool overlaySpace) = 0;
    // An indexed triangle list in world space (the head-up display's
    // batches), with culling off.
    virtual void Triangles(std::span<const Vertex> vertices, std::span<const uint16_t> indices,
                           TextureSet* texture, int frame) = 0;
};

inline constexpr int kMaxFanVertices = 10;

// An overlay vertex: both texture pairs alike.
inline Vertex OverlayVertex(const Vec3& position, uint32_t colour, float u, float v) {
    Vertex vertex;
    vertex.position = position;
    vertex.colour = colour;
    vertex.u = vertex.u2 = u;
    vertex.v = vertex.v2 = v;
    return vertex;
}

// What the command interface's drawing takes from the head-up display and
// the main loop.
struct OverlayLook {
    bool hudOn = true;
    float hudAlpha = 1.0f; // the head-up display's fade level, 0..1
    bool paused = false;   // a scene trigger paused the game
    TextureSet* heightBarTexture = nullptr;
};

// The opacity the head-up display's overlays are drawn with.
inline constexpr float kHudOpacity = 0.7f;

} // namespace lumivane
