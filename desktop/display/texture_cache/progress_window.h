// The small window that tells the user the textures are being unpacked:
// 400 x 100, a banner across the top, and below it a message followed by one
// dot per file still to do (plus one).
#pragma once

#include "platform/image/image.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform {
class PixelWindow;
class TextRenderer;
} // namespace platform

namespace lumivane {

// What the converter shows its progress on.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    // Called when a count changes and now and then between, so the view
    // stays painted.
    virtual void Show(int done, int total) = 0;
};

inline constexpr int kProgressWidth = 400;
inline constexpr int kProgressHeight = 100;
// The text starts this far below the top, under the banner.
inline constexpr int kProgressTextTop = 25;

// The message, a line feed, and one full stop per file still to do plus one.
std::string ProgressText(std::string_view message, int done, int total);

// The window's picture: the window colour, the banner at the top left, and
// the text centred and word-wrapped below kProgressTextTop (none without a
// font).
platform::image::Image PaintProgress(const platform::TextRenderer* font, std::string_view text);

class ProgressWindow : public ProgressView {
public:
    // Title and message in UTF-8. Null with *error set when no window can be
    // made; a missing font only leaves the text out.
    static std::unique_ptr<ProgressWindow> Open(const std::string& title,
                                                const std::string& message, bool topMost,
                                                std::string* error = nullptr);
    ~ProgressWindow() override;

    void Show(int done, int total) override;

private:
    ProgressWindow() = default;

    std::unique_ptr<platform::PixelWindow> window_;
    std::unique_ptr<platform::TextRenderer> font_;
    std::string message_;
};

} // namespace lumivane
