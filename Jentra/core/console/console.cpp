// JTConsole's text: printing, trimming to the last lines, line editing of
// typed characters, the open state and the texts the display shows.
#include "Jentra/JTConsole.h"

#include "Jentra/core/console/console_services.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

JTConsole::JTConsole() : text(nullptr), open(false), stats(false), screenText(nullptr) {
    text = static_cast<char*>(std::calloc(1, 1));
    screenText = static_cast<char*>(std::calloc(1, 1));
    inputLine[0] = '\0';
}

JTConsole::~JTConsole() {
    std::free(text);
    std::free(screenText);
}

bool JTConsole::Append(const char* s, size_t count) {
    size_t used = text ? std::strlen(text) : 0;
    char* grown = static_cast<char*>(std::realloc(text, used + count + 1));
    if (!grown) return false; // the text stays as it was
    std::memcpy(grown + used, s, count);
    grown[used + count] = '\0';
    text = grown;
    return true;
}

void JTConsole::Print(const char* s) {
    if (!s) return;
    Append(s, std::strlen(s));
    TrimBuffer();
}

void JTConsole::TrimBuffer() {
    if (!text) return;
    size_t length = std::strlen(text);
    if (length < 2) return;
    // A line feed that ends the text closes the last line rather than
    // starting a new one, so the scan starts before it.
    int feeds = 0;
    for (size_t i = length - 1; i-- > 0;) {
        if (text[i] != '\n') continue;
        if (++feeds == kMaxLines) {
            std::memmove(text, text + i + 1, length - i); // with the terminator
            return;
        }
    }
}

bool JTConsole::ProcessChar(char c) {
    if (!open || c == '`' || c == 27) return false;
    if (c == '\r') c = '\n';
    size_t length = std::strlen(text);
    if (c == 8) {
        if (length > 0 && text[length - 1] != '\n') text[length - 1] = '\0';
        return true;
    }
    if (!Append(&c, 1)) return true; // out of memory: the key is lost, nothing else
    if (c != '\n') {
        TrimBuffer();
        return true;
    }
    // The finished line: from the previous line feed (or the start) to the
    // one just typed. Copied, as the command may print or clear the text.
    length = std::strlen(text);
    size_t end = length - 1;
    size_t start = end;
    while (start > 0 && text[start - 1] != '\n')
        --start;
    std::string line(text + start, end - start);
    ProcessInput(line.data());
    TrimBuffer();
    return true;
}

void JTConsole::SetOpen(bool on) {
    if (on == open) return;
    open = on;
    jentra_console::SetKeyboardCaptured(on);
    jentra_console::Beep(on ? "JTBeep_Alert.wav" : "JTBeep_Default.wav");
}

void JTConsole::Update() {
    if (jentra_console::TogglePressed()) SetOpen(!open);
    RebuildScreenText();
}

void JTConsole::RebuildScreenText() {
    const char* shown = open ? text : "";
    size_t length = std::strlen(shown);
    char* fresh = static_cast<char*>(std::malloc(length + 2));
    if (!fresh) return;
    std::memcpy(fresh, shown, length);
    if (open) fresh[length++] = '-'; // the cursor
    fresh[length] = '\0';
    std::free(screenText);
    screenText = fresh;
}

namespace {

// Rates truncate toward zero; a rate no int can hold shows as 0.
int TruncateRate(float rate) {
    return (rate > -2.0e9f && rate < 2.0e9f) ? static_cast<int>(rate) : 0;
}

} // namespace

void JTConsole::GetStatsText(float fps, float tps, char* out, size_t size) const {
    if (!out || size == 0) return;
    if (!stats) {
        out[0] = '\0';
        return;
    }
    std::snprintf(out, size, "Fps:%03d Tps:%i", TruncateRate(fps), TruncateRate(tps));
}
