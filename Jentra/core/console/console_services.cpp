// The console's ties to the keyboard, the sounds, the settings and the
// process, each used only when the service exists.
#include "Jentra/core/console/console_services.h"

#include "Jentra/JTAudio.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTRegistry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace jentra_console {

bool TogglePressed() {
    // Read past the capture: the console's own key must work while it holds
    // the keyboard.
    return gpJTKeyboard && gpJTKeyboard->KeyPressCaptured(DIK_GRAVE, JTMOD_CTRL);
}

void SetKeyboardCaptured(bool captured) {
    if (!gpJTKeyboard) return;
    if (captured)
        gpJTKeyboard->Capture();
    else
        gpJTKeyboard->Uncapture();
}

void Beep(const char* soundName) {
    if (gpJTAudio) gpJTAudio->PlaySoundA(soundName, 0, false);
}

void LoadLastCommand(char* out, size_t size) {
    if (!out || size == 0) return;
    out[0] = '\0';
    if (gpRegistry) gpRegistry->QueryValue(kLastCommandValue, out, int(size), HKEY_CURRENT_USER);
}

void SaveLastCommand(const char* line) {
    // A line the recall buffer cannot hold back would come back as nothing:
    // the previous command is kept instead.
    if (!gpRegistry || !line || std::strlen(line) >= kMaxLastCommand) return;
    gpRegistry->SetValue(kLastCommandValue, line, HKEY_CURRENT_USER);
}

void FatalError() {
    // Settings are committed as they are written; only buffered output may
    // still be pending.
    std::fputs("Jentra: the console's fatalerror command ends the program\n", stderr);
    std::fflush(nullptr);
    std::abort();
}

} // namespace jentra_console
