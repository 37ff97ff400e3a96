// Lumivane's installed compressed pictures: a few model textures (one of
// them a "_Bump" height map) and the load screen, painted in code and
// written as JPEG-2000 ".tex" files by OpenJPEG's encoder, for the
// program's first start to convert into its texture cache.
#include "tools/databuilder/shared/data_step.h"

#include "platform/binary_io.h"
#include "tools/databuilder/shared/write_if_changed.h"
#include "platform/image/jpeg2000.h"
#include "platform/paths.h"
#include "tools/databuilder/shared/procedural_paint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

using databuilder::Fractal;
using databuilder::kPi;
using databuilder::LatticeValue;
using databuilder::Paint;
using platform::image::Image;
using platform::image::PixelFormat;

// A banded gas giant's surface.
Image PlanetSurface() {
    return Paint(PixelFormat::X8R8G8B8, 128, 128, [](double u, double v, double c[4]) {
        const double turbulence = Fractal(u * 8, v * 8, 11) - 0.5;
        const double band = 0.5 + 0.5 * std::sin((v + turbulence * 0.08) * kPi * 9);
        c[0] = 0.55 + 0.35 * band;
        c[1] = 0.40 + 0.25 * band;
        c[2] = 0.25 + 0.15 * band;
    });
}

// Heights of a cratered rock in the red channel (grey overall).
Image RockHeights() {
    return Paint(PixelFormat::X8R8G8B8, 128, 128, [](double u, double v, double c[4]) {
        double h = Fractal(u * 6, v * 6, 23);
        const double du = u - 0.35, dv = v - 0.6;
        const double crater = std::sqrt(du * du + dv * dv);
        if (crater < 0.18) h -= 0.3 * std::cos(crater / 0.18 * kPi / 2);
        c[0] = c[1] = c[2] = h;
    });
}

// A soft round glow fading to clear.
Image Halo() {
    return Paint(PixelFormat::A8R8G8B8, 64, 64, [](double u, double v, double c[4]) {
        const double du = u - 0.5, dv = v - 0.5;
        const double r = std::sqrt(du * du + dv * dv) * 2;
        c[0] = 0.8;
        c[1] = 0.9;
        c[2] = 1.0;
        c[3] = std::pow(std::max(0.0, 1.0 - r), 2.0);
    });
}

// A nebula over stars for the wait while a scene loads.
Image LoadScreen() {
    return Paint(PixelFormat::X8R8G8B8, 512, 384, [](double u, double v, double c[4]) {
        const double cloud = Fractal(u * 5, v * 4, 31);
        const double veil = Fractal(u * 3 + 7, v * 3, 47);
        const double glow = std::max(0.0, cloud - 0.35) * 1.6;
        c[0] = 0.05 + glow * 0.8 * veil;
        c[1] = 0.03 + glow * 0.35;
        c[2] = 0.10 + glow * (1.0 - 0.5 * veil);
        if (LatticeValue(int(u * 512), int(v * 384), 5) > 0.996) c[0] = c[1] = c[2] = 0.95;
    });
}

bool WriteTex(const std::filesystem::path& dataRoot, const char* name, const Image& picture) {
    std::vector<uint8_t> bytes;
    std::string error;
    const auto path = platform::ResolvePathLeniently(dataRoot, name);
    if (!path || !platform::image::EncodeJpeg2000(picture, platform::image::Jpeg2000Kind::Jp2,
                                                  bytes, &error)) {
        std::fprintf(stderr, "databuilder: %s cannot be made: %s\n", name, error.c_str());
        return false;
    }
    std::error_code ignored;
    std::filesystem::create_directories(path->parent_path(), ignored);
    if (!databuilder::WriteFileIfChanged(*path, bytes, &error)) {
        std::fprintf(stderr, "databuilder: %s\n", error.c_str());
        return false;
    }
    return true;
}

} // namespace

DATABUILDER_STEP(WriteLumivaneTextures, "lumivane-textures") {
    const std::filesystem::path dataRoot = context.runtime / "LumivaneData";
    return WriteTex(dataRoot, "models\\textures\\Jupiter.tex", PlanetSurface()) &&
           WriteTex(dataRoot, "models\\textures\\Asteroid_Bump.tex", RockHeights()) &&
           WriteTex(dataRoot, "models\\textures\\Halo.tex", Halo()) &&
           WriteTex(dataRoot, "LoadScreens\\LoadScreen.tex", LoadScreen());
}
