// Message boxes and the fatal exit. A box shows as a desktop dialog when a
// display is there (a window of the program's own, so it never outlives
// the program, its text wrapped to the screen); headless (no display, or SDL_VIDEODRIVER offscreen
// or dummy) it is printed to stderr and answered at once. Tests can install a hook that sees every
// box instead.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

enum class MessageBoxKind { Info, Warning, Error };
enum class MessageBoxButtons { Ok, OkCancel, YesNo, AbortRetryIgnore };
enum class MessageBoxResult { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

struct MessageBoxRequest {
    std::string title;
    std::string text;
    MessageBoxKind kind;
    MessageBoxButtons buttons;
};

using MessageBoxHook = std::function<MessageBoxResult(const MessageBoxRequest&)>;

// Shows the box and waits for the answer. Headless, or when the dialog
// cannot be shown, the text goes to stderr and the answer is the one that
// neither repeats nor acts: Ok for Ok and OkCancel, No for YesNo, Abort for
// AbortRetryIgnore. An error box also leaves its text on stderr when the
// dialog shows it, so whoever started the program (a terminal, a
// screensaver host's log) learns why it failed.
MessageBoxResult ShowMessageBox(std::string_view title, std::string_view text,
                                MessageBoxKind kind = MessageBoxKind::Error,
                                MessageBoxButtons buttons = MessageBoxButtons::Ok);

// The headless form of a box, whatever the display: the text to stderr and
// the answer that neither repeats nor acts. No hook sees it.
MessageBoxResult PrintMessageBox(std::string_view title, std::string_view text,
                                 MessageBoxKind kind = MessageBoxKind::Error,
                                 MessageBoxButtons buttons = MessageBoxButtons::Ok);

// Installs a hook that receives every box in place of the dialog; an empty
// hook restores the default. Returns the previous hook.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// Asked every 50 ms while a dialog waits; once it answers true the dialog
// closes with the answer that neither repeats nor acts (the program is
// being ended). Empty: dialogs wait for the user alone.
void SetMessageBoxCloseCheck(std::function<bool()> shouldClose);

// True when no dialog can be shown: SDL_VIDEODRIVER is offscreen or dummy,
// or neither DISPLAY nor WAYLAND_DISPLAY is set.
bool IsHeadless();

// Shows an error box, flushes the C streams and ends the process at once
// with a non-zero code (a code whose low 8 bits are zero becomes 1). No
// static destructor or exit handler runs, so threads still working cannot
// meet objects destroyed under them. It shows a box and allocates, so it is
// not for signal handlers: those write with write(2) and end with _exit.
[[noreturn]] void FatalExit(std::string_view title, std::string_view text, int exitCode = 1);

} // namespace platform
