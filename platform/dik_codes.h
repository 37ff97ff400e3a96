// DirectInput key codes ("DIK" numbers: 0x01 Escape, 0x39 the space bar),
// by which both engines index their key states, from the scancodes key
// events carry (scancodes.h).
#pragma once

namespace platform {

// DIK code of a scancode; 0 when the key has no DIK code.
int DikFromScancode(int scancode);
// Scancode of a DIK code; 0 when no key produces it (tests and tools inject
// keys by these numbers).
int ScancodeFromDik(int dik);

} // namespace platform
