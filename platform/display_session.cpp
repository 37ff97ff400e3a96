// The display a program runs on: its canonical name, and opening it.
#include "platform/display_session.h"

#include <X11/Xlib.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace platform {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// A loopback address in dotted form (127.0.0.0/8).
bool IsLoopbackV4(std::string_view host) {
    return host.rfind("127.", 0) == 0 && std::all_of(host.begin(), host.end(), [](char c) {
               return c == '.' || std::isdigit(static_cast<unsigned char>(c)) != 0;
           });
}

bool IsThisMachine(const std::string& host) {
    if (host == "localhost" || host == "::1" || host == "[::1]" || IsLoopbackV4(host)) return true;
    char own[256] = "";
    if (gethostname(own, sizeof own - 1) != 0) return false;
    return !host.empty() && Lower(own) == host;
}

// Whether one of the comma-separated names in SDL_VIDEODRIVER is `driver`.
bool DriverNamed(std::string_view driver) {
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (!asked) return false;
    std::string_view list(asked);
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string name(list.substr(0, comma));
        if (strcasecmp(name.c_str(), std::string(driver).c_str()) == 0) return true;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

} // namespace

std::string CanonicalDisplayName(std::string_view display) {
    const size_t colon = display.rfind(':');
    if (colon == std::string_view::npos) return std::string(display);
    std::string_view host = display.substr(0, colon);
    std::string_view number = display.substr(colon + 1);
    if (const size_t dot = number.find('.'); dot != std::string_view::npos) {
        if (!AllDigits(number.substr(dot + 1))) return std::string(display);
        number = number.substr(0, dot);
    }
    if (!AllDigits(number)) return std::string(display);
    // ":00" is display 0, as the X library reads it.
    number.remove_prefix(std::min(number.find_first_not_of('0'), number.size() - 1));
    std::string protocol;
    if (const size_t slash = host.find('/'); slash != std::string_view::npos) {
        protocol = Lower(host.substr(0, slash));
        host = host.substr(slash + 1);
    }
    std::string name = Lower(host);
    if (protocol == "unix" || name == "unix")
        name.clear();
    else if (IsThisMachine(name))
        name = "localhost";
    // Appended to, not built from "literal" + temporary: gcc 12's -O3
    // warns of an overlapping copy there that cannot happen.
    name += ':';
    name.append(number);
    return name;
}

std::string SessionDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display ? CanonicalDisplayName(display) : std::string();
}

bool OffscreenVideoAsked() {
    return DriverNamed("offscreen") || DriverNamed("dummy");
}

bool VideoDriverAsked(std::string_view driver) {
    return DriverNamed(driver);
}

std::string DisplayOpenFailure() {
    const char* display = std::getenv("DISPLAY");
    if (display && *display) return std::string("cannot open the X display \"") + display + "\"";
    return "cannot open a display (DISPLAY is not set)";
}

bool CanOpenXDisplay(std::string* error) {
    if (OffscreenVideoAsked()) return true;
    // Held, never closed: on a server with no other client (a bare server
    // started for this program), closing the last connection resets the
    // server, and the connection the video system makes a moment later
    // can be refused while it does.
    static Display* held = nullptr;
    if (held) return true;
    held = XOpenDisplay(nullptr);
    if (!held) {
        if (error) *error = DisplayOpenFailure();
        return false;
    }
    return true;
}

} // namespace platform
