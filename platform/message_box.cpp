// Message boxes in a window of the program's own on X11 (through SDL where
// that cannot be), or stderr when headless.
#include "platform/message_box.h"

#include "platform/named/exit_release.h"
#include "platform/x11_message_box.h"

#include <SDL.h>

#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace platform {

namespace {

std::mutex gHookMutex;
MessageBoxHook gHook;
std::function<bool()> gShouldClose;

struct ButtonSet {
    const char* labels[3];
    MessageBoxResult results[3];
    int count;
    MessageBoxResult headless;
};

const ButtonSet& Buttons(MessageBoxButtons buttons) {
    using R = MessageBoxResult;
    static const ButtonSet table[] = {
        {{"OK"}, {R::Ok}, 1, R::Ok},
        {{"OK", "Cancel"}, {R::Ok, R::Cancel}, 2, R::Ok},
        {{"Yes", "No"}, {R::Yes, R::No}, 2, R::No},
        {{"Abort", "Retry", "Ignore"}, {R::Abort, R::Retry, R::Ignore}, 3, R::Abort},
    };
    return table[int(buttons)];
}

const char* KindName(MessageBoxKind kind) {
    switch (kind) {
    case MessageBoxKind::Info:
        return "Info";
    case MessageBoxKind::Warning:
        return "Warning";
    case MessageBoxKind::Error:
        return "Error";
    }
    return "Message";
}

void PrintToStderr(const MessageBoxRequest& request) {
    std::fprintf(stderr, "[%s] %s: %s\n", KindName(request.kind), request.title.c_str(),
                 request.text.c_str());
    std::fflush(stderr);
}

// The index of the button that answers like closing the box: the safe one.
int EscapeIndex(const ButtonSet& set) {
    for (int i = 0; i < set.count; ++i)
        if (set.results[i] == set.headless) return i;
    return 0;
}

bool ShowDialog(const MessageBoxRequest& request, MessageBoxResult& answer) {
    const ButtonSet& set = Buttons(request.buttons);
    // Our own window first: SDL's box on X11 lives in a child process of
    // its own, which stays on the screen when the program is ended while
    // it waits, and it never wraps a long text to the screen.
    std::function<bool()> shouldClose;
    {
        std::lock_guard lock(gHookMutex);
        shouldClose = gShouldClose;
    }
    const std::vector<std::string> labels(set.labels, set.labels + set.count);
    int chosen = -1;
    if (ShowX11MessageBox(request.title, request.text, labels, EscapeIndex(set), shouldClose,
                          chosen)) {
        answer = (chosen >= 0 && chosen < set.count) ? set.results[chosen] : set.headless;
        return true;
    }
    SDL_MessageBoxButtonData buttons[3] = {};
    for (int i = 0; i < set.count; ++i) {
        buttons[i].buttonid = i;
        buttons[i].text = set.labels[i];
    }
    buttons[0].flags = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    for (int i = 0; i < set.count; ++i)
        if (set.results[i] == set.headless && set.count > 1)
            buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    Uint32 flags = request.kind == MessageBoxKind::Error     ? SDL_MESSAGEBOX_ERROR
                   : request.kind == MessageBoxKind::Warning ? SDL_MESSAGEBOX_WARNING
                                                             : SDL_MESSAGEBOX_INFORMATION;
    SDL_MessageBoxData data{
        flags, nullptr, request.title.c_str(), request.text.c_str(), set.count, buttons, nullptr};
    chosen = -1;
    if (SDL_ShowMessageBox(&data, &chosen) != 0) return false;
    // Closing the box without a button counts as its safe answer.
    answer = (chosen >= 0 && chosen < set.count) ? set.results[chosen] : set.headless;
    return true;
}

} // namespace

bool IsHeadless() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (strcasecmp(driver, "offscreen") == 0 || strcasecmp(driver, "dummy") == 0))
        return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return !(x11 && *x11) && !(wayland && *wayland);
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    std::lock_guard lock(gHookMutex);
    MessageBoxHook previous = std::move(gHook);
    gHook = std::move(hook);
    return previous;
}

void SetMessageBoxCloseCheck(std::function<bool()> shouldClose) {
    std::lock_guard lock(gHookMutex);
    gShouldClose = std::move(shouldClose);
}

MessageBoxResult ShowMessageBox(std::string_view title, std::string_view text, MessageBoxKind kind,
                                MessageBoxButtons buttons) {
    MessageBoxRequest request{std::string(title), std::string(text), kind, buttons};
    MessageBoxHook hook;
    {
        std::lock_guard lock(gHookMutex);
        hook = gHook;
    }
    if (hook) return hook(request);
    const bool printed = kind == MessageBoxKind::Error;
    if (printed) PrintToStderr(request);
    MessageBoxResult answer = Buttons(buttons).headless;
    if (!IsHeadless() && ShowDialog(request, answer)) return answer;
    if (!printed) PrintToStderr(request);
    return Buttons(buttons).headless;
}

MessageBoxResult PrintMessageBox(std::string_view title, std::string_view text, MessageBoxKind kind,
                                 MessageBoxButtons buttons) {
    PrintToStderr({std::string(title), std::string(text), kind, buttons});
    return Buttons(buttons).headless;
}

void FatalExit(std::string_view title, std::string_view text, int exitCode) {
    ShowMessageBox(title, text, MessageBoxKind::Error, MessageBoxButtons::Ok);
    std::fflush(nullptr);
    // Only the low 8 bits of the code reach the parent: 256 would read as
    // success.
    const int status = (exitCode & 0xff) != 0 ? (exitCode & 0xff) : 1;
    // No static destructors and no atexit handlers: music and network
    // threads may still be running and would use objects torn down under
    // them. The box was shown and the output flushed; the system reclaims
    // the rest, but for the named objects, which outlive a process.
    ReleaseNamedObjectsAtExit();
    _exit(status);
}

} // namespace platform
