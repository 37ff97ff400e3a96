// Mouse: button state, cursor position and motion as the command interface
// and the camera read them. Nothing fills it in this program, so buttons
// read as released and the mouse as unmoved.
#pragma once

#include <cstdint>

#include "desktop/scene/world/input_device.h"

namespace lumivane {

class Mouse {
public:
    enum Group { kHeld = 0, kPressed = 1, kReleased = 2, kDoubleClicked = 3 };

    Mouse() = default;

    // Sets the range (the display window's size) and puts the cursor at 0, 0;
    // where the pointer is stays unknown until it moves.
    void SetRange(int32_t newWidth, int32_t newHeight);
    // Without a device nothing happens; resuming takes the device again.
    void SetSuspended(bool suspended);
    // Zeroes the held values of the four buttons.
    void ClearButtons();
    void Shutdown();

    // buttons[group][button]
    int32_t buttons[4][4] = {};
    InputDevice* inputSystem = nullptr;
    InputDevice* device = nullptr;
    int32_t width = 100;
    int32_t height = 100;
    float x = 0.0f;
    float y = 0.0f;
    int32_t dx = 0;
    int32_t dy = 0;
    // Wheel motion since the last poll, 120 a notch; positive away from
    // the user.
    int32_t wheel = 0;
    int32_t resumeState = 0; // 2 once resumed
    // 1 while the camera is being dragged with the mouse.
    int32_t cameraDrag = 0;
    // 1 while the pointer is over the display's window: the cursor is drawn
    // only then, so no pointer stands where the mouse is not.
    int32_t overWindow = 0;
    // 1 while the pointer over the window is the window system's (a window
    // of another program, whose pointer is not ours to hide): the scene
    // then draws no arrow of its own, so that one pointer shows.
    int32_t systemPointer = 0;
};

} // namespace lumivane
