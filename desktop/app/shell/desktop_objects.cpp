// Making the desktop program's named objects, and the raise request.
#include "desktop/app/shell/desktop_objects.h"

#include <unistd.h>

namespace lumivane {

DesktopObjects* gpDesktopObjects = nullptr;

namespace {

std::unique_ptr<platform::NamedEvent> CreateEvent(const NamedEventSpec& spec, std::string* error) {
    auto event =
        platform::NamedEvent::Create(spec.name, spec.manualReset, spec.initialState, error);
    if (event && spec.setAfterCreate) event->Set();
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
    auto mapping = platform::SharedBlock::Create(kFileMappingName);
    // A new block holds no process id: no program runs, and the block goes
    // away again when this handle closes.
    if (mapping && mapping->Word(kProcessIdWord) != 0)
        mapping->SetWord(kRequestWord, kRaiseRequest);
}

bool TakeRaiseRequest(platform::SharedBlock& mapping) {
    return mapping.ExchangeWord(kRequestWord, 0) == kRaiseRequest;
}

} // namespace lumivane
