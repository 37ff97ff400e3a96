// Making the desktop program's named objects, and the raise request.
#include "desktop/shell/desktop_objects.h"

#include "platform/process_priority.h"

#include <unistd.h>

namespace lumivane {

DesktopObjects* gpDesktopObjects = nullptr;

namespace {

std::unique_ptr<platform::NamedEvent> CreateEvent(const NamedEventDesc& desc, std::string* error) {
    auto event =
        platform::NamedEvent::Create(desc.name, desc.manualReset, desc.initialState, error);
    if (event && desc.setAfterCreate) event->Set();
    return event;
}

} // namespace

std::unique_ptr<DesktopObjects> DesktopObjects::Create(std::string* error) {
    std::unique_ptr<DesktopObjects> objects(new DesktopObjects);
    for (size_t i = 0; i < kDesktopEvents.size(); ++i) {
        objects->events_[i] = CreateEvent(kDesktopEvents[i], error);
        if (!objects->events_[i]) return nullptr;
    }
    objects->mapping_ = platform::SharedBlock::Create(kFileMappingName, error);
    if (!objects->mapping_) return nullptr;
    objects->mapping_->SetWord(kRequestWord, 0);
    objects->PublishProcessId();
    return objects;
}

void DesktopObjects::PublishProcessId() {
    mapping_->SetWord(kProcessIdWord, uint32_t(getpid()));
}

std::unique_ptr<platform::NamedEvent> CreateScreensaverRunningEvent(std::string* error) {
    return CreateEvent(kScreensaverRunningEvent, error);
}

void RequestRaise() {
    // Only a running program holds the block: without it there is nobody to
    // ask, and a block made here would only mislead the next reader.
    auto mapping = platform::SharedBlock::Open(kFileMappingName);
    if (!mapping) return;
    const pid_t pid = pid_t(mapping->Word(kProcessIdWord));
    if (platform::IsProcessRunning(pid)) mapping->SetWord(kRequestWord, kRaiseRequest);
}

bool TakeRaiseRequest(platform::SharedBlock& mapping) {
    return mapping.ExchangeWord(kRequestWord, 0) == kRaiseRequest;
}

} // namespace lumivane
