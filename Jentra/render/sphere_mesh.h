// A sphere of engine vertices: poles on the z axis, rings of `slices`
// vertices between them (`stacks` bands), normals pointing out, faces
// wound clockwise as seen from outside (the engine's front faces).
#pragma once

#include <cstdint>
#include <vector>

#include "Jentra/JTGeoNode.h"

// slices and stacks are raised to at least 3 and 2; the vertex count
// (2 + (stacks - 1) x slices) must fit 16-bit indices, so larger spheres
// are refused with empty lists.
void JTBuildSphere(float radius, int slices, int stacks, std::vector<Vert1>& vertices,
                   std::vector<uint16_t>& indices);
