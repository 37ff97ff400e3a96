// The chess game's textures, drawn procedurally beside the models that use
// them: woods, grass, sky and clouds of the park; ice, fire, stone and lava
// of Fire and Ice; the grid of the holographic world; the marble of the
// custom world; and the logos. The engine's conversion of each picture is
// cached here too, so the game's first start does not compress them.
#include "tools/databuilder/shared/data_step.h"
#include "tools/databuilder/shared/paint.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "Jentra/JTDataFolder.h"
#include "Jentra/render/texture_source.h"
#include "platform/font/text_renderer.h"

namespace {

using namespace databuilder::paint;
using platform::image::Image;
using platform::image::PixelFormat;

constexpr float kTwoPi = 6.2831853f;

// Planks of wood along u between two tones.
Colour Planks(float u, float v, Colour light, Colour dark, uint32_t seed) {
    const float bend = Fractal(u, v, seed, 4) * 5.0f;
    const float rings = 0.5f + 0.5f * std::sin((v * 20.0f + bend) * kTwoPi * 0.5f);
    const float grain = Fractal(u * 0.25f, v * 4.0f, seed + 1, 8, 3);
    return Mix(light, dark, rings * 0.6f + grain * 0.4f);
}

Colour LightWood(float u, float v, float&) {
    return Planks(u, v, {0.93f, 0.8f, 0.58f}, {0.78f, 0.6f, 0.38f}, 101);
}
Colour DarkWood(float u, float v, float&) {
    return Planks(u, v, {0.36f, 0.2f, 0.11f}, {0.2f, 0.1f, 0.05f}, 111);
}
Colour BoardLight(float u, float v, float&) {
    return Planks(u, v, {0.95f, 0.86f, 0.68f}, {0.86f, 0.74f, 0.54f}, 121);
}
Colour BoardDark(float u, float v, float&) {
    return Planks(u, v, {0.45f, 0.27f, 0.14f}, {0.3f, 0.17f, 0.08f}, 131);
}
Colour TableWood(float u, float v, float&) {
    return Planks(u, v, {0.5f, 0.3f, 0.17f}, {0.38f, 0.21f, 0.11f}, 141);
}

Colour Grass(float u, float v, float&) {
    const float blades = Fractal(u, v, 151, 16, 4);
    return Mix({0.2f, 0.42f, 0.12f}, {0.36f, 0.6f, 0.2f}, blades);
}

Colour ParkSky(float u, float v, float&) {
    // v runs from the top of the dome (0) to below the horizon (1).
    const Colour high = {0.25f, 0.45f, 0.85f}, low = {0.75f, 0.85f, 0.97f};
    (void)u;
    return Mix(high, low, std::pow(std::min(v * 2.0f, 1.0f), 1.5f));
}

Colour CloudShade(float u, float v, float&) {
    const float shade = 0.85f + 0.15f * Fractal(u, v, 161, 4, 4);
    return {shade, shade, shade};
}

// Soft clouds whose edges fade out towards the picture's border.
Colour CloudAlpha(float u, float v, float&) {
    const float du = u - 0.5f, dv = v - 0.5f;
    const float edge = std::clamp(1.0f - 2.0f * std::sqrt(du * du + dv * dv), 0.0f, 1.0f);
    const float puff = std::clamp((Fractal(u, v, 162, 4, 5) - 0.42f) * 4.0f, 0.0f, 1.0f);
    const float a = puff * edge;
    return {a, a, a};
}

Colour IceSquare(float u, float v, float&) {
    const float cracks = std::fabs(Fractal(u, v, 171, 4, 5) - 0.5f);
    Colour c = Mix({0.55f, 0.75f, 0.95f}, {0.85f, 0.95f, 1.0f}, Fractal(u, v, 172, 8, 3));
    if (cracks < 0.02f) c = Mix(c, {1.0f, 1.0f, 1.0f}, 0.6f);
    return c;
}

Colour FireSquare(float u, float v, float&) {
    const float veins = std::fabs(Fractal(u, v, 181, 4, 5) - 0.5f);
    Colour c = Mix({0.22f, 0.05f, 0.03f}, {0.35f, 0.1f, 0.05f}, Fractal(u, v, 182, 8, 3));
    if (veins < 0.03f) c = Mix(c, {1.0f, 0.45f, 0.05f}, 1.0f - veins / 0.03f);
    return c;
}

Colour Rock(float u, float v, float&) {
    const float base = Fractal(u, v, 191, 8);
    return Mix({0.22f, 0.2f, 0.2f}, {0.5f, 0.46f, 0.42f}, base);
}

Colour Lava(float u, float v, float&) {
    const float heat = Fractal(u, v, 201, 4, 5);
    const float crust = std::clamp((heat - 0.45f) * 5.0f, 0.0f, 1.0f);
    return Mix({1.0f, 0.75f, 0.15f}, {0.3f, 0.05f, 0.02f}, crust);
}

Colour FirePiece(float u, float v, float&) {
    const float flames = Fractal(u, v * 0.5f, 211, 4, 5);
    return Mix({0.55f, 0.08f, 0.02f}, {1.0f, 0.6f, 0.1f}, flames * flames * 1.5f);
}

Colour IcePiece(float u, float v, float&) {
    return Mix({0.7f, 0.85f, 1.0f}, {0.95f, 1.0f, 1.0f}, Fractal(u, v, 221, 4, 4));
}

Colour HoloGrid(float u, float v, float&) {
    const float lineU = std::fabs(std::fmod(u * 8.0f, 1.0f) - 0.5f);
    const float lineV = std::fabs(std::fmod(v * 8.0f, 1.0f) - 0.5f);
    const float line = (lineU > 0.46f || lineV > 0.46f) ? 1.0f : 0.15f;
    return {0.1f * line, line, 0.35f * line};
}

// The holographic pieces' light: bright rings and lines over a dim glow.
Colour HoloPiece(float u, float v, float&) {
    const float lineU = std::fabs(std::fmod(u * 16.0f, 1.0f) - 0.5f);
    const float lineV = std::fabs(std::fmod(v * 10.0f, 1.0f) - 0.5f);
    const float line = (lineU > 0.42f || lineV > 0.42f) ? 1.0f : 0.45f;
    return {line, line, line};
}

Colour MarbleWhite(float u, float v, float&) {
    const float veins =
        std::fabs(std::sin((u * 3.0f + v * 2.0f + Fractal(u, v, 231, 4, 6) * 4.0f) * kTwoPi));
    return Mix({0.7f, 0.7f, 0.72f}, {0.97f, 0.96f, 0.94f}, std::pow(veins, 0.3f));
}

Colour MarbleBlack(float u, float v, float&) {
    const float veins =
        std::fabs(std::sin((u * 2.0f + v * 3.0f + Fractal(u, v, 241, 4, 6) * 4.0f) * kTwoPi));
    return Mix({0.45f, 0.42f, 0.4f}, {0.08f, 0.08f, 0.09f}, std::pow(veins, 0.3f));
}

struct Picture {
    const char* name; // below modules/
    int size;
    Colour (*shade)(float, float, float&);
};

const Picture kPictures[] = {
    {"Chess/Park/lightwood.jpg", 128, LightWood},
    {"Chess/Park/darkwood.jpg", 128, DarkWood},
    {"Chess/Park/boardlight.jpg", 128, BoardLight},
    {"Chess/Park/boarddark.jpg", 128, BoardDark},
    {"Chess/Park/tablewood.jpg", 256, TableWood},
    {"Chess/Park/grass.jpg", 256, Grass},
    {"Chess/Park/parksky.jpg", 128, ParkSky},
    {"Chess/Park/clouds.jpg", 128, CloudShade},
    {"Chess/Park/clouds_alpha.jpg", 128, CloudAlpha},
    {"Chess/Fire and Ice/icesquare.jpg", 128, IceSquare},
    {"Chess/Fire and Ice/firesquare.jpg", 128, FireSquare},
    {"Chess/Fire and Ice/rock.jpg", 256, Rock},
    {"Chess/Fire and Ice/lava.jpg", 256, Lava},
    {"Chess/Fire and Ice/firepiece.jpg", 128, FirePiece},
    {"Chess/Fire and Ice/icepiece.jpg", 128, IcePiece},
    {"Chess/Matrix/grid.jpg", 128, HoloGrid},
    {"Chess/Matrix/holopiece.jpg", 128, HoloPiece},
    {"Chess/Marble/marblewhite.jpg", 128, MarbleWhite},
    {"Chess/Marble/marbleblack.jpg", 128, MarbleBlack},
};

// Text in its colour on a transparent picture, for the logos.
struct Banner {
    const char* name; // below modules/
    int width, height;
    const char* text;
    uint32_t colour;
};

const Banner kBanners[] = {
    {"Chess/Logo/pellix.tga", 256, 64, "PELLIX", 0xE8F0FF},
    {"Chess/Logo/jentra.tga", 256, 64, "JENTRA", 0xFFE8C0},
    {"Chess/Logo/rookfall.tga", 512, 128, "ROOKFALL", 0xFFF4D8},
};

bool WriteBanner(const std::filesystem::path& file, const Banner& banner) {
    const std::filesystem::path font = platform::FindSystemFont(platform::FontStyle::Bold);
    std::string error;
    auto renderer = platform::TextRenderer::Open(font, banner.height * 5 / 8, &error);
    if (!renderer) return Fail(file, error);
    // The renderer blends colours only: the letters are drawn white on
    // black first, and their coverage becomes the banner's alpha.
    Image coverage = platform::image::MakeImage(PixelFormat::A8R8G8B8, banner.width, banner.height);
    renderer->DrawWrappedCentred(coverage, {0, 0, banner.width, banner.height}, banner.text,
                                 0xFFFFFF);
    Image image = platform::image::MakeImage(PixelFormat::A8R8G8B8, banner.width, banner.height);
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        image.pixels[i] = uint8_t(banner.colour);           // blue
        image.pixels[i + 1] = uint8_t(banner.colour >> 8);  // green
        image.pixels[i + 2] = uint8_t(banner.colour >> 16); // red
        image.pixels[i + 3] = coverage.pixels[i];
    }
    return WriteTga(file, image);
}

// The engine's conversion of a texture, cached beside it as the game would.
bool CacheConversion(const char* name) {
    jentra::textures::LoadedFrame frame;
    std::string error;
    std::string engineName = name;
    for (char& c : engineName)
        if (c == '/') c = '\\';
    if (!jentra::textures::LoadFrameImage(engineName, true, frame, &error)) {
        std::fprintf(stderr, "textures: cannot convert %s: %s\n", name, error.c_str());
        return false;
    }
    return true;
}

} // namespace

DATABUILDER_STEP(WriteChessTextures, "chess-textures") {
    const std::filesystem::path modules = context.runtime / "modules";
    bool ok = true;
    for (const Picture& p : kPictures) {
        const std::filesystem::path file = modules / p.name;
        std::error_code made;
        std::filesystem::create_directories(file.parent_path(), made);
        ok = WriteJpeg(file, Paint(p.size, p.size, PixelFormat::X8R8G8B8, p.shade)) && ok;
    }
    for (const Banner& b : kBanners) {
        const std::filesystem::path file = modules / b.name;
        std::error_code made;
        std::filesystem::create_directories(file.parent_path(), made);
        ok = WriteBanner(file, b) && ok;
    }
    if (!ok) return false;
    // Companions ("_alpha") are part of their picture, not textures of their own.
    JTSetDataFolder(context.runtime.c_str());
    for (const Picture& p : kPictures)
        if (!std::string(p.name).ends_with("_alpha.jpg")) ok = CacheConversion(p.name) && ok;
    for (const Banner& b : kBanners)
        ok = CacheConversion(b.name) && ok;
    JTSetDataFolder(nullptr);
    return ok;
}
