// Plain SDL windows painted through their window surface.
#include "platform/pixel_window.h"

#include "platform/window_internal.h"

namespace platform {

struct PixelWindow::Impl {
    SDL_Window* window = nullptr;
    ~Impl() {
        if (window) SDL_DestroyWindow(window);
    }
};

PixelWindow::PixelWindow(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
PixelWindow::~PixelWindow() = default;

std::unique_ptr<PixelWindow> PixelWindow::Create(const PixelWindowDesc& desc, std::string* error) {
    if (desc.width <= 0 || desc.height <= 0) {
        if (error) *error = "window size must be positive";
        return nullptr;
    }
    if (!StartVideo(error)) return nullptr;
    Uint32 flags = SDL_WINDOW_SHOWN;
    if (desc.topMost) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (desc.borderless) flags |= SDL_WINDOW_BORDERLESS;
    auto impl = std::make_unique<Impl>();
    impl->window = SDL_CreateWindow(desc.title.c_str(),
                                    desc.x == kWindowCentred ? int(SDL_WINDOWPOS_CENTERED) : desc.x,
                                    desc.y == kWindowCentred ? int(SDL_WINDOWPOS_CENTERED) : desc.y,
                                    desc.width, desc.height, flags);
    if (!impl->window) {
        if (error) *error = std::string("the window could not be created: ") + SDL_GetError();
        return nullptr;
    }
    return std::unique_ptr<PixelWindow>(new PixelWindow(std::move(impl)));
}

uint32_t PixelWindow::Id() const {
    return SDL_GetWindowID(impl_->window);
}

int PixelWindow::Width() const {
    int w = 0, h = 0;
    SDL_GetWindowSize(impl_->window, &w, &h);
    return w;
}

int PixelWindow::Height() const {
    int w = 0, h = 0;
    SDL_GetWindowSize(impl_->window, &w, &h);
    return h;
}

bool PixelWindow::Present(const image::Image& picture, std::string* error) {
    if ((picture.format != image::PixelFormat::A8R8G8B8 &&
         picture.format != image::PixelFormat::X8R8G8B8) ||
        picture.pixels.size() != size_t(picture.width) * size_t(picture.height) * 4) {
        if (error) *error = "only 32-bit pictures can be shown";
        return false;
    }
    // The window's own surface may have any layout; SDL converts from ours
    // (BGRA in memory is ARGB8888 on a little-endian machine).
    SDL_Surface* target = SDL_GetWindowSurface(impl_->window);
    if (!target) {
        if (error) *error = std::string("the window has no surface: ") + SDL_GetError();
        return false;
    }
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint8_t*>(picture.pixels.data()), picture.width, picture.height, 32,
        picture.width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!source) {
        if (error) *error = std::string("the picture cannot be wrapped: ") + SDL_GetError();
        return false;
    }
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    const bool ok = SDL_BlitSurface(source, nullptr, target, nullptr) == 0 &&
                    SDL_UpdateWindowSurface(impl_->window) == 0;
    SDL_FreeSurface(source);
    if (!ok && error) *error = std::string("the window cannot be painted: ") + SDL_GetError();
    return ok;
}

} // namespace platform
