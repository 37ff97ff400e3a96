// Lumivane's ready textures under "models\textures\": the DDS files its
// prototypes name, painted in code and written by the shared DDS writer in
// each kind the texture manager reads, every one with its whole chain down
// to 8 x 8:
//   stars.dds (32-bit 512, star points that tile), nebula.dds (32-bit 256, a
//   glowing band round the sky), sun.dds (DXT1 256), sunglow.dds (DXT3 128),
//   earth.dds (DXT1 256), mars.dds (5:6:5 256), ice.dds (24-bit 128),
//   moon.dds (24-bit 128), asteroid.dds (DXT1 128),
//   asteroid_bumpenv.dds (bump offsets 128, for devices with environment
//   bump mapping and no DOT3), flare.dds and flarering.dds (DXT3 64),
//   ship_hull.dds (32-bit with alpha 128), ship_panels.dds (32-bit 128),
//   the numbered sequence explosion000.dds to explosion007.dds (DXT3 64),
//   and the particle glows glow_white.dds, glow_yellow.dds and smoke.dds
//   (DXT3 64).
#include "tools/databuilder/data_step.h"

#include "platform/image/dds.h"
#include "platform/image/mipmap.h"
#include "platform/paths.h"
#include "tools/databuilder/procedural_paint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using databuilder::Fractal;
using databuilder::kPi;
using databuilder::LatticeValue;
using databuilder::Paint;
using databuilder::TiledFractal;
using platform::image::Image;
using platform::image::PixelFormat;
using platform::image::TextureImage;

// The levels of a side down to 8 x 8, as the texture manager wants them.
int ChainLength(int side) {
    int levels = 0;
    for (int s = side; s >= 8; s /= 2)
        ++levels;
    return levels;
}

bool Save(const std::filesystem::path& folder, const std::string& name, const Image& top,
          PixelFormat format) {
    TextureImage texture;
    std::string error;
    if (!platform::image::BuildTexture(top, format, ChainLength(top.width), texture, &error) ||
        !platform::image::WriteDdsFile(folder / name, texture, &error)) {
        std::fprintf(stderr, "databuilder: %s cannot be made: %s\n", name.c_str(), error.c_str());
        return false;
    }
    return true;
}

double Distance(double u, double v) {
    return std::sqrt((u - 0.5) * (u - 0.5) + (v - 0.5) * (v - 0.5)) * 2;
}

// Stars on black that tile in both directions: round points a texel or two
// across at the level the sky is drawn at, most of them faint, a few bright
// and tinted, over a dust of the faintest. Kept uncompressed: compression
// blocks would show round every star.
Image Starfield() {
    constexpr int kSide = 512;
    constexpr int kStars = 150;
    constexpr int kDust = 500;
    std::vector<double> light(size_t(kSide) * kSide * 3, 0.0);
    auto add = [&](int x, int y, double r, double g, double b) {
        const size_t at =
            (size_t((y % kSide + kSide) % kSide) * kSide + size_t((x % kSide + kSide) % kSide)) * 3;
        light[at] += r;
        light[at + 1] += g;
        light[at + 2] += b;
    };
    for (int n = 0; n < kStars; ++n) {
        const double x = LatticeValue(n, 1, 73) * kSide, y = LatticeValue(n, 2, 73) * kSide;
        const double strength = 0.4 + 0.6 * std::pow(LatticeValue(n, 3, 73), 2.0);
        const double sigma = 0.7 + 0.4 * strength;
        const double tint = LatticeValue(n, 4, 73); // blue-white to yellow-white
        const double r = 0.85 + 0.15 * tint, g = 0.9, b = 1.0 - 0.25 * tint;
        const int reach = int(std::ceil(sigma * 3));
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx) {
                const int px = int(std::floor(x)) + dx, py = int(std::floor(y)) + dy;
                const double ex = px + 0.5 - x, ey = py + 0.5 - y;
                const double w =
                    strength * 1.8 * std::exp(-(ex * ex + ey * ey) / (2 * sigma * sigma));
                add(px, py, r * w, g * w, b * w);
            }
    }
    for (int n = 0; n < kDust; ++n) {
        const double w = 0.25 + 0.35 * LatticeValue(n, 7, 79);
        add(int(LatticeValue(n, 5, 79) * kSide), int(LatticeValue(n, 6, 79) * kSide), w, w, w);
    }
    return Paint(PixelFormat::X8R8G8B8, kSide, kSide, [&](double u, double v, double c[4]) {
        const size_t at = (size_t(v * kSide) * kSide + size_t(u * kSide)) * 3;
        for (int k = 0; k < 3; ++k)
            c[k] = light[at + size_t(k)];
    });
}

// A nebula's glow that goes once round the sky: a band winding about the
// equator (v 0.5), violet and blue with rosy knots, fading out well before
// the poles, over the faint blue of deep space everywhere. It repeats round
// (u), so the sky shows no seam.
Image Nebula() {
    return Paint(PixelFormat::X8R8G8B8, 256, 256, [](double u, double v, double c[4]) {
        const double middle =
            0.5 + 0.07 * std::sin(2 * kPi * u * 2) + 0.03 * std::sin(2 * kPi * u * 5);
        const double across = (v - middle) / 0.2;
        const double band = std::exp(-across * across);
        const double cloud = TiledFractal(u * 8, v * 8, 8, 0, 131);
        const double knots = TiledFractal(u * 16 + 3, v * 16, 16, 0, 137);
        const double glow = band * std::max(0.0, cloud - 0.3) * 1.6;
        const double rose = std::max(0.0, knots - 0.55) * 2.5 * band;
        c[0] = 0.035 + glow * 0.38 + rose * 0.40;
        c[1] = 0.02 + glow * 0.14 + rose * 0.12;
        c[2] = 0.05 + glow * 0.55 + rose * 0.25;
    });
}

Image SunSurface() {
    return Paint(PixelFormat::X8R8G8B8, 256, 256, [](double u, double v, double c[4]) {
        const double cells = Fractal(u * 12, v * 12, 81);
        c[0] = 1.0;
        c[1] = 0.55 + 0.4 * cells;
        c[2] = 0.15 + 0.3 * cells * cells;
    });
}

// A round glow fading to clear, warm at its heart.
Image Glow(int side, double r, double g, double b, double power) {
    return Paint(PixelFormat::A8R8G8B8, side, side, [=](double u, double v, double c[4]) {
        const double d = Distance(u, v);
        c[0] = r;
        c[1] = g;
        c[2] = b;
        c[3] = std::pow(std::max(0.0, 1.0 - d), power);
    });
}

Image Ring(int side) {
    return Paint(PixelFormat::A8R8G8B8, side, side, [](double u, double v, double c[4]) {
        const double d = Distance(u, v);
        c[0] = 0.7;
        c[1] = 0.8;
        c[2] = 1.0;
        c[3] = std::max(0.0, 1.0 - std::abs(d - 0.75) * 10);
    });
}

// Oceans and continents with clouds.
Image Earth() {
    return Paint(PixelFormat::X8R8G8B8, 256, 256, [](double u, double v, double c[4]) {
        const double land = Fractal(u * 5, v * 5, 91);
        const double cloud = std::max(0.0, Fractal(u * 8 + 3, v * 8, 93) - 0.55) * 2;
        const bool ground = land > 0.52;
        c[0] = (ground ? 0.35 : 0.05) + cloud;
        c[1] = (ground ? 0.45 : 0.20) + cloud;
        c[2] = (ground ? 0.20 : 0.55) + cloud;
    });
}

Image RustyRock(int side, uint32_t seed, double r, double g, double b) {
    return Paint(PixelFormat::X8R8G8B8, side, side, [=](double u, double v, double c[4]) {
        const double h = 0.55 + 0.45 * Fractal(u * 6, v * 6, seed);
        c[0] = r * h;
        c[1] = g * h;
        c[2] = b * h;
    });
}

Image Hull(bool windows) {
    return Paint(windows ? PixelFormat::A8R8G8B8 : PixelFormat::X8R8G8B8, 128, 128,
                 [=](double u, double v, double c[4]) {
                     const int px = int(u * 128), py = int(v * 128);
                     const bool seam = px % 32 == 0 || py % 16 == 0;
                     const double shade = 0.45 + 0.15 * LatticeValue(px / 32, py / 16, 101);
                     c[0] = c[1] = c[2] = seam ? 0.25 : shade;
                     c[2] += 0.05;
                     // Clear window slits in the hull with windows.
                     c[3] = windows && py % 16 == 8 && px % 8 < 4 ? 0.0 : 1.0;
                 });
}

// One frame of an explosion: a hot core growing and cooling.
Image Explosion(int frame, int frames) {
    const double t = double(frame) / double(frames - 1);
    return Paint(PixelFormat::A8R8G8B8, 64, 64, [=](double u, double v, double c[4]) {
        const double d = Distance(u, v) / (0.3 + 0.7 * t);
        const double flame = Fractal(u * 6 + t * 3, v * 6, 111) * 0.5 + 0.5;
        c[0] = 1.0;
        c[1] = std::max(0.0, 0.9 - t) * flame;
        c[2] = std::max(0.0, 0.5 - t) * flame;
        c[3] = std::max(0.0, 1.0 - d) * (1.0 - 0.8 * t);
    });
}

// Bump offsets (du, dv) from the slopes of a height field, each level made
// from its own heights so small levels stay smooth.
bool SaveBumpOffsets(const std::filesystem::path& folder, const std::string& name, int side,
                     uint32_t seed) {
    TextureImage texture;
    texture.format = PixelFormat::V8U8;
    texture.width = texture.height = side;
    for (int s = side; s >= 8; s /= 2) {
        Image level = platform::image::MakeImage(PixelFormat::V8U8, s, s);
        auto height = [&](int x, int y) {
            return Fractal(double((x + s) % s) / s * 6, double((y + s) % s) / s * 6, seed);
        };
        for (int y = 0; y < s; ++y)
            for (int x = 0; x < s; ++x) {
                const double du = (height(x + 1, y) - height(x - 1, y)) * s / 8;
                const double dv = (height(x, y + 1) - height(x, y - 1)) * s / 8;
                uint8_t* p = level.pixels.data() + (size_t(y) * size_t(s) + size_t(x)) * 2;
                p[0] = uint8_t(int8_t(std::clamp(du * 127, -127.0, 127.0)));
                p[1] = uint8_t(int8_t(std::clamp(dv * 127, -127.0, 127.0)));
            }
        texture.levels.push_back(std::move(level));
    }
    texture.mipCount = int(texture.levels.size());
    std::string error;
    if (!platform::image::WriteDdsFile(folder / name, texture, &error)) {
        std::fprintf(stderr, "databuilder: %s cannot be made: %s\n", name.c_str(), error.c_str());
        return false;
    }
    return true;
}

} // namespace

DATABUILDER_STEP(WriteLumivaneDds, "lumivane-dds") {
    const auto folder =
        platform::ResolvePathLeniently(context.runtime / "LumivaneData", "models\\textures");
    if (!folder) return false;
    std::error_code ignored;
    std::filesystem::create_directories(*folder, ignored);
    const std::filesystem::path& f = *folder;
    bool ok = Save(f, "stars.dds", Starfield(), PixelFormat::X8R8G8B8) &&
              Save(f, "nebula.dds", Nebula(), PixelFormat::X8R8G8B8) &&
              Save(f, "sun.dds", SunSurface(), PixelFormat::DXT1) &&
              Save(f, "sunglow.dds", Glow(128, 1.0, 0.85, 0.5, 1.5), PixelFormat::DXT3) &&
              Save(f, "earth.dds", Earth(), PixelFormat::DXT1) &&
              Save(f, "mars.dds", RustyRock(256, 121, 0.85, 0.45, 0.25), PixelFormat::R5G6B5) &&
              Save(f, "ice.dds", RustyRock(128, 123, 0.75, 0.85, 1.0), PixelFormat::R8G8B8) &&
              Save(f, "moon.dds", RustyRock(128, 125, 0.7, 0.7, 0.68), PixelFormat::R8G8B8) &&
              Save(f, "asteroid.dds", RustyRock(128, 127, 0.5, 0.45, 0.4), PixelFormat::DXT1) &&
              SaveBumpOffsets(f, "asteroid_bumpenv.dds", 128, 127) &&
              Save(f, "flare.dds", Glow(64, 1.0, 1.0, 0.9, 3.0), PixelFormat::DXT3) &&
              Save(f, "flarering.dds", Ring(64), PixelFormat::DXT3) &&
              Save(f, "ship_hull.dds", Hull(true), PixelFormat::A8R8G8B8) &&
              Save(f, "ship_panels.dds", Hull(false), PixelFormat::X8R8G8B8) &&
              Save(f, "glow_white.dds", Glow(64, 1.0, 1.0, 1.0, 2.0), PixelFormat::DXT3) &&
              Save(f, "glow_yellow.dds", Glow(64, 1.0, 0.8, 0.35, 1.6), PixelFormat::DXT3) &&
              Save(f, "smoke.dds", Glow(64, 0.55, 0.55, 0.55, 1.0), PixelFormat::DXT3);
    constexpr int kExplosionFrames = 8;
    for (int frame = 0; ok && frame < kExplosionFrames; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "explosion%03d.dds", frame);
        ok = Save(f, name, Explosion(frame, kExplosionFrames), PixelFormat::DXT3);
    }
    return ok;
}
