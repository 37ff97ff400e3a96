// The engine's three boxes: CheckHr's "Error" box naming a failed result,
// the fatal box that ends the program and the warning box that may.
#include "Jentra/JTErrors.h"

#include "Jentra/JTGame.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMouse.h"
#include "Jentra/JTTransMap.h"
#include "platform/message_box.h"
#include "platform/window.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kFatalCaption = 1;
constexpr int kWarningCaption = 3;
// A fatal error ends the program with this status so that scripts and
// parents can tell it from a normal end.
constexpr int kFatalExitStatus = 1;

JTBoxFocusHook gFocusHook = nullptr;
// Whether the game was active when the last box took the input away.
bool gActiveBeforeBox = false;

// What a box does to the game around it unless a hook stands in: while the
// game is active it holds the pointer hidden in relative mode, so a box
// would be out of the mouse's reach. Before the box the game goes inactive
// as when its window loses focus (input released, pointer free and shown);
// a warning answered with OK gives back what the game had.
void HandOverInput(bool active) {
    if (gFocusHook) {
        gFocusHook(active);
        return;
    }
    if (!active) {
        gActiveBeforeBox = gpJTGame && gpJTGame->IsAppActive();
        if (gpJTGame) gpJTGame->SetAppActive(false);
        if (gpJTMouse) gpJTMouse->SyncAcquire(true);
        if (gpJTKeyboard) gpJTKeyboard->SyncAcquire(true);
        platform::SetRelativeMouseMode(false);
        platform::ShowMouseCursor(true);
        return;
    }
    if (!gActiveBeforeBox) return;
    if (gpJTGame) gpJTGame->SetAppActive(true);
    if (gpJTMouse) gpJTMouse->SyncAcquire(false);
    if (gpJTKeyboard) gpJTKeyboard->SyncAcquire(false);
}

std::string ComposeMessage(const char* text, const char* extra) {
    std::string message = text ? text : "";
    if (extra) {
        message += '\n';
        message += extra;
    }
    return message;
}

} // namespace

void JTSetBoxFocusHook(JTBoxFocusHook hook) {
    gFocusHook = hook;
}

void CheckHr(HRESULT hr, const char* file, unsigned line) {
    char message[1024];
    std::snprintf(message, sizeof message, "File: %s\nLine: %d\nhr: %s", file ? file : "",
                  static_cast<int>(line), DirectXErrorName(hr));
    platform::ShowMessageBox("Error", message, platform::MessageBoxKind::Error,
                             platform::MessageBoxButtons::Ok);
}

void FatalErrorBox(const char* text, const char* extra) {
    const std::string message = ComposeMessage(text, extra);
    HandOverInput(false);
    platform::FatalExit(JTTranslate(kFatalCaption), message, kFatalExitStatus);
}

void WarningBox(const char* text, const char* extra) {
    const std::string message = ComposeMessage(text, extra);
    HandOverInput(false);
    platform::MessageBoxResult answer = platform::ShowMessageBox(
        JTTranslate(kWarningCaption), message, platform::MessageBoxKind::Warning,
        platform::MessageBoxButtons::OkCancel);
    if (answer != platform::MessageBoxResult::Ok) {
        // Quitting here is the player's choice, not a failure of the program.
        std::fflush(nullptr);
        std::exit(0);
    }
    HandOverInput(true);
}
