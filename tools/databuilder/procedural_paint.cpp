// Procedural painting.
#include "tools/databuilder/procedural_paint.h"

#include <algorithm>
#include <cmath>

namespace databuilder {

double LatticeValue(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

namespace {

// Value noise whose lattice repeats every periodX by periodY cells (a
// period of 0 never repeats).
double PeriodicNoise(double x, double y, int periodX, int periodY, uint32_t seed) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    auto wrap = [](int v, int period) { return period > 0 ? ((v % period) + period) % period : v; };
    auto at = [&](int cx, int cy) {
        return LatticeValue(wrap(cx, periodX), wrap(cy, periodY), seed);
    };
    const double top = at(x0, y0) * (1 - sx) + at(x0 + 1, y0) * sx;
    const double bottom = at(x0, y0 + 1) * (1 - sx) + at(x0 + 1, y0 + 1) * sx;
    return top * (1 - sy) + bottom * sy;
}

} // namespace

double ValueNoise(double x, double y, uint32_t seed) {
    return PeriodicNoise(x, y, 0, 0, seed);
}

double Fractal(double x, double y, uint32_t seed) {
    return TiledFractal(x, y, 0, 0, seed);
}

double TiledFractal(double x, double y, int periodX, int periodY, uint32_t seed) {
    double sum = 0, weight = 0.5, total = 0;
    for (int octave = 0; octave < 4; ++octave) {
        sum += PeriodicNoise(x, y, periodX, periodY, seed + uint32_t(octave)) * weight;
        total += weight;
        x *= 2;
        y *= 2;
        periodX *= 2;
        periodY *= 2;
        weight *= 0.5;
    }
    return sum / total;
}

uint8_t Byte(double v) {
    return uint8_t(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5);
}

platform::image::Image Paint(platform::image::PixelFormat format, int width, int height,
                             const std::function<void(double u, double v, double rgba[4])>& fn) {
    platform::image::Image image = platform::image::MakeImage(format, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double rgba[4] = {0, 0, 0, 1};
            fn((x + 0.5) / width, (y + 0.5) / height, rgba);
            uint8_t* p = image.pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
            p[0] = Byte(rgba[2]);
            p[1] = Byte(rgba[1]);
            p[2] = Byte(rgba[0]);
            p[3] = format == platform::image::PixelFormat::A8R8G8B8 ? Byte(rgba[3]) : 255;
        }
    return image;
}

} // namespace databuilder
