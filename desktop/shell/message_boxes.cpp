// Warning and fatal boxes over the platform's message box.
#include "desktop/shell/message_boxes.h"

#include "desktop/shell/active_desktop.h"
#include "desktop/shell/language_table.h"
#include "desktop/shell/log.h"
#include "platform/codepage.h"
#include "platform/message_box.h"
#include "platform/named/exit_release.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

namespace lumivane {

namespace {

// Body and caption are each held to this many characters.
constexpr size_t kMaxBoxText = 255;
constexpr int kFatalCaption = 1;
constexpr int kWarningCaption = 3;
constexpr const char* kFallbackCaption = "Lumivane";

std::mutex gHandlerMutex;
ActivationHandler gActivationHandler;
std::atomic<bool> gBoxesHeldBack{false};

std::string Held(std::string text) {
    if (text.size() > kMaxBoxText) text.resize(kMaxBoxText);
    return text;
}

std::string Body(const char* text, const char* detail) {
    std::string body = text ? text : "";
    if (detail) {
        body += '\n';
        body += detail;
    }
    return Held(std::move(body));
}

// The table's texts are in its code page; the box shows UTF-8.
std::string ForDisplay(const std::string& text) {
    const unsigned codePage = gpLanguageTable ? gpLanguageTable->CodePage() : 1252;
    return platform::CodePageConverter(codePage).ToUtf8(text);
}

std::string Caption(int entry) {
    std::string caption = Held(LanguageText(entry));
    return caption.empty() ? kFallbackCaption : caption;
}

} // namespace

void SetActivationHandler(ActivationHandler handler) {
    std::lock_guard lock(gHandlerMutex);
    gActivationHandler = std::move(handler);
}

void NotifyActivation(bool active) {
    ActivationHandler handler;
    {
        std::lock_guard lock(gHandlerMutex);
        handler = gActivationHandler;
    }
    if (handler) handler(active);
}

void SetBoxesHeldBack(bool heldBack) {
    gBoxesHeldBack = heldBack;
}

bool BoxesHeldBack() {
    return gBoxesHeldBack;
}

platform::MessageBoxResult ShowProgramBox(const std::string& caption, const std::string& text,
                                          platform::MessageBoxKind kind,
                                          platform::MessageBoxButtons buttons) {
    if (!gBoxesHeldBack) return platform::ShowMessageBox(caption, text, kind, buttons);
    Log("%s: %s", caption.c_str(), text.c_str());
    return platform::PrintMessageBox(caption, text, kind, buttons);
}

void ShowWarning(const char* text, const char* detail) {
    NotifyActivation(false);
    ShowProgramBox(ForDisplay(Caption(kWarningCaption)), ForDisplay(Body(text, detail)),
                   platform::MessageBoxKind::Warning);
    NotifyActivation(true);
}

void ShowFatalError(const char* text, const char* detail) {
    NotifyActivation(false);
    EndWithError(ForDisplay(Caption(kFatalCaption)), ForDisplay(Body(text, detail)));
}

void EndWithError(const std::string& caption, const std::string& text) {
    ShowProgramBox(caption, text);
    RestoreDesktop();
    std::fflush(nullptr);
    // Like the platform's fatal exit: no static destructors run under
    // threads that may still be working. A failure never exits with 0.
    platform::ReleaseNamedObjectsAtExit();
    _exit(1);
}

} // namespace lumivane
