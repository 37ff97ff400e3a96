// Reading the command line.
#include "desktop/app/command_line.h"

#include <algorithm>
#include <cctype>

namespace lumivane {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

uint64_t ReadWindowNumber(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    // "0x" counts only when a hex digit follows; "0" alone is the number 0.
    if (at + 2 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
        HexDigit(text[at + 2]) >= 0)
        at += 2;
    uint64_t value = 0;
    bool tooLarge = false;
    for (; at < text.size() && HexDigit(text[at]) >= 0; ++at) {
        if (tooLarge) continue; // read on to the end of the number, never wrap
        value = value << 4 | uint64_t(HexDigit(text[at]));
        tooLarge = value > 0xFFFFFFFFu;
    }
    if (tooLarge || (negative && value != 0)) return kNoSuchWindow;
    return value;
}

bool ReadHostWindowId(std::string_view text, uint64_t& id) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty()) return false;
    for (char c : text)
        if (HexDigit(c) < 0) return false;
    id = ReadWindowNumber(text);
    return id != 0;
}

namespace {

// The screensaver host's window, from "--window-id" or XSCREENSAVER_WINDOW.
StartOptions HostedBy(std::string_view id, const std::string& source) {
    StartOptions options;
    if (ReadHostWindowId(id, options.hostWindow)) {
        options.hostedScreensaver = true;
    } else {
        options.hostWindow = 0;
        options.refusal = source + " \"" + std::string(id) +
                          "\" is not a window id (expected 0x followed by hexadecimal digits)";
    }
    return options;
}

// A word that starts with a dash and is no number ("-1a2b" is the old
// negative form of a window number, read as one).
bool LooksLikeOption(const std::string& arg) {
    return arg.size() >= 2 && arg[0] == '-' && HexDigit(arg[1]) < 0 && arg[1] != '+';
}

bool IsKnownOption(const std::string& arg) {
    return arg == "--window" || arg == "--window-id" || arg == "--root" || arg == "-root" ||
           arg == "--help" || arg == "-h";
}

} // namespace

const char* UsageText() {
    return "usage: Lumivane [--help | -h]\n"
           "       Lumivane                      run as the full-screen screen saver\n"
           "       Lumivane <window>             animate the desktop in the window with that "
           "hexadecimal id\n"
           "       Lumivane /w <window>          run in a child of the window with that id\n"
           "       Lumivane --window             run in a window of its own\n"
           "       Lumivane --root               run as the screen saver in the window named by\n"
           "                                     XSCREENSAVER_WINDOW (full screen without it)\n"
           "       Lumivane --window-id 0x<id>   run as the screen saver in that window\n";
}

StartOptions ParseCommandLine(const std::vector<std::string>& args, const char* screensaverWindow) {
    StartOptions options;
    // The words are read in order, and the first that decides the start
    // wins; help and unknown options are looked for up to there.
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            options.help = true;
            return options;
        }
        if (LooksLikeOption(args[i]) && !IsKnownOption(args[i])) {
            options.unknownOption = args[i];
            return options;
        }
        if (args[i] == "--window") {
            options.mode = StartMode::Window;
            options.ownWindow = true;
            return options;
        }
        if (args[i] == "--window-id") {
            if (i + 1 < args.size()) return HostedBy(args[i + 1], "--window-id");
            options.refusal = "--window-id needs a window id (0x followed by hexadecimal digits)";
            return options;
        }
        if (args[i] == "--root" && screensaverWindow)
            return HostedBy(screensaverWindow, "XSCREENSAVER_WINDOW");
    }
    const bool rootWithoutHost =
        std::find(args.begin(), args.end(), "--root") != args.end() && !screensaverWindow;

    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty()) line += ' ';
        line += arg;
    }
    std::string_view rest = line;
    bool windowMode = false;
    if (rest.size() >= 2 && rest[0] == '/' && (rest[1] == 'w' || rest[1] == 'W')) {
        windowMode = true;
        rest.remove_prefix(2);
    }
    options.hostWindow = ReadWindowNumber(rest);
    if (options.hostWindow == 0) {
        options.mode = StartMode::Screensaver;
        if (rootWithoutHost)
            options.notice = "--root without XSCREENSAVER_WINDOW: no screensaver host handed a "
                             "window, so Lumivane runs as the full-screen screen saver in "
                             "windows of its own";
    } else {
        options.mode = windowMode ? StartMode::Window : StartMode::Desktop;
    }
    return options;
}

} // namespace lumivane
