// The installed services and their defaults.
#include "desktop/scene/object/engine_services.h"

#include <cstdio>
#include <string>

#include "platform/message_box.h"

namespace lumivane {
namespace {

MessageSink* gMessageSink = nullptr;
TextureSource* gTextureSource = nullptr;
const DisplaySwitches* gDisplaySwitches = nullptr;

} // namespace

void SetMessageSink(MessageSink* sink) {
    gMessageSink = sink;
}

void ReportWarning(int entry, std::string_view detail) {
    if (gMessageSink) {
        gMessageSink->ShowWarning(entry, detail);
        return;
    }
    std::fprintf(stderr, "Lumivane warning %d: %.*s\n", entry, int(detail.size()), detail.data());
}

void ReportFatalError(int entry, std::string_view detail) {
    if (gMessageSink) {
        gMessageSink->ShowFatalError(entry, detail);
        return;
    }
    platform::FatalExit("Lumivane", "Error " + std::to_string(entry) + ": " + std::string(detail));
}

void SetTextureSource(TextureSource* source) {
    gTextureSource = source;
}
TextureSource* GetTextureSource() {
    return gTextureSource;
}

void SetDisplaySwitches(const DisplaySwitches* switches) {
    gDisplaySwitches = switches;
}

const DisplaySwitches& GetDisplaySwitches() {
    static const DisplaySwitches defaults;
    return gDisplaySwitches ? *gDisplaySwitches : defaults;
}

SceneClock& GetSceneClock() {
    static SceneClock clock;
    return clock;
}

} // namespace lumivane
