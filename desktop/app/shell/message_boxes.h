// The desktop program's two message boxes through which errors reach the
// user: a warning after which the program goes on, and a fatal error after
// which it puts the user's desktop back and ends. Texts come from the
// language table, in its code page.
#pragma once

#include <functional>

namespace lumivane {

// Told that the program loses (false) and regains (true) the user's
// attention around a box; the display sets this to tell its window. It may
// be called from the crash reporter's thread too.
using ActivationHandler = std::function<void(bool active)>;
void SetActivationHandler(ActivationHandler handler);
// Calls the handler, when one is set.
void NotifyActivation(bool active);

// A warning box captioned with language entry 3: the text, and the detail
// on a line of its own when given. The program goes on.
void ShowWarning(const char* text, const char* detail);

// An error box captioned with language entry 1, with the same body; then
// the saved desktop is put back and the program ends with exit code 1.
[[noreturn]] void ShowFatalError(const char* text, const char* detail);

} // namespace lumivane
