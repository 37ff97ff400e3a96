// Lumivane's settings key "Software\Quellmar\Lumivane", in the user scope and
// the machine scope of the settings store. `SettingsKey` is the pair of keys
// both programs read and write; `Registry` is the desktop program's object,
// which also notices changes; `MenuKey` is the desktop menu's, which opens
// the keys for each command and ignores failures.
#pragma once

#include "desktop/shell/setting_values.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {
class SettingsStore;
class SettingsWatcher;
} // namespace platform

namespace lumivane {

class SettingsKey {
public:
    static constexpr const char* kKeyPath = "Software\\Quellmar\\Lumivane";

    SettingsKey();
    virtual ~SettingsKey();
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    // Opens the settings store and creates both keys when missing. False,
    // with the reason in *error, when the store cannot be opened or written.
    bool OpenKeys(std::string* error = nullptr);
    virtual void Close();
    bool IsOpen() const { return store_ != nullptr; }

    // Reads answer whether the value was there with the type and size
    // asked for; otherwise the destination is left untouched.
    bool GetDword(const char* name, uint32_t& value, KeyRoot root);
    // Text of at most size - 1 bytes, always terminated; longer text is
    // not read.
    bool GetString(const char* name, char* buffer, size_t size, KeyRoot root);
    // A binary value of exactly one byte.
    bool GetBool(const char* name, uint8_t& value, KeyRoot root);
    // A binary value of exactly `size` bytes.
    bool GetBinary(const char* name, void* data, size_t size, KeyRoot root);

    bool SetDword(const char* name, uint32_t value, KeyRoot root);
    bool SetString(const char* name, std::string_view text, KeyRoot root);
    bool SetBool(const char* name, uint8_t value, KeyRoot root);
    bool SetBinary(const char* name, const void* data, size_t size, KeyRoot root);

    // Table reads give the table's default when the value is missing.
    uint32_t Read(const DwordValue& value);
    uint8_t Read(const ByteValue& value);
    uint8_t Read(const ByteValue& value, uint8_t fallback);
    std::string Read(const StringValue& value);
    bool Write(const DwordValue& value, uint32_t data);
    bool Write(const ByteValue& value, uint8_t data);
    bool Write(const StringValue& value, std::string_view text);

protected:
    platform::SettingsStore* Store() const { return store_.get(); }

private:
    std::unique_ptr<platform::SettingsStore> store_;
};

// The desktop program's key object.
class Registry : public SettingsKey {
public:
    Registry();
    ~Registry() override;

    // Opens both keys and starts watching them; on failure the fatal box
    // with language entry 25 ends the program.
    void Open();
    // The same without the box: false with the reason in *error.
    bool TryOpen(std::string* error = nullptr);
    void Close() override;

    // True when either key changed since the last true answer. Both keys
    // start out changed, so the first call answers true and the caller
    // reads everything once. The caller re-reads every value on true, so one
    // answer covers changes of both keys; several changes may come as one.
    bool HasChanged();

    // Writes the DWORD 1 under the name in the user key (the scene's
    // triggers raise flags this way).
    bool SetFlag(const char* name);

private:
    std::unique_ptr<platform::SettingsWatcher> userWatcher_;
    std::unique_ptr<platform::SettingsWatcher> machineWatcher_;
};

// The desktop menu's key object: opening never fails loudly; without the
// store, reads leave their defaults and writes do nothing.
class MenuKey : public SettingsKey {
public:
    void Open() { OpenKeys(nullptr); }
};

// The desktop program's settings key, made at start-up.
extern Registry* gpRegistry;

} // namespace lumivane
