// The engine's settings key over the platform settings store.
#include "Jentra/JTRegistry.h"

#include "Jentra/JTTransMap.h"
#include "platform/settings_store.h"

#include <cstring>
#include <vector>

JTRegistry* gpRegistry = nullptr;

namespace {

constexpr int kSettingsFailedText = 25;

platform::SettingsScope ScopeOf(HKEY root) {
    return root == HKEY_CURRENT_USER ? platform::SettingsScope::User
                                     : platform::SettingsScope::Machine;
}

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
    std::string error;
    store = platform::SettingsStore::Open(&error);
    platform::SettingsStatus status = platform::SettingsStatus::IoError;
    if (store) status = store->CreateKey(platform::SettingsScope::User, keyPath);
    if (!store || status != platform::SettingsStatus::Ok) {
        if (store) error = store->LastError();
        if (error.empty()) error = platform::SettingsStatusName(status);
        FatalErrorBox(JTTranslate(kSettingsFailedText), error.c_str());
    }
    return S_OK;
}

void JTRegistry::Term() {
    store.reset();
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

void JTRegistry::SetValue(const char* name, DWORD value, HKEY root) {
    if (store && Usable(name) && ChooseKeyByType(root))
        store->SetDword(platform::SettingsScope::User, keyPath, name, value);
}

void JTRegistry::SetValue(const char* name, const char* text, HKEY root) {
    if (store && Usable(name) && text && ChooseKeyByType(root))
        store->SetString(platform::SettingsScope::User, keyPath, name, text);
}

void JTRegistry::SetValue(const char* name, const unsigned char* data, int size, HKEY root) {
    if (store && Usable(name) && data && size >= 0 && ChooseKeyByType(root))
        store->SetBinary(platform::SettingsScope::User, keyPath, name, data,
                         static_cast<std::size_t>(size));
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
