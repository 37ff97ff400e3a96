// Glyph atlas rendering with FreeType.
#include "platform/font/glyph_atlas.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <filesystem>
#include <memory>

namespace platform::font {

namespace {

// Codes 0x80..0x9F of Windows-1252; the rest equal Latin-1.
const uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

const char* const kFontFolders[] = {"/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/truetype",
                                    "/usr/local/share/fonts"};

struct LibraryDeleter {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};

std::string FindFile(const std::string& file) {
    for (const char* folder : kFontFolders) {
        std::error_code ec;
        std::filesystem::path path = std::filesystem::path(folder) / file;
        if (std::filesystem::is_regular_file(path, ec)) return path.string();
    }
    return {};
}

} // namespace

uint32_t Cp1252ToUnicode(uint8_t code) {
    if (code >= 0x80 && code < 0xA0) return kHighControls[code - 0x80];
    return code;
}

std::string FindFontFile(const char* faceName, bool bold, bool italic) {
    std::string base;
    for (const char* p = faceName ? faceName : ""; *p; ++p)
        if (*p != ' ') base += *p;
    if (base.empty()) base = "DejaVuSans";
    const bool serif = base.find("Serif") != std::string::npos;
    std::string style = bold && italic ? (serif ? "-BoldItalic" : "-BoldOblique")
                        : bold         ? "-Bold"
                        : italic       ? (serif ? "-Italic" : "-Oblique")
                                       : "";
    for (const std::string& name :
         {base + style, base, std::string("DejaVuSans") + style, std::string("DejaVuSans")}) {
        std::string found = FindFile(name + ".ttf");
        if (!found.empty()) return found;
    }
    return {};
}

bool RenderGlyphAtlas(const std::string& fontFile, int emPixels, int width, int height, int first,
                      int last, GlyphAtlas& out, std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (width <= 0 || height <= 0 || emPixels <= 0 || first < 0 || last > 255 || first > last)
        return fail("bad atlas size or code range");
    FT_Library rawLibrary = nullptr;
    if (FT_Init_FreeType(&rawLibrary)) return fail("FreeType does not start");
    std::unique_ptr<FT_LibraryRec_, LibraryDeleter> library(rawLibrary);
    FT_Face rawFace = nullptr;
    if (FT_New_Face(rawLibrary, fontFile.c_str(), 0, &rawFace))
        return fail("cannot read the font \"" + fontFile + "\"");
    std::unique_ptr<FT_FaceRec_, FaceDeleter> face(rawFace);
    if (FT_Set_Pixel_Sizes(rawFace, 0, FT_UInt(emPixels)))
        return fail("the font has no size " + std::to_string(emPixels));

    out = GlyphAtlas{};
    out.width = width;
    out.height = height;
    out.coverage.assign(size_t(width) * size_t(height), 0);
    const FT_Size_Metrics& metrics = rawFace->size->metrics;
    const int ascent = int((metrics.ascender + 63) >> 6);
    const int lineHeight = int((metrics.ascender - metrics.descender + 63) >> 6);

    int x = 0, y = 0;
    for (int code = first; code <= last; ++code) {
        uint32_t unicode = Cp1252ToUnicode(uint8_t(code));
        FT_UInt index = unicode ? FT_Get_Char_Index(rawFace, unicode) : 0;
        if (FT_Load_Glyph(rawFace, index, FT_LOAD_RENDER)) continue;
        FT_GlyphSlot slot = rawFace->glyph;
        const int cx = int((slot->advance.x + 63) >> 6);
        if (x + cx + 2 > width) {
            x = 0;
            y += lineHeight + 2;
        }
        if (y + lineHeight > height) break; // no room left
        out.cells[code] = {x, y, cx, lineHeight};
        const FT_Bitmap& bitmap = slot->bitmap;
        const int left = x + slot->bitmap_left;
        const int top = y + ascent - slot->bitmap_top;
        for (int row = 0; row < int(bitmap.rows); ++row)
            for (int col = 0; col < int(bitmap.width); ++col) {
                const int px = left + col, py = top + row;
                if (px < 0 || py < 0 || px >= width || py >= height) continue;
                uint8_t value = bitmap.buffer[row * bitmap.pitch + col];
                uint8_t& pixel = out.coverage[size_t(py) * size_t(width) + size_t(px)];
                pixel = std::max(pixel, value);
            }
        x += cx + 2;
    }
    return true;
}

} // namespace platform::font
