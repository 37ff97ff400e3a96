// Procedural pictures: noise, mixing, painting and writing.
#include "tools/databuilder/shared/paint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/binary_io.h"
#include "tools/databuilder/shared/write_if_changed.h"
#include "platform/image/jpeg.h"
#include "platform/image/tga.h"

namespace databuilder::paint {

namespace {

constexpr int kJpegQuality = 90;

float Lattice(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xFFFF) / 65535.0f;
}

} // namespace

float Noise(float x, float y, uint32_t seed, int period) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = x - float(x0), fy = y - float(y0);
    const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    auto at = [&](int i, int j) {
        return Lattice(((i % period) + period) % period, ((j % period) + period) % period, seed);
    };
    const float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    const float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return top + (bottom - top) * sy;
}

float Fractal(float u, float v, uint32_t seed, int cells, int octaves) {
    float sum = 0, amplitude = 0.5f, total = 0;
    for (int o = 0; o < octaves; ++o) {
        const int period = cells << o;
        sum += amplitude * Noise(u * float(period), v * float(period), seed + uint32_t(o), period);
        total += amplitude;
        amplitude *= 0.5f;
    }
    return sum / total;
}

Colour Mix(Colour a, Colour b, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

uint8_t Byte(float v) {
    return uint8_t(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f);
}

platform::image::Image Paint(int width, int height, platform::image::PixelFormat format,
                             const std::function<Colour(float, float, float&)>& shade) {
    platform::image::Image image = platform::image::MakeImage(format, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float alpha = 1.0f;
            const Colour c =
                shade((float(x) + 0.5f) / float(width), (float(y) + 0.5f) / float(height), alpha);
            uint8_t* p = image.pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
            p[0] = Byte(c.b);
            p[1] = Byte(c.g);
            p[2] = Byte(c.r);
            p[3] = Byte(alpha);
        }
    return image;
}

bool Fail(const std::filesystem::path& file, const std::string& error) {
    std::fprintf(stderr, "textures: cannot write %s: %s\n", file.c_str(), error.c_str());
    return false;
}

bool WriteJpeg(const std::filesystem::path& file, const platform::image::Image& image) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!platform::image::EncodeJpeg(image, kJpegQuality, bytes, &error) ||
        !WriteFileIfChanged(file, bytes, &error))
        return Fail(file, error);
    return true;
}

bool WriteTga(const std::filesystem::path& file, const platform::image::Image& image) {
    std::string error;
    if (!platform::image::WriteTgaFile(file, image, &error)) return Fail(file, error);
    return true;
}

} // namespace databuilder::paint
