// The display window's events: the screen saver's rules (the first mouse
// move is the mouse settling, from the second on input ends the saver after
// the password check), activation, which asks for the device to be made
// again when it is gone, and the device reset itself.
#include "desktop/display/device/display.h"

namespace lumivane {

bool Display::HandleEvent(const platform::Event& event) {
    using platform::EventType;
    bool taken = false;
    if (host_.InputEndsScreensaver()) taken = ScreenSaverEvent(event);
    switch (event.type) {
    case EventType::FocusGained:
    case EventType::Restored:
        if (!HasDevice() && !busy_) RequestDeviceReset();
        host_.SetActive(true);
        break;
    case EventType::FocusLost:
        if (fullScreen_) host_.SetActive(false);
        break;
    default:
        break;
    }
    if (resetPending_) HandleDeviceReset();
    return taken;
}

bool Display::ScreenSaverEvent(const platform::Event& event) {
    using platform::EventType;
    switch (event.type) {
    case EventType::MouseMove:
        if (++screensaverMoves_ >= 2) ScreenSaverInput();
        return true;
    case EventType::KeyDown:
    case EventType::MouseButtonDown:
        ScreenSaverInput();
        return true;
    default:
        return false;
    }
}

void Display::ScreenSaverInput() {
    if (inScreenSaverInput_) return;
    inScreenSaverInput_ = true;
    bool ends = true;
    if (host_.HasPasswordCheck() && device_) {
        ends = host_.CheckPassword();
        screensaverMoves_ = 0;
    }
    if (ends) {
        if (host_.ScreensaverMode())
            host_.PostQuit();
        else if (host_.PlayingScreensaver())
            host_.EndDesktopScreensaver();
    }
    inScreenSaverInput_ = false;
}

} // namespace lumivane
