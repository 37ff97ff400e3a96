// What the application asks of the display: make it for a window, let go of
// its device, present frames, hand a still picture of the last frame and
// paint one back, skip frames after a scene change, the load screen and its
// progress bar, and whether the device was lost while presenting. The
// program's display (program_display.h) is the real one; tests script one.
#pragma once

#include "platform/events.h"
#include "platform/image/image.h"

namespace lumivane {

class Display;
class HostWindow;

class AppDisplay {
public:
    virtual ~AppDisplay() = default;

    // Binds the display to the window and makes its device and surfaces at
    // that size (the load screen is shown). False when that fails; the
    // caller decides whether to try again.
    virtual bool Create(HostWindow& window, int width, int height) = 0;
    // Makes it again for the window and size of the last Create.
    virtual bool Recreate() = 0;
    // Lets go of the device and its surfaces (textures keep their pixels).
    virtual void ReleaseDevice() = 0;
    virtual bool HasDevice() const = 0;

    // Draws the frame and presents it (unless frames are being skipped).
    virtual void PresentFrame() = 0;
    // The next `count` frames are drawn but not presented.
    virtual void SkipFrames(int count) = 0;

    // The last frame as a 24-bit picture, or an empty one.
    virtual platform::image::Image CaptureFrame() = 0;
    // Paints a still picture stretched over the window.
    virtual void PaintStill(const platform::image::Image& picture) = 0;

    virtual void ShowLoadScreen() = 0;
    virtual void DrawProgress(float fraction) = 0;

    // True once after the device was lost while presenting.
    virtual bool TakeDeviceLost() = 0;

    // The display window's own handling of an event (the screen saver's
    // rules, activation); true when the event was taken.
    virtual bool HandleEvent(const platform::Event& event) = 0;

    // The display that draws the scene (its overlays, modes and camera),
    // null for one that only stands in.
    virtual Display* DrawingDisplay() { return nullptr; }
};

} // namespace lumivane
