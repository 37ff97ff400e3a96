// The console's ties to the keyboard, the sounds, the settings and the
// process, each used only when the service exists.
#include "Jentra/core/console/console_services.h"

#include "platform/settings_store.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace jentra_console {

namespace {

// The engine's own key while no game names another.
constexpr const char* kSettingsKey = "Software\\Quellmar\\Jentra";

} // namespace

bool TogglePressed() {
    return false;
}

void SetKeyboardCaptured(bool) {}

void Beep(const char*) {}

void LoadLastCommand(char* out, size_t size) {
    if (!out || size == 0) return;
    out[0] = '\0';
    std::unique_ptr<platform::SettingsStore> store = platform::SettingsStore::Open();
    if (!store) return;
    std::string value;
    if (store->GetString(platform::SettingsScope::User, kSettingsKey, kLastCommandValue, value) !=
        platform::SettingsStatus::Ok)
        return;
    size_t n = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(out, value.data(), n);
    out[n] = '\0';
}

void SaveLastCommand(const char* line) {
    if (!line) return;
    std::unique_ptr<platform::SettingsStore> store = platform::SettingsStore::Open();
    if (!store) return;
    store->SetString(platform::SettingsScope::User, kSettingsKey, kLastCommandValue, line);
}

void FatalError() {
    // Settings are committed as they are written; only stdio may still hold
    // output.
    std::fputs("Jentra: the console's fatalerror command ends the program\n", stderr);
    std::fflush(nullptr);
    std::abort();
}

} // namespace jentra_console
