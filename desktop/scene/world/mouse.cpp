// The mouse state holder.
#include "desktop/scene/world/mouse.h"

namespace lumivane {

void Mouse::SetRange(int32_t newWidth, int32_t newHeight) {
    width = newWidth;
    height = newHeight;
    x = 0.0f;
    y = 0.0f;
    overWindow = 0;
}

void Mouse::SetSuspended(bool suspended) {
    if (!device) return;
    if (suspended) {
        device->Unacquire();
    } else {
        device->Acquire();
        resumeState = 2;
    }
}

void Mouse::ClearButtons() {
    for (int32_t& value : buttons[kHeld])
        value = 0;
}

void Mouse::Shutdown() {
    if (device) device->Unacquire();
    device = nullptr;
    inputSystem = nullptr;
}

} // namespace lumivane
