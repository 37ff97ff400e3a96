// Typed settings store: named values under backslash key paths, in a user
// scope and a machine scope, kept in one SQLite database so that several
// processes can read and write at once and watch a key for changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class SettingsScope : int { User = 0, Machine = 1 };

// Numbers match the classic registry value types so callers can store them.
enum class SettingsType : uint32_t { String = 1, Binary = 3, Dword = 4 };

enum class SettingsStatus {
    Ok,
    NotFound,        // no such value or key
    TypeMismatch,    // stored with another type than asked for
    SizeMismatch,    // binary stored with another size than asked for
    InvalidArgument, // no data for a non-zero size; deleting the root key
    Busy,            // another process held the database past the wait time
    Corrupt,         // the database file is damaged or not a database
    IoError,         // anything else the database reported
};

const char* SettingsStatusName(SettingsStatus status);

// One value of a batch written by SettingsStore::SetValues.
struct SettingsBatchItem {
    SettingsScope scope;
    std::string key;
    std::string name;
    SettingsType type;
    std::vector<uint8_t> data; // DWORDs little-endian, strings without a terminating zero
};

struct SettingsValueInfo {
    std::string name; // as first written
    SettingsType type;
    size_t size; // bytes of data (strings: without a terminating zero)
};

class SettingsWatcher;

class SettingsStore {
public:
    static constexpr uint32_t kDefaultBusyTimeoutMs = 10000;

    // $JENTRA_SETTINGS_DIR, else $XDG_CONFIG_HOME/quellmar, else ~/.config/quellmar.
    static std::string DefaultFolder();
    // Opens (creating when missing) <folder>/settings.db, waiting up to
    // busyTimeoutMs for other processes (and using that wait for writes
    // afterwards). On failure returns null and describes why in *error and
    // *status. A file that SQLite finds damaged is moved aside under a dated
    // name ("settings.db.damaged-YYYYMMDD-HHMMSS") and a fresh store started,
    // which is said once on stderr; a newer file or another program's
    // database is refused and left untouched.
    static std::unique_ptr<SettingsStore> Open(std::string* error = nullptr,
                                               SettingsStatus* status = nullptr,
                                               uint32_t busyTimeoutMs = kDefaultBusyTimeoutMs);
    static std::unique_ptr<SettingsStore>
    OpenFolder(const std::string& folder, std::string* error = nullptr,
               SettingsStatus* status = nullptr, uint32_t busyTimeoutMs = kDefaultBusyTimeoutMs);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    const std::string& DatabasePath() const;
    // How long a write waits for another process's write to finish before
    // it answers Busy (10 seconds unless set).
    void SetBusyTimeout(uint32_t milliseconds);
    // Text of the last failure on this store (empty after a success).
    std::string LastError() const;

    // Creates the key and all its parents; writing a value does this too.
    SettingsStatus CreateKey(SettingsScope scope, std::string_view key);
    bool KeyExists(SettingsScope scope, std::string_view key);

    SettingsStatus SetDword(SettingsScope scope, std::string_view key, std::string_view name,
                            uint32_t value);
    SettingsStatus SetString(SettingsScope scope, std::string_view key, std::string_view name,
                             std::string_view value);
    SettingsStatus SetBinary(SettingsScope scope, std::string_view key, std::string_view name,
                             const void* data, size_t size);
    // Writes every value in one transaction: all of them or none.
    SettingsStatus SetValues(const std::vector<SettingsBatchItem>& values);

    // Reads leave the destination untouched unless they answer Ok.
    SettingsStatus GetDword(SettingsScope scope, std::string_view key, std::string_view name,
                            uint32_t& value);
    SettingsStatus GetString(SettingsScope scope, std::string_view key, std::string_view name,
                             std::string& value);
    // Any size.
    SettingsStatus GetBinary(SettingsScope scope, std::string_view key, std::string_view name,
                             std::vector<uint8_t>& value);
    // Exactly `size` bytes; another stored size is SizeMismatch.
    SettingsStatus GetBinary(SettingsScope scope, std::string_view key, std::string_view name,
                             void* data, size_t size);
    SettingsStatus GetInfo(SettingsScope scope, std::string_view key, std::string_view name,
                           SettingsValueInfo& info);

    SettingsStatus DeleteValue(SettingsScope scope, std::string_view key, std::string_view name);
    // Removes the key with its values and every subkey below it.
    SettingsStatus DeleteKey(SettingsScope scope, std::string_view key);

    SettingsStatus EnumerateValues(SettingsScope scope, std::string_view key,
                                   std::vector<SettingsValueInfo>& values);
    SettingsStatus EnumerateSubkeys(SettingsScope scope, std::string_view key,
                                    std::vector<std::string>& names);

    // A watcher on the key and everything below it, with its own connection.
    // startSignalled: the first Poll/Wait answers true without a change.
    std::unique_ptr<SettingsWatcher> Watch(SettingsScope scope, std::string_view key,
                                           bool startSignalled = false,
                                           std::string* error = nullptr);

    struct Impl;

private:
    explicit SettingsStore(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Notices writes under one key made by any connection: this process or others.
class SettingsWatcher {
public:
    ~SettingsWatcher();
    SettingsWatcher(const SettingsWatcher&) = delete;
    SettingsWatcher& operator=(const SettingsWatcher&) = delete;

    // True when something under the key changed since the last true answer;
    // several changes in a row may be reported as one.
    bool Poll();
    // Waits up to timeoutMs for a change; true when one came.
    bool Wait(uint32_t timeoutMs);

    struct Impl;
    explicit SettingsWatcher(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
