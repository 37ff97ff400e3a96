// The program's command line and start modes. The words after the program
// name are read the way they always were: an optional "/w" (any case), then
// a window id in hexadecimal. No id is the screen saver, an id alone the
// animated desktop drawing into that window, "/w" and an id window mode.
// Beside that, the screensaver host's forms ("--root" with the window in
// XSCREENSAVER_WINDOW, or "--window-id 0x...") run the screen saver inside
// the host's window, and "--window" opens a window of the program's own and
// runs window mode in it. The host's window id must be one ("0x" and
// hexadecimal digits): anything else is refused rather than taken for no
// id, which would start the full-screen saver. "--root" without a host
// window draws as the full-screen saver, which is said on stderr.
// "--help" (or "-h") asks for the usage; any other word that starts with a
// dash and is no number is an unknown option, refused with the usage.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane {

enum class StartMode { Screensaver, Desktop, Window };

// A number that cannot name an X11 window (too large, negative): such a
// window is simply never found.
inline constexpr uint64_t kNoSuchWindow = UINT64_MAX;

struct StartOptions {
    StartMode mode = StartMode::Screensaver;
    uint64_t hostWindow = 0;
    // The screensaver host gave its window: draw there, make no windows of
    // our own, leave ending on input to the host.
    bool hostedScreensaver = false;
    // "--window": open a 1280 x 720 window and run window mode in it.
    bool ownWindow = false;
    // Why the command line cannot be followed (a malformed host window id);
    // empty when it can.
    std::string refusal;
    // What the program does other than the words seem to ask, said on
    // stderr ("--root" without a host window); empty when nothing.
    std::string notice;
    // "--help" or "-h": the usage is printed and nothing runs.
    bool help = false;
    // The first option the program does not know; empty when none.
    std::string unknownOption;
};

// What the program's command line takes, for "--help" and refusals.
const char* UsageText();

// "%x" as the C library reads it: blanks skipped, an optional sign and
// "0x", hex digits up to the first other character; nothing readable is 0.
// A value past 32 bits, or a negative one, gives kNoSuchWindow.
uint64_t ReadWindowNumber(std::string_view text);

// A window id as the screensaver host gives it: hexadecimal digits with an
// optional "0x", blanks around them and nothing else. False for anything
// else, and for 0 (no window). A value past 32 bits gives kNoSuchWindow.
bool ReadHostWindowId(std::string_view text, uint64_t& id);

// `args` without the program name; `screensaverWindow` is the value of
// XSCREENSAVER_WINDOW (null when unset).
StartOptions ParseCommandLine(const std::vector<std::string>& args, const char* screensaverWindow);

} // namespace lumivane
