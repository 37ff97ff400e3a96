// The engine's key codes are the platform's one DIK table.
#include "Jentra/core/input/key_table.h"

#include "platform/dik_codes.h"

int JTDikFromScancode(int scancode) {
    return platform::DikFromScancode(scancode);
}

int JTScancodeFromDik(int dik) {
    return platform::ScancodeFromDik(dik);
}
