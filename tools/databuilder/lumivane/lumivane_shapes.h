// Procedural shapes for Lumivane's models: each is a GeoNode built through
// the engine's own vertex build, ready to be saved or hung into a
// prototype's tree by the steps that author Lumivane's data.
#pragma once

#include <cstdint>
#include <string_view>

#include "desktop/scene/object/geo_node.h"

namespace databuilder {

struct ShapeLook {
    uint32_t colour = 0xFFFFFFFF;
    std::string_view texture; // a file name under models\textures\, or none
    bool lit = true;
    // A bump texture ("..._bump.dds" under models\textures\) the display's
    // bump pass lights the shape's surface with, or none.
    std::string_view bump;
};

// A sphere of `rings` bands and `segments` slices; texture u runs once
// round the equator, v from the north pole (0) to the south (1).
lumivane::GeoNode* MakeSphere(std::string_view name, float radius, int rings, int segments,
                              const ShapeLook& look = {});
// The same sphere with its front faces inside, for a dome round the viewer.
lumivane::GeoNode* MakeInsideSphere(std::string_view name, float radius, int rings, int segments,
                                    const ShapeLook& look = {});
// A sphere seen from inside, as the six faces of a cube blown up round its
// centre, each face cut into divisions x divisions squares of equal angle
// (so no part of it is much more stretched than another, and there are no
// poles); a repeating texture goes `tiles` times across each face.
lumivane::GeoNode* MakeSkyDome(std::string_view name, float radius, int divisions, float tiles,
                               const ShapeLook& look = {});
// A square facing -Z (towards a camera looking along +Z), centred on the
// origin, texture (0, 0) at its top left.
lumivane::GeoNode* MakeQuad(std::string_view name, float size, const ShapeLook& look = {});
// A rectangle facing -Z from (left, top) to (right, bottom) in the XY
// plane, texture (u0, v0) at its top left and (u1, v1) at its bottom right.
lumivane::GeoNode* MakeRect(std::string_view name, float left, float top, float right, float bottom,
                            float u0, float v0, float u1, float v1, const ShapeLook& look = {});
// A flat ring in the XZ plane, seen from both sides; v runs from the inner
// edge (0) to the outer (1).
lumivane::GeoNode* MakeRing(std::string_view name, float inner, float outer, int segments,
                            const ShapeLook& look = {});

// A flat-shaded wedge pointing along +Z: its nose at 0.6 of `length` ahead
// of the origin, a diamond-shaped back of `width` and `height` behind.
lumivane::GeoNode* MakeWedge(std::string_view name, float length, float width, float height,
                             const ShapeLook& look = {});

} // namespace databuilder
