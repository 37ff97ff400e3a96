// What a person does to another program's X11 window, for tests and tools
// that run a program under a virtual X server: find its window by title,
// read what it shows, and ask it to close as a window manager would.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

// The first viewable top-level window whose title holds `title`, searched
// on $DISPLAY; 0 when there is none (or no X server).
uint64_t FindX11WindowByTitle(std::string_view title);

// The window's pixels, rows top first, each 0xAARRGGBB with A 255. False
// when it is gone or cannot be read.
bool CaptureX11Window(uint64_t window, std::vector<uint32_t>& argb, int& width, int& height);

// Sends the window the close request a window manager sends (the
// WM_DELETE_WINDOW protocol message). False when it cannot be sent.
bool RequestX11WindowClose(uint64_t window);

} // namespace platform
