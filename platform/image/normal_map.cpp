// Forward-difference normals from a height field.
#include "platform/image/normal_map.h"

namespace platform::image {

std::vector<SurfaceNormal> NormalsFromHeights(std::span<const float> heights, int width,
                                              int height) {
    if (width <= 0 || height <= 0 || heights.size() != size_t(width) * size_t(height)) return {};
    std::vector<SurfaceNormal> normals(heights.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t i = size_t(y) * size_t(width) + size_t(x);
            const float h = heights[i];
            const float right = x + 1 < width ? heights[i + 1] : h;
            const float below = y + 1 < height ? heights[i + size_t(width)] : h;
            normals[i] = NormalFromHeights(h, right, below);
        }
    return normals;
}

} // namespace platform::image
