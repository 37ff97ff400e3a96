// Keyboard: the key state the command interface, the camera, the players'
// squad keys and the triggers read, indexed by the engine's key codes
// (DIK numbering: 57 is the space bar). Nothing fills it in this program,
// so every key reads as released.
#pragma once

#include <cstdint>

#include "desktop/scene/world/input_device.h"

namespace lumivane {

class Keyboard {
public:
    Keyboard() = default;

    // Zeroes the pressed and released tables.
    void ClearKeyTables();
    // Without a device nothing happens. Suspending lets go of the device
    // and clears the key states; resuming takes it again.
    void SetSuspended(bool suspended);
    // Lets go of the device and the input system for good.
    void Shutdown();

    // Down while the high bit of its state is set and input is not blocked.
    bool IsKeyDown(int code) const;
    // Pressed since the last poll while input is not blocked.
    bool WasKeyPressed(int code) const;
    bool IsShiftDown() const { return IsKeyDown(0x2A) || IsKeyDown(0x36); }
    bool IsCtrlDown() const { return IsKeyDown(0x1D) || IsKeyDown(0x9D); }
    bool IsAltDown() const { return IsKeyDown(0x38) || IsKeyDown(0xB8); }

    uint8_t keyState[256] = {};
    int32_t pressed[256] = {};
    int32_t released[256] = {};
    InputDevice* inputSystem = nullptr;
    InputDevice* device = nullptr;
    // Key tests hold only while both are 0.
    int32_t blocked = 0;
    int32_t blockedByCommand = 0;
    int32_t resumeState = 0; // 3 once resumed

private:
    bool Valid(int code) const { return code >= 0 && code < 256; }
};

} // namespace lumivane
