// Hull paint for Lumivane's units: panels tinted with a unit's colour, one
// texture "models\textures\hull_rrggbb.dds" per colour. The colour lives in
// the texture, not in the vertices, because a far unit glows to stay in
// sight and that glow washes vertex colours out to white; a texture keeps
// its colours under it. The big hulls also carry the plates' relief as a
// bump texture, "hull_bump.dds" (normals, for DOT3) with its twin
// "hull_bumpenv.dds" (slopes, for environment bump mapping).
#pragma once

#include <cstdint>
#include <filesystem>

#include "tools/databuilder/lumivane/lumivane_shapes.h"

namespace databuilder {

// The look of a lit hull of `colour` (ARGB): white vertices under the
// panel texture of that colour, which WriteHullTextures then writes.
ShapeLook HullLook(uint32_t colour);
// The same with the plates' relief for the bump pass.
ShapeLook BumpedHullLook(uint32_t colour);

// Writes the panel texture of every colour HullLook was asked for that is
// not yet under `root`, and the bump textures once BumpedHullLook was
// asked for; false (after saying why on stderr) when one cannot be written.
bool WriteHullTextures(const std::filesystem::path& root);

} // namespace databuilder
