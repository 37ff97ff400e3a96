// The key state holder.
#include "desktop/scene/world/keyboard.h"

#include <cstring>

namespace lumivane {

void Keyboard::ClearKeyTables() {
    std::memset(pressed, 0, sizeof pressed);
    std::memset(released, 0, sizeof released);
}

void Keyboard::SetSuspended(bool suspended) {
    if (!device) return;
    if (suspended) {
        device->Unacquire();
        std::memset(keyState, 0, sizeof keyState);
    } else {
        device->Acquire();
        resumeState = 3;
    }
}

void Keyboard::Shutdown() {
    if (device) device->Unacquire();
    device = nullptr;
    inputSystem = nullptr;
}

bool Keyboard::IsKeyDown(int code) const {
    return Valid(code) && (keyState[code] & 0x80) && !blocked && !blockedByCommand;
}

bool Keyboard::WasKeyPressed(int code) const {
    return Valid(code) && pressed[code] && !blocked && !blockedByCommand;
}

} // namespace lumivane
