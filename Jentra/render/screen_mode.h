// Shared by display creation and mode changes: taking the screen at a size,
// fitting a window on its screen, the sizes to step down to when a size is
// refused, and the user's multisampling choice.
#pragma once

namespace platform {
class Window;
}

namespace jentra::render {

// The next smaller size to try after a refused one: 1600 wide becomes
// 1280 x 1024, 1280 becomes 1024 x 768, 1024 becomes 800 x 600 and 800
// becomes 640 x 480; false for any other width (no more tries).
bool StepDownSize(int& width, int& height);

// The first of the size and the sizes it steps down to that is no larger
// than the area; when none is, the size cut to the area. False when the
// size itself did not fit.
bool FitSize(int& width, int& height, int areaWidth, int areaHeight);

// Whether the adapter's screen offers a full-screen mode of that size.
bool ModeOffered(int adapter, int width, int height);

// Whether a drawing area of that size fits, with the window's frame, in
// the usable part of the window's screen (true when that cannot be
// measured: nothing says it does not).
bool FitsOnScreen(const platform::Window& window, int width, int height);

// Gives the window a drawing area of that size, stepped down until it fits
// on its screen, and centres it in the screen's usable part, frame and all.
void PlaceWindow(platform::Window& window, int width, int height);

// Puts the window full screen at exactly that size on the adapter's screen;
// false (and the window left as a window) when the screen has no mode of
// that size or gives the window another size.
bool TakeFullScreen(platform::Window& window, int adapter, int width, int height);

// The user option "Multisample" (off when there is no game).
bool MultisampleWanted();

} // namespace jentra::render
