// Painting the progress window: all in a picture of its own, shown whole.
#include "desktop/display/texture_cache/progress_window.h"

#include "platform/font/text_renderer.h"
#include "platform/pixel_window.h"

#include <algorithm>

namespace lumivane {

namespace {

constexpr uint32_t kWindowColour = 0xFFFFFF;
constexpr uint32_t kTextColour = 0x1B2A5A;
constexpr int kBannerHeight = 22;
// Bold italic at 12 points on a 96-dpi screen.
constexpr int kTextPixelHeight = 16;

void PutPixel(platform::image::Image& picture, int x, int y, uint32_t rgb) {
    uint8_t* p = picture.pixels.data() + (size_t(y) * size_t(picture.width) + size_t(x)) * 4;
    p[0] = uint8_t(rgb);
    p[1] = uint8_t(rgb >> 8);
    p[2] = uint8_t(rgb >> 16);
    p[3] = 255;
}

// A strip of night sky: deep blue fading to black, with a fixed scatter of
// stars and a pale rim at its foot.
void PaintBanner(platform::image::Image& picture) {
    const int height = std::min(kBannerHeight, picture.height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const int fade = 255 - x * 255 / std::max(1, picture.width - 1);
            const uint32_t r = uint32_t(0x18 * fade / 255), g = uint32_t(0x24 * fade / 255),
                           b = uint32_t(0x70 * fade / 255);
            PutPixel(picture, x, y, r << 16 | g << 8 | b);
        }
    uint32_t seed = 0x4C55;
    for (int i = 0; i < 60; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int x = int((seed >> 8) % uint32_t(picture.width));
        const int y = int((seed >> 20) % uint32_t(std::max(1, height - 2)));
        const uint32_t level = 0x80 + (seed >> 28) * 8;
        PutPixel(picture, x, y, level << 16 | level << 8 | std::min(255u, level + 0x20));
    }
    if (height == kBannerHeight)
        for (int x = 0; x < picture.width; ++x)
            PutPixel(picture, x, height - 1, 0x8090C0);
}

} // namespace

std::string ProgressText(std::string_view message, int done, int total) {
    const int dots = std::max(0, total - done) + 1;
    std::string text(message);
    text += '\n';
    text.append(size_t(dots), '.');
    return text;
}

platform::image::Image PaintProgress(const platform::TextRenderer* font, std::string_view text) {
    platform::image::Image picture = platform::image::MakeImage(
        platform::image::PixelFormat::X8R8G8B8, kProgressWidth, kProgressHeight);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            PutPixel(picture, x, y, kWindowColour);
    PaintBanner(picture);
    if (font)
        font->DrawWrappedCentred(
            picture, {0, kProgressTextTop, kProgressWidth, kProgressHeight - kProgressTextTop},
            text, kTextColour);
    return picture;
}

ProgressWindow::~ProgressWindow() = default;

std::unique_ptr<ProgressWindow> ProgressWindow::Open(const std::string& title,
                                                     const std::string& message, bool topMost,
                                                     std::string* error) {
    std::unique_ptr<ProgressWindow> self(new ProgressWindow());
    platform::PixelWindowDesc desc;
    desc.title = title;
    desc.width = kProgressWidth;
    desc.height = kProgressHeight;
    desc.topMost = topMost;
    self->window_ = platform::PixelWindow::Create(desc, error);
    if (!self->window_) return nullptr;
    self->font_ = platform::TextRenderer::Open(
        platform::FindSystemFont(platform::FontStyle::BoldItalic), kTextPixelHeight);
    self->message_ = message;
    return self;
}

void ProgressWindow::Show(int done, int total) {
    window_->Present(PaintProgress(font_.get(), ProgressText(message_, done, total)));
}

} // namespace lumivane
