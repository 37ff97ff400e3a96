// Writes the textures of modules/ that the engine, the particle prototypes
// and the game name, drawn procedurally: wood, marble, stone and sky for the
// worlds, the benchmark's "mountains.jpg", a rock with an alpha companion,
// glow, spark and smoke sprites for the particle systems, and the six-face
// cube map "cubetest.dds" of the wet-ice effect. Each is written in the kind
// its name selects when the engine loads it.
#include "tools/databuilder/shared/data_step.h"
#include "tools/databuilder/shared/paint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/binary_io.h"
#include "platform/image/dds.h"
#include "platform/image/jpeg.h"
#include "platform/image/mipmap.h"
#include "platform/image/tga.h"

namespace {

using platform::image::Image;
using platform::image::PixelFormat;
using namespace databuilder::paint;

constexpr float kTwoPi = 6.2831853f;

Colour Wood(float u, float v, float&) {
    // Planks along u: rings bent by noise, a darker seam between planks.
    const float bend = Fractal(u, v, 11, 4) * 6.0f;
    const float rings = 0.5f + 0.5f * std::sin((v * 24.0f + bend) * kTwoPi * 0.5f);
    const float grain = Fractal(u * 0.25f, v * 4.0f, 12, 8, 3);
    Colour c = Mix({0.55f, 0.33f, 0.16f}, {0.36f, 0.2f, 0.09f}, rings * 0.7f + grain * 0.3f);
    const float seam = std::fabs(std::fmod(v * 4.0f, 1.0f) - 0.5f);
    if (seam > 0.48f) c = Mix(c, {0.15f, 0.08f, 0.03f}, 0.7f);
    return c;
}

Colour Marble(float u, float v, float&) {
    const float turbulence = Fractal(u, v, 21, 4, 6);
    const float veins =
        std::fabs(std::sin((u * 3.0f + v * 2.0f + turbulence * 4.0f) * kTwoPi * 0.5f));
    return Mix({0.35f, 0.36f, 0.4f}, {0.93f, 0.92f, 0.9f}, std::pow(veins, 0.35f));
}

Colour Stone(float u, float v, float&) {
    const float base = Fractal(u, v, 31, 8);
    const float cracks = std::fabs(Fractal(u, v, 32, 3, 4) - 0.5f);
    Colour c = Mix({0.3f, 0.29f, 0.27f}, {0.62f, 0.6f, 0.56f}, base);
    if (cracks < 0.01f) c = Mix(c, {0.12f, 0.12f, 0.11f}, 0.8f);
    return c;
}

Colour Sky(float u, float v, float&) {
    Colour c = Mix({0.18f, 0.36f, 0.78f}, {0.7f, 0.82f, 0.95f}, v);
    const float cloud = std::clamp((Fractal(u, v * 0.5f, 41, 4) - 0.5f) * 3.0f, 0.0f, 1.0f);
    return Mix(c, {1.0f, 1.0f, 1.0f}, cloud * 0.8f);
}

Colour Mountains(float u, float v, float&) {
    // A ridge line from noise along u, snow on the higher peaks, sky behind.
    const float ridge = 0.45f + 0.9f * (Fractal(u, 0.5f, 51, 3, 5) - 0.5f);
    if (v < ridge) return Mix({0.3f, 0.45f, 0.8f}, {0.75f, 0.82f, 0.92f}, v / ridge);
    const float depth = (v - ridge) / (1.0f - ridge);
    Colour rock = Mix({0.42f, 0.4f, 0.42f}, {0.2f, 0.24f, 0.16f}, depth);
    rock = Mix(rock, {0.1f, 0.1f, 0.1f}, Fractal(u, v, 52, 16, 3) * 0.4f);
    if (ridge < 0.42f && depth < (0.42f - ridge) + 0.05f * Fractal(u, v, 53, 8, 2))
        rock = {0.94f, 0.95f, 0.97f};
    return rock;
}

Colour Rock(float u, float v, float&) {
    return Mix({0.3f, 0.26f, 0.22f}, {0.6f, 0.55f, 0.5f}, Fractal(u, v, 61, 6));
}

// The rock's outline: opaque inside a noisy round edge (red = alpha).
Colour RockAlpha(float u, float v, float&) {
    const float du = u - 0.5f, dv = v - 0.5f;
    const float edge = 0.38f + 0.1f * Fractal(u, v, 62, 4, 3);
    const float a = std::clamp((edge - std::sqrt(du * du + dv * dv)) * 20.0f, 0.0f, 1.0f);
    return {a, a, a};
}

float Radial(float u, float v) {
    const float du = u - 0.5f, dv = v - 0.5f;
    return std::sqrt(du * du + dv * dv) * 2.0f;
}

// White light fading to black: for additive particles.
Colour Glow(float u, float v, float&) {
    const float d = Radial(u, v);
    const float light = std::clamp(std::exp(-d * d * 6.0f) - 0.0025f, 0.0f, 1.0f);
    return {light, light, light};
}

// A bright point whose alpha falls off: a 32-bit Targa.
Colour Spark(float u, float v, float& alpha) {
    const float d = Radial(u, v);
    alpha = std::clamp(1.0f - d, 0.0f, 1.0f);
    alpha *= alpha;
    return {1.0f, 0.95f, 0.8f};
}

Colour Smoke(float u, float v, float&) {
    const float shade = 0.6f + 0.4f * Fractal(u, v, 71, 4, 4);
    return {shade, shade, shade};
}

Colour SmokeAlpha(float u, float v, float&) {
    const float d = Radial(u, v);
    const float a = std::clamp((1.0f - d) * (0.5f + Fractal(u, v, 72, 4, 4)), 0.0f, 1.0f);
    return {a, a, a};
}

// A cube face: looking along a direction, sky above, ground below, a warm
// horizon between; each face tinted so that a test can tell them apart.
Image CubeFace(int face, int size) {
    const Colour tints[6] = {{1.0f, 0.85f, 0.85f}, {0.85f, 1.0f, 0.85f}, {1.0f, 1.0f, 1.0f},
                             {0.6f, 0.5f, 0.4f},   {0.85f, 0.85f, 1.0f}, {1.0f, 1.0f, 0.8f}};
    return Paint(size, size, PixelFormat::X8R8G8B8, [&](float u, float v, float&) {
        float height = 1.0f - v; // +Y and -Y are all sky and all ground
        if (face == 2) height = 1.0f;
        if (face == 3) height = 0.0f;
        const Colour sky = Mix({0.75f, 0.8f, 0.9f}, {0.2f, 0.35f, 0.7f}, (height - 0.5f) * 2.0f);
        const Colour ground =
            Mix({0.35f, 0.3f, 0.25f}, {0.15f, 0.13f, 0.1f}, (0.5f - height) * 2.0f);
        Colour c = height >= 0.5f ? sky : ground;
        c = Mix(c, {1.0f, 1.0f, 1.0f}, Fractal(u, v, 81 + uint32_t(face), 4, 3) * 0.15f);
        return Colour{c.r * tints[face].r, c.g * tints[face].g, c.b * tints[face].b};
    });
}

bool WriteCube(const std::filesystem::path& file, int size) {
    platform::image::TextureImage cube;
    cube.cube = true;
    std::string error;
    for (int face = 0; face < 6; ++face) {
        platform::image::TextureImage one;
        if (!platform::image::BuildTexture(CubeFace(face, size), PixelFormat::DXT1, 0, one, &error))
            return Fail(file, error);
        cube.format = one.format;
        cube.width = one.width;
        cube.height = one.height;
        cube.mipCount = one.mipCount;
        for (Image& level : one.levels)
            cube.levels.push_back(std::move(level));
    }
    if (!platform::image::WriteDdsFile(file, cube, &error)) return Fail(file, error);
    return true;
}

} // namespace

DATABUILDER_STEP(WriteTextures, "textures") {
    const std::filesystem::path folder = context.runtime / "modules";
    std::error_code made;
    std::filesystem::create_directories(folder, made);

    struct Picture {
        const char* name;
        int width, height;
        Colour (*shade)(float, float, float&);
    };
    const Picture jpegs[] = {
        {"wood.jpg", 256, 256, Wood},
        {"marble.jpg", 256, 256, Marble},
        {"stone.jpg", 256, 256, Stone},
        {"sky.jpg", 256, 256, Sky},
        {"mountains.jpg", 512, 256, Mountains},
        {"rock.jpg", 128, 128, Rock},
        {"rock_alpha.jpg", 128, 128, RockAlpha},
        {"glow.jpg", 64, 64, Glow},
        {"smoke.jpg", 64, 64, Smoke},
        {"smoke_alpha.jpg", 64, 64, SmokeAlpha},
    };
    bool ok = true;
    for (const Picture& p : jpegs)
        ok = WriteJpeg(folder / p.name, Paint(p.width, p.height, PixelFormat::X8R8G8B8, p.shade)) &&
             ok;
    ok = WriteTga(folder / "spark.tga", Paint(32, 32, PixelFormat::A8R8G8B8, Spark)) && ok;
    ok = WriteCube(folder / "cubetest.dds", 64) && ok;
    return ok;
}
