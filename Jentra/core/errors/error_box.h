// The engine's one way of putting a message box in front of the player (or,
// headless, on stderr). Everything in the engine that asks the player
// something goes through here.
#pragma once

namespace jentra {

enum class BoxButtons { Ok, OkCancel, AbortRetryIgnore, YesNo };
enum class BoxIcon { None, Stop, Exclamation };
enum class BoxAnswer { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

BoxAnswer ShowBox(const char* caption, const char* text, BoxButtons buttons, BoxIcon icon);

// Ends the process at once with the given status after flushing output; no
// static destructors run while other threads may still be live.
[[noreturn]] void EndProcess(int status);

} // namespace jentra
