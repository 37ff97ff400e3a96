// The engine's settings key: "Software\" + the game's key (for example
// "Quellmar\Jentra") in the user's settings, which the engine reads and
// writes, and in the machine-wide settings, which it only reads. Typed
// QueryValue / SetValue calls in the shape the engine and the game use.
#pragma once

#include "Jentra/JTErrors.h"

#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class SettingsStore;
}

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

    // Opens the settings and creates the user key. When the user's settings
    // cannot be opened the fatal box (text 25) ends the program. Missing or
    // unreadable machine-wide settings are never fatal: their queries leave
    // the targets as they were.
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

    // Writes a value into the user's settings. The machine-wide settings are
    // read-only: writes with another root change nothing.
    void SetValue(const char* name, DWORD value, HKEY root);
    void SetValue(const char* name, const char* text, HKEY root);
    void SetValue(const char* name, const unsigned char* data, int size, HKEY root);
    void SetValue(const char* name, bool value, HKEY root);
    void SetValue(const char* name, float value, HKEY root);

protected:
    bool ChooseKeyByType(HKEY root) const { return root == HKEY_CURRENT_USER; }

private:
    bool ReadExact(const char* name, void* data, std::size_t size, HKEY root);

    std::string regKey;
    std::string keyPath;
    std::unique_ptr<platform::SettingsStore> store;
};

// The engine's settings key, made by the application at start-up.
extern JTRegistry* gpRegistry;
