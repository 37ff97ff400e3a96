// Lumivane's settings key over the settings store.
#include "desktop/shell/registry.h"

#include "desktop/shell/language_table.h"
#include "desktop/shell/message_boxes.h"
#include "platform/settings_store.h"

#include <cstring>

namespace lumivane {

Registry* gpRegistry = nullptr;

namespace {

using platform::SettingsScope;
using platform::SettingsStatus;

SettingsScope ScopeOf(KeyRoot root) {
    return root == KeyRoot::User ? SettingsScope::User : SettingsScope::Machine;
}

bool Usable(const char* name) {
    return name && *name;
}

} // namespace

SettingsKey::SettingsKey() = default;
SettingsKey::~SettingsKey() = default;

bool SettingsKey::OpenKeys(std::string* error) {
    Close();
    auto store = platform::SettingsStore::Open(error);
    if (!store) return false;
    for (SettingsScope scope : {SettingsScope::User, SettingsScope::Machine}) {
        if (store->CreateKey(scope, kKeyPath) != SettingsStatus::Ok) {
            if (error) *error = store->LastError();
            return false;
        }
    }
    store_ = std::move(store);
    return true;
}

void SettingsKey::Close() {
    store_.reset();
}

bool SettingsKey::GetDword(const char* name, uint32_t& value, KeyRoot root) {
    if (!store_ || !Usable(name)) return false;
    return store_->GetDword(ScopeOf(root), kKeyPath, name, value) == SettingsStatus::Ok;
}

bool SettingsKey::GetString(const char* name, char* buffer, size_t size, KeyRoot root) {
    if (!store_ || !Usable(name) || !buffer || size == 0) return false;
    std::string text;
    if (store_->GetString(ScopeOf(root), kKeyPath, name, text) != SettingsStatus::Ok) return false;
    if (text.size() + 1 > size) return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

bool SettingsKey::GetBool(const char* name, uint8_t& value, KeyRoot root) {
    return GetBinary(name, &value, 1, root);
}

bool SettingsKey::GetBinary(const char* name, void* data, size_t size, KeyRoot root) {
    if (!store_ || !Usable(name) || !data || size == 0) return false;
    return store_->GetBinary(ScopeOf(root), kKeyPath, name, data, size) == SettingsStatus::Ok;
}

bool SettingsKey::SetDword(const char* name, uint32_t value, KeyRoot root) {
    if (!store_ || !Usable(name)) return false;
    return store_->SetDword(ScopeOf(root), kKeyPath, name, value) == SettingsStatus::Ok;
}

bool SettingsKey::SetString(const char* name, std::string_view text, KeyRoot root) {
    if (!store_ || !Usable(name)) return false;
    return store_->SetString(ScopeOf(root), kKeyPath, name, text) == SettingsStatus::Ok;
}

bool SettingsKey::SetBool(const char* name, uint8_t value, KeyRoot root) {
    return SetBinary(name, &value, 1, root);
}

bool SettingsKey::SetBinary(const char* name, const void* data, size_t size, KeyRoot root) {
    if (!store_ || !Usable(name) || (!data && size)) return false;
    return store_->SetBinary(ScopeOf(root), kKeyPath, name, data, size) == SettingsStatus::Ok;
}

uint32_t SettingsKey::Read(const DwordValue& value) {
    uint32_t data = value.fallback;
    GetDword(value.name, data, value.root);
    return data;
}

uint8_t SettingsKey::Read(const ByteValue& value) {
    return Read(value, value.fallback);
}

uint8_t SettingsKey::Read(const ByteValue& value, uint8_t fallback) {
    uint8_t data = fallback;
    GetBool(value.name, data, value.root);
    return data;
}

std::string SettingsKey::Read(const StringValue& value) {
    char buffer[kMaxSettingString];
    if (!GetString(value.name, buffer, sizeof buffer, value.root)) return value.fallback;
    return buffer;
}

bool SettingsKey::Write(const DwordValue& value, uint32_t data) {
    return SetDword(value.name, data, value.root);
}

bool SettingsKey::Write(const ByteValue& value, uint8_t data) {
    return SetBool(value.name, data, value.root);
}

bool SettingsKey::Write(const StringValue& value, std::string_view text) {
    return SetString(value.name, text, value.root);
}

// ---------------------------------------------------------------------------

Registry::Registry() = default;

Registry::~Registry() {
    Close();
}

bool Registry::TryOpen(std::string* error) {
    if (!OpenKeys(error)) return false;
    // Created signalled: the first pass reads every value.
    userWatcher_ = Store()->Watch(platform::SettingsScope::User, kKeyPath, true, error);
    if (userWatcher_)
        machineWatcher_ = Store()->Watch(platform::SettingsScope::Machine, kKeyPath, true, error);
    if (!userWatcher_ || !machineWatcher_) {
        Close();
        return false;
    }
    return true;
}

void Registry::Open() {
    std::string error;
    if (!TryOpen(&error)) ShowFatalError(LanguageText(25), error.c_str());
}

void Registry::Close() {
    userWatcher_.reset();
    machineWatcher_.reset();
    SettingsKey::Close();
}

bool Registry::HasChanged() {
    if (!userWatcher_ || !machineWatcher_) return false;
    // Both are asked every time, so a change of either key is answered once.
    const bool user = userWatcher_->Poll();
    const bool machine = machineWatcher_->Poll();
    return user || machine;
}

bool Registry::SetFlag(const char* name) {
    return SetDword(name, 1, KeyRoot::User);
}

} // namespace lumivane
