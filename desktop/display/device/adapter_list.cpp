// The adapter list.
#include "desktop/display/device/adapter_list.h"

#include "desktop/shell/language_table.h"
#include "desktop/display/device/display.h"
#include "desktop/scene/object/engine_services.h"

#include <algorithm>

namespace lumivane {

AdapterList* gpAdapterList = nullptr;

namespace {

// One GL context draws on one screen: the primary display is the adapter.
// Its names come from the driver once its device exists.
void EnumeratePrimary(AdapterList& list) {
    list.AddAdapter(AdapterGuid{}, "", "");
}

std::string Cut(std::string_view text) {
    return std::string(text.substr(0, std::min(text.size(), kAdapterNameChars)));
}

} // namespace

AdapterList::AdapterList(DisplayHost& host, Enumerator enumerate) : host_(host) {
    (enumerate ? enumerate : EnumeratePrimary)(*this);
    for (int i = 0; i < Count(); ++i)
        displays_.push_back(CreateDisplay(i));
}

AdapterList::~AdapterList() {
    if (gpAdapterList == this) gpAdapterList = nullptr;
    for (auto& display : displays_)
        if (display) display->Release();
    displays_.clear();
}

bool AdapterList::AddAdapter(const AdapterGuid& guid, std::string_view description,
                             std::string_view driverName) {
    if (Count() >= kMaxAdapters) return false;
    auto record = std::make_unique<AdapterRecord>();
    record->guid = guid;
    record->description = Cut(description);
    record->driverName = Cut(driverName);
    records_.push_back(std::move(record));
    return true;
}

std::unique_ptr<Display> AdapterList::CreateDisplay(int index) {
    if (index < 0 || index >= Count()) return nullptr;
    auto display = std::make_unique<Display>(host_);
    if (display->Init(*records_[size_t(index)]) != 0) {
        ReportFatalError(kEntryDisplayFatal, LanguageText(kEntryNoDisplayInit));
        return nullptr;
    }
    return display;
}

int AdapterList::FindAdapter(const AdapterGuid& guid) const {
    for (int i = 0; i < Count(); ++i)
        if (records_[size_t(i)]->guid == guid) return i;
    return -1;
}

Display* AdapterList::FindDisplay(const AdapterGuid& guid) const {
    return GetDisplay(FindAdapter(guid));
}

} // namespace lumivane
