// Separable tent-filter resampling of 32-bit BGRA pictures.
#include "platform/image/resize.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
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

void Store(float sum, float& out) {
    out = sum;
}

void Store(float sum, uint8_t& out) {
    out = uint8_t(std::clamp(std::lround(sum), 0l, 255l));
}

// Four-channel pixels of `height` rows, `from` wide, resampled along each
// row to `to` wide.
template <class In, class Out>
void ResampleRows(const In* source, Out* result, int height, int from, int to) {
    const auto taps = Taps(from, to);
    for (size_t y = 0; y < size_t(height); ++y)
        for (size_t x = 0; x < size_t(to); ++x)
            for (size_t c = 0; c < 4; ++c) {
                float sum = 0;
                for (const Tap& tap : taps[x])
                    sum +=
                        tap.weight * float(source[(y * size_t(from) + size_t(tap.source)) * 4 + c]);
                Store(sum, result[(y * size_t(to) + x) * 4 + c]);
            }
}

// Four-channel pixels `width` wide, `from` rows high, resampled down each
// column to `to` rows.
template <class In, class Out>
void ResampleColumns(const In* source, Out* result, int width, int from, int to) {
    const auto taps = Taps(from, to);
    for (size_t y = 0; y < size_t(to); ++y)
        for (size_t x = 0; x < size_t(width); ++x)
            for (size_t c = 0; c < 4; ++c) {
                float sum = 0;
                for (const Tap& tap : taps[y])
                    sum += tap.weight *
                           float(source[(size_t(tap.source) * size_t(width) + x) * 4 + c]);
                Store(sum, result[(y * size_t(width) + x) * 4 + c]);
            }
}

} // namespace

Image ResizeImage(const Image& bgra, int width, int height) {
    if (BitsPerPixel(bgra.format) != 32 || width <= 0 || height <= 0 ||
        bgra.pixels.size() != LevelSize(bgra.format, bgra.width, bgra.height))
        return {};
    if (width == bgra.width && height == bgra.height) return bgra;

    // Along one direction into floats, then along the other. The direction
    // that leaves the smaller picture between the passes goes first: the
    // floats are four times the bytes of that picture.
    const size_t w0 = size_t(bgra.width), h0 = size_t(bgra.height);
    const size_t w1 = size_t(width), h1 = size_t(height);
    Image out = MakeImage(bgra.format, width, height);
    if (w1 * h0 <= w0 * h1) {
        std::vector<float> rows(w1 * h0 * 4);
        ResampleRows(bgra.pixels.data(), rows.data(), bgra.height, bgra.width, width);
        ResampleColumns(rows.data(), out.pixels.data(), width, bgra.height, height);
    } else {
        std::vector<float> columns(w0 * h1 * 4);
        ResampleColumns(bgra.pixels.data(), columns.data(), bgra.width, bgra.height, height);
        ResampleRows(columns.data(), out.pixels.data(), height, bgra.width, width);
    }
    return out;
}

TextureSize PowerOfTwoSize(int width, int height) {
    TextureSize size{NextPowerOfTwo(width), NextPowerOfTwo(height)};
    while (!WithinPixelBound(size.width, size.height) && (size.width > 1 || size.height > 1))
        (size.width >= size.height ? size.width : size.height) /= 2;
    return size;
}

Image StretchToPowerOfTwo(const Image& bgra) {
    const TextureSize size = PowerOfTwoSize(bgra.width, bgra.height);
    return ResizeImage(bgra, size.width, size.height);
}

} // namespace platform::image
