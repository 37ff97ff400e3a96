// Separable tent-filter resampling of 32-bit BGRA pictures.
#include "platform/image/resize.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform::image {

namespace {

struct Tap {
    int source;
    float weight;
};

// For each output position the source positions it reads and their weights.
std::vector<std::vector<Tap>> Taps(int from, int to) {
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(to));
    const float scale = float(from) / float(to);
    const float radius = std::max(scale, 1.0f);
    for (int i = 0; i < to; ++i) {
        const float centre = (float(i) + 0.5f) * scale - 0.5f;
        const int first = int(std::floor(centre - radius));
        const int last = int(std::ceil(centre + radius));
        float total = 0;
        for (int s = first; s <= last; ++s) {
            const float weight = 1.0f - std::fabs(float(s) - centre) / radius;
            if (weight <= 0) continue;
            taps[size_t(i)].push_back({std::clamp(s, 0, from - 1), weight});
            total += weight;
        }
        for (Tap& tap : taps[size_t(i)])
            tap.weight /= total;
    }
    return taps;
}

} // namespace

Image ResizeImage(const Image& bgra, int width, int height) {
    if (BitsPerPixel(bgra.format) != 32 || width <= 0 || height <= 0 ||
        bgra.pixels.size() != LevelSize(bgra.format, bgra.width, bgra.height))
        return {};
    if (width == bgra.width && height == bgra.height) return bgra;

    // Rows first into floats, then columns.
    const auto across = Taps(bgra.width, width);
    std::vector<float> rows(size_t(width) * size_t(bgra.height) * 4);
    for (int y = 0; y < bgra.height; ++y)
        for (int x = 0; x < width; ++x)
            for (const Tap& tap : across[size_t(x)])
                for (int c = 0; c < 4; ++c)
                    rows[(size_t(y) * size_t(width) + size_t(x)) * 4 + size_t(c)] +=
                        tap.weight *
                        float(
                            bgra.pixels[(size_t(y) * size_t(bgra.width) + size_t(tap.source)) * 4 +
                                        size_t(c)]);

    const auto down = Taps(bgra.height, height);
    Image out = MakeImage(bgra.format, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) {
                float sum = 0;
                for (const Tap& tap : down[size_t(y)])
                    sum += tap.weight *
                           rows[(size_t(tap.source) * size_t(width) + size_t(x)) * 4 + size_t(c)];
                out.pixels[(size_t(y) * size_t(width) + size_t(x)) * 4 + size_t(c)] =
                    uint8_t(std::clamp(std::lround(sum), 0l, 255l));
            }
    return out;
}

Image StretchToPowerOfTwo(const Image& bgra) {
    return ResizeImage(bgra, NextPowerOfTwo(bgra.width), NextPowerOfTwo(bgra.height));
}

} // namespace platform::image
