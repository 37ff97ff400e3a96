// The engine's settings key: "Software\" + the game's key (for example
// "Quellmar\Jentra") in the user's settings and in the machine-wide
// settings. Typed QueryValue / SetValue calls in the shape the engine and
// the game use.
//
// A write never holds the game up for long: when another process keeps the
// settings locked past a short wait, the write is given up and reported.
#pragma once

#include "Jentra/JTErrors.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class SettingsStore;
struct SettingsBatchItem;
enum class SettingsScope : int;
} // namespace platform

using DWORD = uint32_t;
// Which settings a call reads: the user's or the machine's.
using HKEY = uint32_t;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

class JTRegistry {
public:
    static constexpr const char* kDefaultRegKey = "Quellmar\\Jentra";

    explicit JTRegistry(const char* regKey = kDefaultRegKey);
    ~JTRegistry();
    JTRegistry(const JTRegistry&) = delete;
    JTRegistry& operator=(const JTRegistry&) = delete;

    // The key under "Software\" (the game's GetRegKey); takes effect at Init.
    void SetRegKey(const char* regKey);
    const std::string& GetKeyPath() const { return keyPath; }

    // How long one write waits for another process's write to finish.
    static constexpr uint32_t kWriteWaitMs = 500;
    // How long start-up keeps trying while another process holds the lock.
    static constexpr uint32_t kStartupWaitMs = 3000;

    // Opens the settings and creates the user key. A lock held by another
    // process is waited for (up to kStartupWaitMs); past that the program
    // goes on (on defaults when nothing could be read) and says so on
    // stderr. A damaged settings file is moved aside and fresh settings
    // started. Settings that cannot be used at all (no folder, another
    // program's file) raise the fatal box (text 25).
    HRESULT Init();
    void Term();
    bool IsOpen() const { return store != nullptr; }

    // Reads a value into the target when it exists with the size the target
    // takes; otherwise the target keeps its value. Roots other than
    // HKEY_CURRENT_USER read the machine-wide settings.
    void QueryValue(const char* name, DWORD* value, HKEY root);
    // Text of at most size - 1 characters; always terminated when read.
    void QueryValue(const char* name, char* buffer, int size, HKEY root);
    void QueryValue(const char* name, unsigned char* data, int size, HKEY root);
    void QueryValue(const char* name, bool* value, HKEY root);
    void QueryValue(const char* name, float* value, HKEY root);

    // Writes a value: HKEY_CURRENT_USER into the user's settings, any other
    // root into the machine-wide ones. A write that fails is reported on
    // stderr (and in LastError); the caller keeps its value.
    void SetValue(const char* name, DWORD value, HKEY root);
    void SetValue(const char* name, const char* text, HKEY root);
    void SetValue(const char* name, const unsigned char* data, int size, HKEY root);
    void SetValue(const char* name, bool value, HKEY root);
    void SetValue(const char* name, float value, HKEY root);

    // Collects the SetValue calls that follow into one write that
    // CommitValues makes: all of them land, or none.
    void BeginValues();
    // Writes what was collected since BeginValues; false when nothing could
    // be written (settings busy or unusable; LastError says why).
    bool CommitValues();
    // Why the last write failed; empty after a success.
    const std::string& LastError() const { return lastError; }

protected:
    // The user's settings for HKEY_CURRENT_USER, the machine's for any other root.
    static platform::SettingsScope ScopeOf(HKEY root);

private:
    bool ReadExact(const char* name, void* data, std::size_t size, HKEY root);
    void Write(const char* name, uint32_t type, const void* data, std::size_t size, HKEY root);
    bool Commit(const std::vector<platform::SettingsBatchItem>& items);

    std::string regKey;
    std::string keyPath;
    std::unique_ptr<platform::SettingsStore> store;
    bool collecting = false;
    std::vector<platform::SettingsBatchItem> pending;
    std::string lastError;
};

// The engine's settings key, made by the application at start-up.
extern JTRegistry* gpRegistry;
