// Lumivane's display data: the font "font1" drawn with FreeType (its sheet,
// font1000.dds, holds the 166 glyphs of the program's glyph order twice:
// regular in the first half, bold in the second, each in a 12 x 16 cell of
// 21 a row; its first wide page, font1001.dds, holds the characters
// "CharMap.txt" numbers in 14 x 15 cells of 18 a row), "CharMap.txt"
// itself, the frame of the inset picture (pip.dds), and the overlay models
// "logo" (with its sequences "on" and "screensaver") and "Pause", written
// through the entities' own save code and loaded back.
#include "tools/databuilder/shared/data_step.h"

#include "desktop/display/font/bitmap_font.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/prop_file.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/world/model_library.h"
#include "platform/binary_io.h"
#include "platform/font/glyph_atlas.h"
#include "platform/font/text_renderer.h"
#include "platform/image/dds.h"
#include "platform/image/mipmap.h"
#include "tools/databuilder/lumivane/lumivane_shapes.h"
#include "tools/databuilder/shared/procedural_paint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace lumivane;
using platform::image::Image;
using platform::image::PixelFormat;

constexpr int kSheet = 256;
constexpr int kCellsPerRow = 21; // "charPerRow" of script.dat
constexpr int kCellWidth = kSheet / kCellsPerRow;
constexpr int kCellHeight = 16; // "charPerColumn" 16
constexpr int kSecondHalf = kCellsPerRow * (kSheet / kCellHeight) / 2;
constexpr int kWideCellWidth = 14;
constexpr int kWideCellHeight = 15;
constexpr int kGlyphPixels = 12;
constexpr int kWideGlyphPixels = 11;

// The wide characters of the first page: Greek and Cyrillic letters.
std::u16string WideCharacters() {
    std::u16string text;
    for (char16_t c = 0x0391; c <= 0x03A9; ++c)
        if (c != 0x03A2) text += c;
    for (char16_t c = 0x03B1; c <= 0x03C9; ++c)
        text += c;
    text += char16_t(0x0401);
    for (char16_t c = 0x0410; c <= 0x044F; ++c)
        text += c;
    text += char16_t(0x0451);
    return text;
}

std::string Utf8(uint32_t c) {
    std::string out;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
    return out;
}

// White text of any shape: drawn white on black, then the brightness becomes
// the alpha of white pixels.
void CoverageToAlpha(Image& picture) {
    for (size_t i = 0; i < picture.pixels.size(); i += 4) {
        picture.pixels[i + 3] = picture.pixels[i + 2];
        picture.pixels[i] = picture.pixels[i + 1] = picture.pixels[i + 2] = 255;
    }
}

std::unique_ptr<platform::TextRenderer> OpenFont(platform::FontStyle style, int pixels) {
    std::string error;
    auto font = platform::TextRenderer::Open(platform::FindSystemFont(style), pixels, &error);
    if (!font) std::fprintf(stderr, "lumivane_display: no font: %s\n", error.c_str());
    return font;
}

bool SaveTexture(const std::filesystem::path& path, const Image& top) {
    platform::image::TextureImage texture;
    int levels = 0;
    for (int s = top.width; s >= 8; s /= 2)
        ++levels;
    std::string error;
    if (!platform::image::BuildTexture(top, PixelFormat::A8R8G8B8, levels, texture, &error) ||
        !platform::image::WriteDdsFile(path, texture, &error)) {
        std::fprintf(stderr, "lumivane_display: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

bool WriteFontSheet(const std::filesystem::path& textures) {
    auto regular = OpenFont(platform::FontStyle::Regular, kGlyphPixels);
    auto bold = OpenFont(platform::FontStyle::Bold, kGlyphPixels);
    if (!regular || !bold) return false;
    Image sheet = platform::image::MakeImage(PixelFormat::A8R8G8B8, kSheet, kSheet);
    for (int half = 0; half < 2; ++half)
        for (int g = 0; g < kFontGlyphs; ++g) {
            const int cell = g + half * kSecondHalf;
            // Each cell's first column and row stay clear: its texture
            // coordinates reach half a texel into the next cell's.
            const platform::TextArea area{cell % kCellsPerRow * kCellWidth + 1,
                                          cell / kCellsPerRow * kCellHeight + 1, kCellWidth - 1,
                                          kCellHeight - 1};
            const uint32_t code = platform::font::Cp1252ToUnicode(kGlyphOrder[size_t(g)]);
            (half ? bold : regular)->DrawWrappedCentred(sheet, area, Utf8(code), 0xFFFFFF);
        }
    CoverageToAlpha(sheet);
    auto wide = OpenFont(platform::FontStyle::Regular, kWideGlyphPixels);
    if (!wide) return false;
    Image page = platform::image::MakeImage(PixelFormat::A8R8G8B8, kSheet, kSheet);
    const std::u16string characters = WideCharacters();
    for (size_t n = 0; n < characters.size(); ++n) {
        const int r = int(n);
        const platform::TextArea area{r % kWideCellsPerRow * kWideCellWidth + 1,
                                      r / kWideCellsPerRow * kWideCellHeight + 1,
                                      kWideCellWidth - 2, kWideCellHeight - 2};
        wide->DrawWrappedCentred(page, area, Utf8(characters[n]), 0xFFFFFF);
    }
    CoverageToAlpha(page);
    return SaveTexture(textures / "font1000.dds", sheet) &&
           SaveTexture(textures / "font1001.dds", page);
}

bool WriteCharMap(const std::filesystem::path& root) {
    std::vector<uint8_t> bytes = {0xFF, 0xFE}; // byte order mark
    const std::u16string characters = WideCharacters();
    for (size_t n = 0; n < characters.size(); ++n) {
        bytes.push_back(uint8_t(characters[n]));
        bytes.push_back(uint8_t(characters[n] >> 8));
        if (n % 32 == 31)
            for (uint8_t b : {0x0D, 0x00, 0x0A, 0x00})
                bytes.push_back(b);
    }
    std::string error;
    if (!platform::WriteWholeFile(root / "CharMap.txt", bytes, &error)) {
        std::fprintf(stderr, "lumivane_display: CharMap.txt: %s\n", error.c_str());
        return false;
    }
    return true;
}

// A title in bold across the top quarter of a square picture.
Image Banner(const char* text, int pixels) {
    Image picture = platform::image::MakeImage(PixelFormat::A8R8G8B8, kSheet, kSheet);
    if (auto font = OpenFont(platform::FontStyle::Bold, pixels))
        font->DrawWrappedCentred(picture, {0, (kSheet / 4 - pixels) / 2, kSheet, kSheet / 4}, text,
                                 0xFFFFFF);
    CoverageToAlpha(picture);
    return picture;
}

// The logo's picture: bold white letters filling a wide strip (the top
// quarter of a square texture, as textures are), each with a dark rim, on a
// dark translucent plate, so that the name stays readable
// over a bright sun, and its smaller levels (the picture drawn at a
// fraction of the screen's size, then stretched) keep letters, not a haze.
constexpr int kLogoWidth = 512;
constexpr int kLogoHeight = 128;
constexpr int kLogoLetters = 92;
constexpr int kLogoTop = (kLogoHeight - kLogoLetters) / 2 - 6; // the letters' box
constexpr int kLogoRim = 4;
constexpr double kLogoPlate = 0.45;

Image LogoPicture(const char* text) {
    Image letters = platform::image::MakeImage(PixelFormat::A8R8G8B8, kLogoWidth, kLogoHeight);
    if (auto font = OpenFont(platform::FontStyle::Bold, kLogoLetters))
        font->DrawWrappedCentred(letters, {0, kLogoTop, kLogoWidth, kLogoHeight - kLogoTop}, text,
                                 0xFFFFFF);
    auto coverage = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= kLogoWidth || y >= kLogoHeight) return 0.0;
        return letters.pixels[(size_t(y) * kLogoWidth + size_t(x)) * 4 + 2] / 255.0;
    };
    Image picture = platform::image::MakeImage(PixelFormat::A8R8G8B8, kLogoWidth, kLogoWidth);
    for (int y = 0; y < kLogoHeight; ++y)
        for (int x = 0; x < kLogoWidth; ++x) {
            double rim = 0.0;
            for (int dy = -kLogoRim; dy <= kLogoRim; ++dy)
                for (int dx = -kLogoRim; dx <= kLogoRim; ++dx)
                    if (dx * dx + dy * dy <= kLogoRim * kLogoRim)
                        rim = std::max(rim, coverage(x + dx, y + dy));
            // The plate's corners are rounded off by its distance from the
            // middle line.
            const double u = std::abs(x + 0.5 - kLogoWidth / 2.0) / (kLogoWidth / 2.0);
            const double v = std::abs(y + 0.5 - kLogoHeight / 2.0) / (kLogoHeight / 2.0);
            const double plate =
                kLogoPlate * std::clamp((1.0 - std::max(u * u, v * v)) * 6.0, 0.0, 1.0);
            const double ink = coverage(x, y);
            const double alpha = std::max({ink, rim * 0.9, plate});
            const double bright = alpha > 0.0 ? ink / alpha : 0.0;
            uint8_t* p = &picture.pixels[(size_t(y) * kLogoWidth + size_t(x)) * 4];
            p[0] = p[1] = p[2] = uint8_t(std::lround(16 + bright * 239));
            p[3] = uint8_t(std::lround(alpha * 255));
        }
    return picture;
}

// The inset picture's frame: a bright rim, clear inside.
Image InsetFrame() {
    return databuilder::Paint(PixelFormat::A8R8G8B8, 64, 64, [](double u, double v, double c[4]) {
        const double edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
        c[0] = 0.55;
        c[1] = 0.75;
        c[2] = 1.0;
        c[3] = edge < 0.05 ? 0.9 : 0.0;
    });
}

bool WriteOverlayModel(const std::filesystem::path& root, Entity* model) {
    model->AddRef();
    model->CreateProps();
    for (const char* flag : {"can collide", "affected by gravity", "pickable", "has halo"}) {
        size_t offset = 0;
        if (PropDesc::Find(model->props->Table(), flag, offset))
            model->props->SetFlag(offset, false);
    }
    model->RecomputeBound();
    const std::string name(model->Name());
    std::string error;
    const bool ok = SaveObjectFile(root / "models" / (name + ".vrn"), model, &error) &&
                    SavePropFile(root / "properties" / (name + ".prp"), *model->props, &error);
    if (!ok) std::fprintf(stderr, "lumivane_display: %s\n", error.c_str());
    model->Release();
    return ok;
}

// An overlay picture is drawn after the frame has uploaded the texture
// levels its models asked for, so a level it asks for would be forgotten
// before the next upload and the picture shown at the smallest level, a
// smear: its texture is kept resident, every level in a slot of its own.
GeoNode* ResidentPicture(GeoNode* rect) {
    rect->SetTexturePath(rect->TexturePath(), 1);
    return rect;
}

// The logo hangs from the view's top-left corner (50 model units to the
// view's half width at its depth). "on" slides it in; "screensaver" then
// lets it drift gently, over and over.
Entity* Logo() {
    auto* logo = new Entity;
    logo->SetName("logo");
    auto* frame = new FrameAnim;
    frame->SetName("logoframe");
    frame->AddChild(ResidentPicture(
        databuilder::MakeRect("logo", 2, -2, 20, -6.5f, 0, 0, 1, 0.25f,
                              {.colour = 0xFFFFE0A0, .texture = "logo.dds", .lit = false})));
    auto* keys = new FrameChannel;
    Matrix above, rest, low;
    above.MakeTranslation(0, 8, 0);
    low.MakeTranslation(0, -1, 0);
    keys->AddKey(above, -30);
    keys->AddKey(rest, -60);
    keys->AddKey(low, -60);
    keys->AddKey(rest, -1); // the last key holds; -1 is how a loaded channel keeps it
    frame->AddChannel(keys);
    logo->AddChild(frame);
    auto* sequencer = new Sequencer;
    sequencer->AddChannel(keys);
    sequencer->AddSequence({"on", 0, 0.0f, 1.0f, {1}});
    sequencer->AddSequence({"screensaver", 0, 1.0f, 5.0f, {1}});
    logo->SetSequencer(sequencer);
    return logo;
}

Entity* Pause() {
    auto* pause = new Entity;
    pause->SetName("Pause");
    pause->AddChild(ResidentPicture(databuilder::MakeRect("Pause", 38, -26, 62, -32, 0, 0, 1, 0.25f,
                                                          {.texture = "pause.dds", .lit = false})));
    return pause;
}

bool CheckLibrary(const std::filesystem::path& root) {
    ModelLibrary library;
    if (!library.LoadAll(root)) return false;
    for (const char* name : {"logo", "Pause"})
        if (!library.FindPrototype(name)) {
            std::fprintf(stderr, "lumivane_display: %s does not load back\n", name);
            return false;
        }
    return true;
}

} // namespace

DATABUILDER_STEP(LumivaneDisplay, "lumivane_display") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    const std::filesystem::path textures = root / "models" / "textures";
    std::error_code error;
    for (const auto& folder : {textures, root / "properties"})
        std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "lumivane_display: %s\n", error.message().c_str());
        return false;
    }
    return WriteFontSheet(textures) && WriteCharMap(root) &&
           SaveTexture(textures / "logo.dds", LogoPicture("Lumivane")) &&
           SaveTexture(textures / "pause.dds", Banner("Paused", 40)) &&
           SaveTexture(textures / "pip.dds", InsetFrame()) && WriteOverlayModel(root, Logo()) &&
           WriteOverlayModel(root, Pause()) && CheckLibrary(root);
}
