// FreeType glue: one library and face per renderer, glyphs rendered as
// 8-bit coverage and blended into BGRA pictures.
#include "platform/font/text_renderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <system_error>

namespace platform {

namespace {

const char* const kFontFolders[] = {"/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/dejavu",
                                    "/usr/share/fonts/TTF", "/usr/share/fonts/truetype/liberation"};

const char* const* FontNames(FontStyle style) {
    static const char* const regular[] = {"DejaVuSans.ttf", "LiberationSans-Regular.ttf", nullptr};
    static const char* const bold[] = {"DejaVuSans-Bold.ttf", "LiberationSans-Bold.ttf", nullptr};
    static const char* const boldItalic[] = {"DejaVuSans-BoldOblique.ttf",
                                             "LiberationSans-BoldItalic.ttf", nullptr};
    switch (style) {
    case FontStyle::Regular:
        return regular;
    case FontStyle::Bold:
        return bold;
    case FontStyle::BoldItalic:
        return boldItalic;
    }
    return regular;
}

// Next code point of UTF-8 text; bytes that do not form one give U+FFFD.
char32_t NextCodePoint(std::string_view text, size_t& at) {
    const auto byte = [&](size_t i) { return uint8_t(text[i]); };
    const uint8_t lead = byte(at++);
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
    if (lead >= 0xF8) extra = -1;
    if (extra < 0) return 0xFFFD;
    char32_t code = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if (at >= text.size() || (byte(at) & 0xC0) != 0x80) return 0xFFFD;
        code = code << 6 | (byte(at++) & 0x3F);
    }
    return code;
}

} // namespace

std::filesystem::path FindSystemFont(FontStyle style) {
    for (const char* folder : kFontFolders)
        for (const char* const* name = FontNames(style); *name; ++name) {
            std::error_code ignored;
            const std::filesystem::path path = std::filesystem::path(folder) / *name;
            if (std::filesystem::is_regular_file(path, ignored)) return path;
        }
    return {};
}

struct TextRenderer::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    int lineHeight = 0;
    int ascent = 0;

    ~Impl() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }

    // Advance of one code point in pixels (0 for a glyph the face lacks
    // and cannot replace).
    int Advance(char32_t code) const {
        if (FT_Load_Char(face, FT_ULong(code), FT_LOAD_DEFAULT) != 0) return 0;
        return int(face->glyph->advance.x >> 6);
    }
};

TextRenderer::TextRenderer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
TextRenderer::~TextRenderer() = default;

std::unique_ptr<TextRenderer> TextRenderer::Open(const std::filesystem::path& fontFile,
                                                 int pixelHeight, std::string* error) {
    auto impl = std::make_unique<Impl>();
    if (pixelHeight <= 0) {
        if (error) *error = "font size must be positive";
        return nullptr;
    }
    if (FT_Init_FreeType(&impl->library) != 0) {
        if (error) *error = "the font library cannot be started";
        return nullptr;
    }
    if (fontFile.empty() || FT_New_Face(impl->library, fontFile.c_str(), 0, &impl->face) != 0) {
        if (error) *error = "font " + fontFile.string() + " cannot be read";
        return nullptr;
    }
    if (FT_Set_Pixel_Sizes(impl->face, 0, FT_UInt(pixelHeight)) != 0) {
        if (error)
            *error = "font " + fontFile.string() + " has no size " + std::to_string(pixelHeight);
        return nullptr;
    }
    const FT_Size_Metrics& metrics = impl->face->size->metrics;
    impl->ascent = int(metrics.ascender >> 6);
    impl->lineHeight = std::max(1, int(metrics.height >> 6));
    return std::unique_ptr<TextRenderer>(new TextRenderer(std::move(impl)));
}

int TextRenderer::LineHeight() const {
    return impl_->lineHeight;
}

int TextRenderer::LineWidth(std::string_view utf8) const {
    int width = 0;
    for (size_t at = 0; at < utf8.size();)
        width += impl_->Advance(NextCodePoint(utf8, at));
    return width;
}

std::vector<std::string> TextRenderer::WrapLines(std::string_view utf8, int maxWidth) const {
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        const size_t end = std::min(utf8.find('\n', start), utf8.size());
        std::string_view paragraph = utf8.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
        std::string line;
        size_t at = 0;
        while (at <= paragraph.size()) {
            const size_t space = std::min(paragraph.find(' ', at), paragraph.size());
            const std::string_view word = paragraph.substr(at, space - at);
            const std::string candidate =
                line.empty() ? std::string(word) : line + " " + std::string(word);
            if (!line.empty() && LineWidth(candidate) > maxWidth) {
                lines.push_back(line);
                line = std::string(word);
            } else {
                line = candidate;
            }
            at = space + 1;
        }
        lines.push_back(line);
        if (end >= utf8.size()) break;
        start = end + 1;
    }
    return lines;
}

void TextRenderer::DrawLine(image::Image& target, const TextArea& clip, int left, int top,
                            std::string_view line, uint32_t rgb) const {
    if (target.format != image::PixelFormat::A8R8G8B8 &&
        target.format != image::PixelFormat::X8R8G8B8)
        return;
    const int clipLeft = std::max(0, clip.left), clipTop = std::max(0, clip.top);
    const int clipRight = std::min(target.width, clip.left + clip.width);
    const int clipBottom = std::min(target.height, clip.top + clip.height);
    const uint8_t colour[3] = {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16)}; // B, G, R
    const int baseline = top + impl_->ascent;
    int penX = left;
    for (size_t at = 0; at < line.size();) {
        const char32_t code = NextCodePoint(line, at);
        if (FT_Load_Char(impl_->face, FT_ULong(code), FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot glyph = impl_->face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            for (unsigned row = 0; row < bitmap.rows; ++row) {
                const int y = baseline - glyph->bitmap_top + int(row);
                if (y < clipTop || y >= clipBottom) continue;
                for (unsigned col = 0; col < bitmap.width; ++col) {
                    const int x = penX + glyph->bitmap_left + int(col);
                    if (x < clipLeft || x >= clipRight) continue;
                    const unsigned coverage = bitmap.buffer[long(row) * bitmap.pitch + long(col)] *
                                              255u / std::max(1u, unsigned(bitmap.num_grays) - 1u);
                    uint8_t* p =
                        target.pixels.data() + (size_t(y) * size_t(target.width) + size_t(x)) * 4;
                    for (int c = 0; c < 3; ++c)
                        p[c] =
                            uint8_t((p[c] * (255 - coverage) + colour[c] * coverage + 127) / 255);
                }
            }
        }
        penX += int(glyph->advance.x >> 6);
    }
}

void TextRenderer::DrawWrappedCentred(image::Image& target, const TextArea& area,
                                      std::string_view utf8, uint32_t rgb) const {
    int top = area.top;
    for (const std::string& line : WrapLines(utf8, area.width)) {
        DrawLine(target, area, area.left + (area.width - LineWidth(line)) / 2, top, line, rgb);
        top += impl_->lineHeight;
    }
}

} // namespace platform
