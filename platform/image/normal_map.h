// Height maps to normal maps.
#pragma once

#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

namespace platform::image {

struct SurfaceNormal {
    float x = 0, y = 0, z = 1;
};

// normalise(h - right, h - below, 1): the normal of a surface of height h
// whose right and lower neighbours have those heights.
inline SurfaceNormal NormalFromHeights(float h, float right, float below) {
    const float nx = h - right, ny = h - below, nz = 1.0f;
    const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
    return {nx / length, ny / length, nz / length};
}

// One normal per height (rows top first): normalise(h - right, h - below, 1)
// from the pixel's height and those of its right and lower neighbours; the
// last column and row use their own height for the missing neighbour. An
// empty result when the heights do not fill width x height.
std::vector<SurfaceNormal> NormalsFromHeights(std::span<const float> heights, int width,
                                              int height);

// A normal component in -1..1 as a byte: 127 x n + 128, truncated (so a flat
// surface is 128, 128, 255).
inline uint8_t NormalComponentToByte(float n) {
    const float value = 127.0f * n + 128.0f;
    return value <= 0.0f ? 0 : value >= 255.0f ? 255 : uint8_t(value);
}

} // namespace platform::image
