// The engine's settings key over the platform settings store.
#include "Jentra/JTRegistry.h"

#include "Jentra/JTTransMap.h"
#include "platform/settings_store.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

JTRegistry* gpRegistry = nullptr;

namespace {

constexpr int kSettingsFailedText = 25;

constexpr uint32_t kStartupRetryMs = 100;

bool Usable(const char* name) {
    return name && *name;
}

} // namespace

JTRegistry::JTRegistry(const char* key) {
    SetRegKey(key);
}

JTRegistry::~JTRegistry() {
    Term();
}

void JTRegistry::SetRegKey(const char* key) {
    regKey = key ? key : "";
    keyPath = "Software\\" + regKey;
}

HRESULT JTRegistry::Init() {
    Term();
    // Another process writing its settings holds the lock for moments only;
    // keep trying for a while, a short wait at a time, before going on.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartupWaitMs);
    std::string error;
    platform::SettingsStatus status = platform::SettingsStatus::IoError;
    for (;;) {
        if (!store) store = platform::SettingsStore::Open(&error, &status, kWriteWaitMs);
        if (store) {
            store->SetBusyTimeout(kWriteWaitMs);
            status = store->CreateKey(platform::SettingsScope::User, keyPath);
            if (status != platform::SettingsStatus::Ok) error = store->LastError();
        }
        if (status != platform::SettingsStatus::Busy ||
            std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(kStartupRetryMs));
    }
    if (status == platform::SettingsStatus::Busy) {
        // Not worth ending the game over: it runs on what can be read (the
        // key is made by the first save) or, without settings, on defaults.
        std::fprintf(stderr, "Jentra: %s; %s\n", error.c_str(),
                     store ? "going on without waiting further"
                           : "going on with default settings, which are not saved");
        return S_OK;
    }
    if (status != platform::SettingsStatus::Ok) {
        store.reset();
        if (error.empty()) error = platform::SettingsStatusName(status);
        FatalErrorBox(JTTranslate(kSettingsFailedText), error.c_str());
    }
    return S_OK;
}

platform::SettingsScope JTRegistry::ScopeOf(HKEY root) {
    return root == HKEY_CURRENT_USER ? platform::SettingsScope::User
                                     : platform::SettingsScope::Machine;
}

void JTRegistry::Term() {
    store.reset();
    collecting = false;
    pending.clear();
}

// Reads exactly size bytes: a 4-byte read takes a DWORD value or a 4-byte
// binary one, any other read a binary value of exactly that size.
bool JTRegistry::ReadExact(const char* name, void* data, std::size_t size, HKEY root) {
    if (!store || !Usable(name) || !data) return false;
    platform::SettingsValueInfo info;
    if (store->GetInfo(ScopeOf(root), keyPath, name, info) != platform::SettingsStatus::Ok)
        return false;
    if (info.type == platform::SettingsType::Dword && size == 4) {
        uint32_t word = 0;
        if (store->GetDword(ScopeOf(root), keyPath, name, word) != platform::SettingsStatus::Ok)
            return false;
        std::memcpy(data, &word, 4);
        return true;
    }
    if (info.type != platform::SettingsType::Binary || info.size != size) return false;
    return store->GetBinary(ScopeOf(root), keyPath, name, data, size) ==
           platform::SettingsStatus::Ok;
}

void JTRegistry::QueryValue(const char* name, DWORD* value, HKEY root) {
    ReadExact(name, value, sizeof *value, root);
}

void JTRegistry::QueryValue(const char* name, char* buffer, int size, HKEY root) {
    if (!store || !Usable(name) || !buffer || size <= 0) return;
    std::string text;
    if (store->GetString(ScopeOf(root), keyPath, name, text) != platform::SettingsStatus::Ok)
        return;
    // Like the registry: text that does not fit with its terminator is not read.
    if (text.size() + 1 > static_cast<std::size_t>(size)) return;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
}

void JTRegistry::QueryValue(const char* name, unsigned char* data, int size, HKEY root) {
    if (size > 0) ReadExact(name, data, static_cast<std::size_t>(size), root);
}

void JTRegistry::QueryValue(const char* name, bool* value, HKEY root) {
    unsigned char byte = 0;
    if (value && ReadExact(name, &byte, 1, root)) *value = byte != 0;
}

void JTRegistry::QueryValue(const char* name, float* value, HKEY root) {
    ReadExact(name, value, sizeof *value, root);
}

void JTRegistry::Write(const char* name, uint32_t type, const void* data, std::size_t size,
                       HKEY root) {
    if (!Usable(name)) return;
    const auto* bytes = static_cast<const uint8_t*>(data);
    platform::SettingsBatchItem item{ScopeOf(root), keyPath, name, platform::SettingsType(type),
                                     std::vector<uint8_t>(bytes, bytes + size)};
    if (collecting) {
        pending.push_back(std::move(item));
        return;
    }
    if (!Commit({std::move(item)}))
        std::fprintf(stderr, "Jentra: the setting \"%s\" was not saved: %s\n", name,
                     lastError.c_str());
}

bool JTRegistry::Commit(const std::vector<platform::SettingsBatchItem>& items) {
    if (!store) {
        lastError = "the settings could not be opened";
        return false;
    }
    if (store->SetValues(items) != platform::SettingsStatus::Ok) {
        lastError = store->LastError();
        return false;
    }
    lastError.clear();
    return true;
}

void JTRegistry::BeginValues() {
    collecting = true;
    pending.clear();
}

bool JTRegistry::CommitValues() {
    collecting = false;
    std::vector<platform::SettingsBatchItem> items = std::move(pending);
    pending.clear();
    return Commit(items);
}

void JTRegistry::SetValue(const char* name, DWORD value, HKEY root) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
    Write(name, uint32_t(platform::SettingsType::Dword), bytes, 4, root);
}

void JTRegistry::SetValue(const char* name, const char* text, HKEY root) {
    if (text) Write(name, uint32_t(platform::SettingsType::String), text, std::strlen(text), root);
}

void JTRegistry::SetValue(const char* name, const unsigned char* data, int size, HKEY root) {
    if (data && size >= 0)
        Write(name, uint32_t(platform::SettingsType::Binary), data, std::size_t(size), root);
}

void JTRegistry::SetValue(const char* name, bool value, HKEY root) {
    const unsigned char byte = value ? 1 : 0;
    SetValue(name, &byte, 1, root);
}

void JTRegistry::SetValue(const char* name, float value, HKEY root) {
    unsigned char bytes[4];
    std::memcpy(bytes, &value, 4);
    SetValue(name, bytes, 4, root);
}
