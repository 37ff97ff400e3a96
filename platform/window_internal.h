// Shared between the window and the GL context: the SDL objects behind our
// types.
#pragma once

#include "platform/window.h"

#include <SDL.h>

#include <string>

namespace platform {

struct Window::Impl {
    SDL_Window* window = nullptr;
    bool foreign = false;   // made by another program
    uint64_t x11Window = 0; // a foreign window's X11 id
    WindowMode mode = WindowMode::Windowed;
};

} // namespace platform
