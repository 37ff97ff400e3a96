// Shared by display creation and mode changes: taking the screen at a size,
// the sizes to step down to when a size is refused, and the user's
// multisampling choice.
#pragma once

namespace platform {
class Window;
}

namespace jentra::render {

// The next smaller size to try after a refused one: 1600 wide becomes
// 1280 x 1024, 1280 becomes 1024 x 768, 1024 becomes 800 x 600 and 800
// becomes 640 x 480; false for any other width (no more tries).
bool StepDownSize(int& width, int& height);

// Puts the window full screen at exactly that size on the adapter's screen;
// false (and the window left as a window) when the screen has no mode of
// that size or gives the window another size.
bool TakeFullScreen(platform::Window& window, int adapter, int width, int height);

// The user option "Multisample" (off when there is no game).
bool MultisampleWanted();

} // namespace jentra::render
