// The message box the programs draw themselves, in a plain X11 window on a
// connection of their own: the box is the program's own window, so it goes
// when the program ends, however it ends. Its text is wrapped to fit the
// screen. The layout and the picture are separate from the window so they
// can be checked without an X server.
#pragma once

#include "platform/font/text_renderer.h"
#include "platform/image/image.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct MessageBoxLayout {
    int width = 0, height = 0;
    std::vector<std::string> lines; // the text as it is drawn, line by line
    TextArea text;                  // where the lines go
    std::vector<TextArea> buttons;  // one per label, left to right
};

// The box for `text` and its buttons on a screen of that size: the text is
// broken at line feeds, between words where a line would be wider than
// the box may be, and inside a word longer than a whole line; the box is
// never wider or higher than the screen.
MessageBoxLayout LayOutMessageBox(const TextRenderer& font, std::string_view text,
                                  const std::vector<std::string>& labels, int screenWidth,
                                  int screenHeight);

// The picture of the box (X8R8G8B8), with the `focused` button marked.
image::Image PaintMessageBox(const TextRenderer& font, const MessageBoxLayout& layout,
                             const std::vector<std::string>& labels, int focused);

// Shows the box on the X server of $DISPLAY and waits for a button. Return
// and Space take the focused one (the first at the start), Tab and the
// arrow keys move the focus, Escape and closing the window answer with
// `escapeIndex`, and so does `shouldClose` once it answers true (asked
// every 50 ms). False when no box can be shown there (no X server, no
// font, a screen of an unusual pixel format).
bool ShowX11MessageBox(std::string_view title, std::string_view text,
                       const std::vector<std::string>& labels, int escapeIndex,
                       const std::function<bool()>& shouldClose, int& chosen);

} // namespace platform
