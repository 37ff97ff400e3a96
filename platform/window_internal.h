// Shared between the window and the GL context: the SDL objects behind our
// types and the reference-counted start of SDL's video subsystem.
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

// Starts SDL video and events once for the process; later calls just
// answer whether that worked.
bool StartVideo(std::string* error);

} // namespace platform
