// Tinted hull panels for Lumivane's units.
#include "tools/databuilder/lumivane/lumivane_hulls.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <system_error>

#include "platform/image/dds.h"
#include "platform/image/mipmap.h"
#include "platform/image/normal_map.h"
#include "platform/paths.h"
#include "tools/databuilder/shared/procedural_paint.h"

namespace databuilder {

namespace {

constexpr int kSide = 128;
constexpr int kLevels = 5;                         // 128 down to 8
constexpr int kPlateWidth = 32, kPlateHeight = 16; // texels, with a seam at each edge
constexpr const char* kBumpName = "hull_bump.dds";
constexpr const char* kBumpEnvName = "hull_bumpenv.dds";
// How far the plates stand out: a height step of 1 is this many texels.
constexpr float kReliefDepth = 3.0f;

bool gBumpAsked = false;
bool gBumpWritten = false;

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
            const bool seam = px % kPlateWidth == 0 || py % kPlateHeight == 0;
            const double shade = seam ? 0.55 : 0.82 + 0.18 * LatticeValue(px / 32, py / 16, 211);
            for (int i = 0; i < 3; ++i)
                c[i] = tint[i] * shade;
            c[3] = 1.0;
        });
}

// The plates' relief as grey heights: each plate swells a little towards
// its middle and the seams between them are sunk.
platform::image::Image PlateHeights() {
    return Paint(platform::image::PixelFormat::X8R8G8B8, kSide, kSide,
                 [](double u, double v, double c[4]) {
                     const int px = int(u * kSide), py = int(v * kSide);
                     const bool seam = px % kPlateWidth == 0 || py % kPlateHeight == 0;
                     const double across = double(px % kPlateWidth) / kPlateWidth - 0.5;
                     const double along = double(py % kPlateHeight) / kPlateHeight - 0.5;
                     const double swell = 1.0 - 2.0 * (across * across + along * along);
                     c[0] = c[1] = c[2] = seam ? 0.0 : 0.55 + 0.45 * swell;
                     c[3] = 1.0;
                 });
}

// Heights of one level of the chain, from its grey pixels, times `scale`.
std::vector<float> HeightsOf(const platform::image::Image& grey, float scale) {
    std::vector<float> heights(size_t(grey.width) * size_t(grey.height));
    for (size_t i = 0; i < heights.size(); ++i)
        heights[i] = float(grey.pixels[i * 4 + 2]) / 255.0f * scale;
    return heights;
}

// A unit normal as a 5:6:5 texel: x in red, y in green, z in blue.
uint16_t PackedNormal(const platform::image::SurfaceNormal& n) {
    using platform::image::NormalComponentToByte;
    return uint16_t(unsigned(NormalComponentToByte(n.x) >> 3) << 11 |
                    unsigned(NormalComponentToByte(n.y) >> 2) << 5 |
                    unsigned(NormalComponentToByte(n.z) >> 3));
}

// A slope in -1..1 as the signed byte of a bump offset.
uint8_t SlopeByte(float slope) {
    return uint8_t(int8_t(std::clamp(slope * 127.0f, -127.0f, 127.0f)));
}

bool WriteTexture(const std::filesystem::path& folder, const char* name,
                  const platform::image::TextureImage& texture) {
    std::string error;
    if (!platform::image::WriteDdsFile(folder / name, texture, &error)) {
        std::fprintf(stderr, "databuilder: %s cannot be made: %s\n", name, error.c_str());
        return false;
    }
    return true;
}

// The relief as DOT3 normals (5:6:5, x red, y green, z blue) and as the
// slopes of environment bump mapping (du, dv), each level from its own
// heights so the small levels stay smooth.
bool WriteBumpTextures(const std::filesystem::path& folder) {
    using platform::image::PixelFormat;
    platform::image::TextureImage normals, slopes;
    normals.format = PixelFormat::R5G6B5;
    slopes.format = PixelFormat::V8U8;
    normals.width = normals.height = slopes.width = slopes.height = kSide;
    normals.mipCount = slopes.mipCount = kLevels;
    for (const platform::image::Image& level :
         platform::image::BuildMipChain(PlateHeights(), kLevels)) {
        // The same relief over fewer texels is steeper per texel.
        const float scale = kReliefDepth * float(level.width) / float(kSide);
        const std::vector<float> heights = HeightsOf(level, scale);
        const auto surface =
            platform::image::NormalsFromHeights(heights, level.width, level.height);
        platform::image::Image packed =
            platform::image::MakeImage(PixelFormat::R5G6B5, level.width, level.height);
        platform::image::Image offsets =
            platform::image::MakeImage(PixelFormat::V8U8, level.width, level.height);
        for (size_t i = 0; i < surface.size(); ++i) {
            const uint16_t word = PackedNormal(surface[i]);
            packed.pixels[i * 2] = uint8_t(word);
            packed.pixels[i * 2 + 1] = uint8_t(word >> 8);
            offsets.pixels[i * 2] = SlopeByte(-surface[i].x);
            offsets.pixels[i * 2 + 1] = SlopeByte(-surface[i].y);
        }
        normals.levels.push_back(std::move(packed));
        slopes.levels.push_back(std::move(offsets));
    }
    return WriteTexture(folder, kBumpName, normals) && WriteTexture(folder, kBumpEnvName, slopes);
}

} // namespace

ShapeLook BumpedHullLook(uint32_t colour) {
    gBumpAsked = true;
    ShapeLook look = HullLook(colour);
    look.bump = kBumpName;
    return look;
}

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
    if (gBumpAsked && !gBumpWritten) {
        if (!WriteBumpTextures(*folder)) return false;
        gBumpWritten = true;
    }
    return true;
}

} // namespace databuilder
