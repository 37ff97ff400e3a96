// The console's ties to the keyboard, the sounds, the settings and the
// process, each used only when the service exists.
#include "Jentra/core/console/console_services.h"

#include "Jentra/JTRegistry.h"

#if __has_include("Jentra/JTKeyboard.h")
#include "Jentra/JTGlobals.h"
#include "Jentra/JTKeyboard.h"
#define JENTRA_CONSOLE_HAS_KEYBOARD 1
#endif
#if __has_include("Jentra/JTAudio.h")
#include "Jentra/JTAudio.h"
#define JENTRA_CONSOLE_HAS_AUDIO 1
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace jentra_console {

bool TogglePressed() {
#ifdef JENTRA_CONSOLE_HAS_KEYBOARD
    // Read past the capture: the console's own key must work while it holds
    // the keyboard.
    return gpJTKeyboard && gpJTKeyboard->KeyPressCaptured(DIK_GRAVE, JTMOD_CTRL);
#else
    return false;
#endif
}

void SetKeyboardCaptured(bool captured) {
#ifdef JENTRA_CONSOLE_HAS_KEYBOARD
    if (!gpJTKeyboard) return;
    if (captured)
        gpJTKeyboard->Capture();
    else
        gpJTKeyboard->Uncapture();
#else
    (void)captured;
#endif
}

void Beep(const char* soundName) {
#ifdef JENTRA_CONSOLE_HAS_AUDIO
    if (gpJTAudio) gpJTAudio->PlaySoundA(soundName, 0, false);
#else
    (void)soundName;
#endif
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
