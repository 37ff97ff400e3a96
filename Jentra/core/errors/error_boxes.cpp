// The engine's three boxes: CheckHr's "Error" box naming a failed result,
// the fatal box that ends the program and the warning box that may.
#include "Jentra/JTErrors.h"

#include "Jentra/JTTransMap.h"
#include "platform/message_box.h"

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
    if (gFocusHook) gFocusHook(false);
    platform::FatalExit(JTTranslate(kFatalCaption), message, kFatalExitStatus);
}

void WarningBox(const char* text, const char* extra) {
    const std::string message = ComposeMessage(text, extra);
    if (gFocusHook) gFocusHook(false);
    platform::MessageBoxResult answer = platform::ShowMessageBox(
        JTTranslate(kWarningCaption), message, platform::MessageBoxKind::Warning,
        platform::MessageBoxButtons::OkCancel);
    if (answer != platform::MessageBoxResult::Ok) {
        // Quitting here is the player's choice, not a failure of the program.
        std::fflush(nullptr);
        std::exit(0);
    }
    if (gFocusHook) gFocusHook(true);
}
