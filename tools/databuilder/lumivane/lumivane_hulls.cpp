// Tinted hull panels for Lumivane's units.
#include "tools/databuilder/lumivane/lumivane_hulls.h"

#include <cstdio>
#include <map>
#include <string>
#include <system_error>

#include "platform/image/dds.h"
#include "platform/image/mipmap.h"
#include "platform/paths.h"
#include "tools/databuilder/shared/procedural_paint.h"

namespace databuilder {

namespace {

constexpr int kSide = 128;
constexpr int kLevels = 5; // 128 down to 8

struct HullTexture {
    std::string name;
    bool written = false; // by this run of the builder
};

// The colours asked for, each with its texture.
std::map<uint32_t, HullTexture>& HullColours() {
    static std::map<uint32_t, HullTexture> colours;
    return colours;
}

std::string HullFileName(uint32_t colour) {
    char name[32];
    std::snprintf(name, sizeof name, "hull_%06x.dds", unsigned(colour & 0xFFFFFF));
    return name;
}

// Plates of slightly different shades between dark seams, in the colour.
platform::image::Image HullPanels(uint32_t colour) {
    const double tint[3] = {double((colour >> 16) & 0xFF) / 255.0,
                            double((colour >> 8) & 0xFF) / 255.0, double(colour & 0xFF) / 255.0};
    return Paint(
        platform::image::PixelFormat::X8R8G8B8, kSide, kSide, [&](double u, double v, double c[4]) {
            const int px = int(u * kSide), py = int(v * kSide);
            const bool seam = px % 32 == 0 || py % 16 == 0;
            const double shade = seam ? 0.55 : 0.82 + 0.18 * LatticeValue(px / 32, py / 16, 211);
            for (int i = 0; i < 3; ++i)
                c[i] = tint[i] * shade;
            c[3] = 1.0;
        });
}

} // namespace

ShapeLook HullLook(uint32_t colour) {
    auto [at, added] = HullColours().try_emplace(colour, HullTexture{HullFileName(colour)});
    (void)added;
    return ShapeLook{.colour = 0xFFFFFFFF, .texture = at->second.name, .lit = true};
}

bool WriteHullTextures(const std::filesystem::path& root) {
    const auto folder = platform::ResolvePathLeniently(root, "models\\textures");
    if (!folder) {
        std::fprintf(stderr, "databuilder: no texture folder below %s\n", root.c_str());
        return false;
    }
    std::error_code ignored;
    std::filesystem::create_directories(*folder, ignored);
    for (auto& [colour, hull] : HullColours()) {
        if (hull.written) continue;
        const std::string& name = hull.name;
        platform::image::TextureImage texture;
        std::string error;
        if (!platform::image::BuildTexture(HullPanels(colour),
                                           platform::image::PixelFormat::X8R8G8B8, kLevels, texture,
                                           &error) ||
            !platform::image::WriteDdsFile(*folder / name, texture, &error)) {
            std::fprintf(stderr, "databuilder: %s cannot be made: %s\n", name.c_str(),
                         error.c_str());
            return false;
        }
        hull.written = true;
    }
    return true;
}

} // namespace databuilder
