// The desktop program's two message boxes through which errors reach the
// user: a warning after which the program goes on, and a fatal error after
// which it puts the user's desktop back and ends. Texts come from the
// language table, in its code page.
#pragma once

#include "platform/message_box.h"

#include <functional>
#include <string>

namespace lumivane {

// Told that the program loses (false) and regains (true) the user's
// attention around a box; the display sets this to tell its window. It may
// be called from the crash reporter's thread too.
using ActivationHandler = std::function<void(bool active)>;
void SetActivationHandler(ActivationHandler handler);
// Calls the handler, when one is set.
void NotifyActivation(bool active);

// While the program is the screen saver no box may hold the screen: it
// would sit over (or under) the saver's window, and input that should end
// the saver would go to the box instead. Boxes are then held back: their
// text goes to stderr and the log, and they answer at once with their safe
// answer (OK, No, Abort).
void SetBoxesHeldBack(bool heldBack);
bool BoxesHeldBack();

// A box of the program's: shown, or held back as above.
platform::MessageBoxResult
ShowProgramBox(const std::string& caption, const std::string& text,
               platform::MessageBoxKind kind = platform::MessageBoxKind::Error,
               platform::MessageBoxButtons buttons = platform::MessageBoxButtons::Ok);

// A warning box captioned with language entry 3: the text, and the detail
// on a line of its own when given. The program goes on.
void ShowWarning(const char* text, const char* detail);

// An error box captioned with language entry 1, with the same body; then
// the saved desktop is put back and the program ends with exit code 1.
[[noreturn]] void ShowFatalError(const char* text, const char* detail);

// The same with a caption and text of the program's own words (UTF-8), for
// the errors the language table cannot word: when it cannot be read.
[[noreturn]] void EndWithError(const std::string& caption, const std::string& text);

} // namespace lumivane
