// Setting and removing Lumivane as the xscreensaver program, keeping what
// it replaced in the user key.
#include "desktop_menu/module/screen_saver.h"

#include "desktop/shell/registry.h"
#include "desktop_menu/module/module_path.h"
#include "desktop_menu/module/screen_saver_file.h"
#include "platform/settings_store.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

namespace lumivane::menu {

namespace {

using platform::SettingsScope;
using platform::SettingsStatus;
using platform::SettingsStore;

constexpr const char* kEntryName = "Lumivane";

std::optional<std::string> ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Writes a sibling file and renames it over the original, so a reader never
// sees half a file; the original's permissions are kept.
bool WriteText(const std::filesystem::path& path, const std::string& text) {
    struct stat info {};
    const mode_t mode = stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0644;
    const std::filesystem::path temporary = path.string() + ".lumivane-new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) {
            std::error_code ec;
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    chmod(temporary.c_str(), mode);
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) std::filesystem::remove(temporary, ec);
    return !ec;
}

bool IsLumivaneProgram(std::string_view program) {
    return !program.empty() &&
           std::filesystem::path(program).filename() == LumivaneProgramPath().filename();
}

bool SelectsLumivane(const ScreenSaverFile& file) {
    if (file.Mode() != "one") return false;
    const auto programs = file.Programs();
    const int selected = file.Selected();
    return selected >= 0 && size_t(selected) < programs.size() &&
           IsLumivaneProgram(programs[size_t(selected)]);
}

int IndexOf(const ScreenSaverFile& file, const std::string& program) {
    const auto programs = file.Programs();
    const auto found = std::find(programs.begin(), programs.end(), program);
    return found == programs.end() ? -1 : int(found - programs.begin());
}

std::string ReadSavedString(SettingsStore& store, const char* name) {
    std::string text;
    store.GetString(SettingsScope::User, SettingsKey::kKeyPath, name, text);
    return text;
}

void RestoreResource(ScreenSaverFile& file, const char* name, const std::string& saved) {
    if (saved.empty()) {
        file.RemoveResource(name);
    } else {
        file.SetResourceLines(name, saved);
    }
}

void SaveReplaced(SettingsStore& store, unsigned changes, const std::optional<std::string>& mode,
                  const std::optional<std::string>& selected,
                  const std::optional<std::string>& listLine) {
    auto text = [](const char* name, const std::string& value) {
        return platform::SettingsBatchItem{SettingsScope::User, SettingsKey::kKeyPath, name,
                                           platform::SettingsType::String,
                                           std::vector<uint8_t>(value.begin(), value.end())};
    };
    std::vector<platform::SettingsBatchItem> items = {
        {SettingsScope::User,
         SettingsKey::kKeyPath,
         saved::kChanges,
         platform::SettingsType::Dword,
         {uint8_t(changes), uint8_t(changes >> 8), uint8_t(changes >> 16), uint8_t(changes >> 24)}},
        text(saved::kMode, mode.value_or("")),
        text(saved::kSelected, selected.value_or("")),
    };
    if (listLine) items.push_back(text(saved::kListLine, *listLine));
    store.SetValues(items);
    if (!listLine) store.DeleteValue(SettingsScope::User, SettingsKey::kKeyPath, saved::kListLine);
}

void ForgetSaved(SettingsStore& store) {
    for (const char* name : {saved::kChanges, saved::kMode, saved::kSelected, saved::kListLine})
        store.DeleteValue(SettingsScope::User, SettingsKey::kKeyPath, name);
}

// A key left with nothing in it goes; the store had no such key before the
// screen saver was set.
void DropIfEmpty(SettingsStore& store, const char* key) {
    std::vector<platform::SettingsValueInfo> values;
    std::vector<std::string> subkeys;
    if (store.EnumerateValues(SettingsScope::User, key, values) == SettingsStatus::Ok &&
        store.EnumerateSubkeys(SettingsScope::User, key, subkeys) == SettingsStatus::Ok &&
        values.empty() && subkeys.empty() && store.KeyExists(SettingsScope::User, key))
        store.DeleteKey(SettingsScope::User, key);
}

} // namespace

std::filesystem::path ScreenSaverConfigPath() {
    const char* home = std::getenv("HOME");
    if (home && *home) return std::filesystem::path(home) / ".xscreensaver";
    if (const passwd* user = getpwuid(getuid()); user && user->pw_dir)
        return std::filesystem::path(user->pw_dir) / ".xscreensaver";
    return {};
}

bool IsScreenSaverOurs() {
    const auto path = ScreenSaverConfigPath();
    if (path.empty()) return false;
    const auto text = ReadText(path);
    return text && SelectsLumivane(ScreenSaverFile(*text));
}

void SetScreenSaver() {
    const auto path = ScreenSaverConfigPath();
    if (path.empty()) return;
    const auto text = ReadText(path);
    ScreenSaverFile file(text.value_or(""));
    const bool wasOurs = SelectsLumivane(file);
    const std::string program = LumivaneProgramPath().string();

    unsigned changes = text ? 0 : saved::kMadeFile;
    std::optional<std::string> listLine;
    int index = IndexOf(file, program);
    if (index < 0) {
        const auto added = file.AddProgram(kEntryName, QuoteForShell(program) + " --root");
        changes |= saved::kAddedEntry | (added.madeList ? saved::kMadeList : 0);
        listLine = added.oldFirstLine;
        index = IndexOf(file, program);
    }
    const auto oldMode = file.ResourceLines("mode");
    const auto oldSelected = file.ResourceLines("selected");
    file.SetResourceLines("selected", "selected:\t" + std::to_string(index));
    file.SetResourceLines("mode", "mode:\t\tone");
    if (!WriteText(path, file.Text())) return;

    auto store = SettingsStore::Open();
    if (!store) return;
    // Saving again while Lumivane is chosen would keep our own lines as the
    // user's.
    if (!wasOurs) SaveReplaced(*store, changes, oldMode, oldSelected, listLine);
    store->SetString(SettingsScope::User, kSystemScreenSaverKey, kSystemScreenSaverValue, program);
}

void RemoveScreenSaver() {
    auto store = SettingsStore::Open();
    uint32_t changes = 0;
    const bool haveSaved = store && store->GetDword(SettingsScope::User, SettingsKey::kKeyPath,
                                                    saved::kChanges, changes) == SettingsStatus::Ok;
    const auto path = ScreenSaverConfigPath();
    const auto text = path.empty() ? std::nullopt : ReadText(path);
    if (text) {
        ScreenSaverFile file(*text);
        if (haveSaved) {
            if (changes & saved::kAddedEntry)
                file.RemoveProgramLine(LumivaneProgramPath().string(),
                                       (changes & saved::kMadeList) != 0);
            const std::string listLine = ReadSavedString(*store, saved::kListLine);
            if (!listLine.empty()) file.SetProgramsFirstLine(listLine);
            RestoreResource(file, "mode", ReadSavedString(*store, saved::kMode));
            RestoreResource(file, "selected", ReadSavedString(*store, saved::kSelected));
        } else if (SelectsLumivane(file)) {
            // Nothing to go back to: no screen saver, as before one was set.
            file.SetResourceLines("mode", "mode:\t\toff");
        }
        if (haveSaved && (changes & saved::kMadeFile) && file.Blank()) {
            std::error_code ec;
            std::filesystem::remove(path, ec);
        } else if (file.Text() != *text) {
            WriteText(path, file.Text());
        }
    }
    if (!store) return;
    ForgetSaved(*store);
    store->DeleteValue(SettingsScope::User, kSystemScreenSaverKey, kSystemScreenSaverValue);
    DropIfEmpty(*store, kSystemScreenSaverKey);
    DropIfEmpty(*store, "Control Panel");
}

} // namespace lumivane::menu
