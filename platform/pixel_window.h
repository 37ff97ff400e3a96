// A small plain window whose whole content is a picture the program paints
// itself (no GL): progress windows and the like. Its events (close, focus)
// arrive in the program's EventQueue with its Id like any window's.
#pragma once

#include "platform/image/image.h"
#include "platform/window.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

struct PixelWindowDesc {
    std::string title;
    int width = 400;
    int height = 100;
    bool topMost = false;   // stays above other windows
    int x = kWindowCentred; // top left corner on the desktop, or centred
    int y = kWindowCentred;
    bool borderless = false;
};

class PixelWindow {
public:
    // A visible window of that client size and place.
    // Null with *error set when none can be made.
    static std::unique_ptr<PixelWindow> Create(const PixelWindowDesc& desc,
                                               std::string* error = nullptr);
    ~PixelWindow();
    PixelWindow(const PixelWindow&) = delete;
    PixelWindow& operator=(const PixelWindow&) = delete;

    uint32_t Id() const;
    int Width() const;
    int Height() const;

    // Shows a 32-bit BGRA picture (A8R8G8B8 or X8R8G8B8; alpha ignored) at
    // the top left corner; the picture should have the window's size.
    bool Present(const image::Image& picture, std::string* error = nullptr);

    struct Impl;

private:
    explicit PixelWindow(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
