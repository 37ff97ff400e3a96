// Writes the engine font into modules/: the atlas "font2-nocomp.jpg" (all
// white; its alpha, the glyphs, comes from "font2-nocomp_alpha.jpg"), the
// bump picture "font2_bump.jpg" (the glyphs as heights) and the glyph table
// "font1.dat", drawn from DejaVu Sans with the engine's own font builder.
#include "tools/databuilder/shared/data_step.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "Jentra/JTDataFolder.h"
#include "Jentra/JTFont.h"
#include "Jentra/render/font_atlas.h"
#include "platform/binary_io.h"
#include "tools/databuilder/shared/write_if_changed.h"
#include "platform/image/jpeg.h"

namespace {

constexpr const char* kFace = "DejaVu Sans";
constexpr int kPointSize = 24;
constexpr int kJpegQuality = 95;

bool WriteGrey(const std::filesystem::path& file, const jentra::font::FontAtlas& atlas,
               uint8_t (*shade)(uint8_t alpha)) {
    using namespace platform::image;
    Image image = MakeImage(PixelFormat::X8R8G8B8, atlas.width, atlas.height);
    for (size_t i = 0; i < atlas.alpha.size(); ++i) {
        uint8_t v = shade(atlas.alpha[i]);
        uint8_t* p = &image.pixels[i * 4];
        p[0] = p[1] = p[2] = v;
        p[3] = 255;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    if (!EncodeJpeg(image, kJpegQuality, bytes, &error) ||
        !databuilder::WriteFileIfChanged(file, bytes, &error)) {
        std::fprintf(stderr, "databuilder: %s: %s\n", file.c_str(), error.c_str());
        return false;
    }
    return true;
}

} // namespace

DATABUILDER_STEP(WriteFont, "font") {
    jentra::font::FontAtlas atlas;
    std::string error;
    if (!jentra::font::BuildFontAtlas(kFace, kPointSize, 0, 0, atlas, &error)) {
        std::fprintf(stderr, "databuilder: font: %s\n", error.c_str());
        return false;
    }
    const std::filesystem::path modules = context.runtime / "modules";
    std::error_code made;
    std::filesystem::create_directories(modules, made);
    bool ok = WriteGrey(modules / "font2-nocomp.jpg", atlas, [](uint8_t) { return uint8_t(255); });
    ok = WriteGrey(modules / "font2-nocomp_alpha.jpg", atlas,
                   [](uint8_t a) { return uint8_t(a * 17); }) &&
         ok;
    ok = WriteGrey(modules / "font2_bump.jpg", atlas, [](uint8_t a) { return uint8_t(a * 17); }) &&
         ok;

    JTFont font;
    for (int code = 0; code < JTFont::kCodes; ++code)
        font.SetGlyph(uint8_t(code), atlas.rect[code], atlas.advance[code]);
    JTSetDataFolder(context.runtime.c_str());
    if (!font.SaveSpacing("font1.dat")) {
        std::fprintf(stderr, "databuilder: cannot write modules/font1.dat\n");
        ok = false;
    }
    JTSetDataFolder(nullptr);
    return ok;
}
