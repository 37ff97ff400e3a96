// The engine's three boxes: CheckHr's "Error" box naming a failed result,
// the fatal box that ends the program and the warning box that may.
#include "Jentra/JTErrors.h"

#include "Jentra/JTTransMap.h"
#include "Jentra/core/errors/error_box.h"

#include <cstdio>
#include <cstring>
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
    jentra::ShowBox("Error", message, jentra::BoxButtons::Ok, jentra::BoxIcon::None);
}

void FatalErrorBox(const char* text, const char* extra) {
    const std::string message = ComposeMessage(text, extra);
    if (gFocusHook) gFocusHook(false);
    jentra::ShowBox(JTTranslate(kFatalCaption), message.c_str(), jentra::BoxButtons::Ok,
                    jentra::BoxIcon::Stop);
    jentra::EndProcess(kFatalExitStatus);
}

void WarningBox(const char* text, const char* extra) {
    const std::string message = ComposeMessage(text, extra);
    if (gFocusHook) gFocusHook(false);
    jentra::BoxAnswer answer =
        jentra::ShowBox(JTTranslate(kWarningCaption), message.c_str(), jentra::BoxButtons::OkCancel,
                        jentra::BoxIcon::Exclamation);
    // Quitting here is the player's choice, not a failure of the program.
    if (answer != jentra::BoxAnswer::Ok) jentra::EndProcess(0);
    if (gFocusHook) gFocusHook(true);
}
