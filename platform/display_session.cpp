// The display a program runs on: its canonical name.
#include "platform/display_session.h"

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
    const std::string name = Lower(host);
    if (protocol == "unix" || name.empty() || name == "unix") return ":" + std::string(number);
    if (IsThisMachine(name)) return "localhost:" + std::string(number);
    return name + ":" + std::string(number);
}

std::string SessionDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display ? CanonicalDisplayName(display) : std::string();
}

} // namespace platform
