// The display a program runs on: the X display named by $DISPLAY, in one
// canonical form, which also tells the session apart (the same user may run
// a desktop in each of two sessions, one per display, and what steers one
// must not reach the other); whether that display can be opened; and the
// words that say which display could not be.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// A DISPLAY value ("[protocol/][host]:number[.screen]") in one form for the
// names that reach the same server:
// - the screen is dropped: the screens of a display are one session;
// - the local socket (no host, host "unix", protocol "unix") is ":N";
// - TCP to this machine (localhost, 127.x.x.x, ::1, this host's own name)
//   is "localhost:N", kept apart from ":N": today's servers seldom listen
//   on TCP, and the display ssh forwards (localhost:10 and up) is then
//   another server than a local one of the same number;
// - any other host keeps its name, in lower case.
// Text that is no display name at all is kept as it stands; empty stays
// empty.
std::string CanonicalDisplayName(std::string_view display);

// The canonical name of $DISPLAY; empty when it is unset or empty.
std::string SessionDisplay();

// SDL_VIDEODRIVER asks for a video driver that draws nowhere ("offscreen",
// "dummy"): a headless run on purpose, as the tests make.
bool OffscreenVideoAsked();
// Whether SDL_VIDEODRIVER (one name, or several separated by commas) names
// that video driver.
bool VideoDriverAsked(std::string_view driver);

// What to say when no display could be opened, to follow a program's name:
// `cannot open the X display ":99"`, or `cannot open a display (DISPLAY is
// not set)`.
std::string DisplayOpenFailure();

// Whether the X display of $DISPLAY can be opened. The connection is then
// kept open for the life of the process. True at once when an off-screen
// driver is asked for. False with DisplayOpenFailure() in *error otherwise.
// Not for several threads at once: a program asks once, at its start.
bool CanOpenXDisplay(std::string* error = nullptr);

} // namespace platform
