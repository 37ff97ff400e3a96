// Finding the scenes, naming them from their companion tables, sorting.
#include "desktop_menu/module/scene_list.h"

#include "desktop/shell/language_table.h"
#include "platform/codepage.h"
#include "platform/paths.h"

#include <algorithm>

namespace lumivane::menu {

namespace {

constexpr int kDisplayNameEntry = 1;
// Companion tables keep their first two columns.
constexpr unsigned kCompanionColumns = LanguageTable::kColumn0 | LanguageTable::kColumn1;

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool LessIgnoringCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(FoldAscii(x)) < static_cast<unsigned char>(FoldAscii(y));
    });
}

bool IsSceneFileName(std::string_view name) {
    constexpr std::string_view kExtension = ".mis";
    return name.size() > kExtension.size() &&
           platform::EqualsIgnoreCase(name.substr(name.size() - kExtension.size()), kExtension);
}

// The scene files' names in name order, at most kMaxScenes.
std::vector<std::string> FindSceneFiles(const std::filesystem::path& scenesFolder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(scenesFolder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (IsSceneFileName(name) && it->is_regular_file(typeError)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    if (names.size() > kMaxScenes) names.resize(kMaxScenes);
    return names;
}

std::string DisplayName(const std::filesystem::path& scenesFolder, const std::string& fileName,
                        bool unicode, unsigned codePage) {
    const auto table = platform::ResolvePath(scenesFolder, CompanionTableName(fileName, unicode));
    if (table) {
        LanguageTable names(codePage);
        if (names.Load(table->string(), kCompanionColumns)) {
            const std::string_view text = names.GetString(kDisplayNameEntry);
            if (!text.empty()) {
                const platform::CodePageConverter converter(names.CodePage());
                return BoundedCopy(converter.ToUtf8(text), kMaxNameBytes);
            }
        }
    }
    return fileName;
}

} // namespace

std::vector<SceneEntry> CollectScenes(const std::filesystem::path& folder, bool unicode,
                                      unsigned codePage) {
    std::vector<SceneEntry> scenes;
    const auto scenesFolder = platform::ResolvePath(folder, "Scenes");
    if (!scenesFolder) return scenes;
    for (const std::string& fileName : FindSceneFiles(*scenesFolder)) {
        SceneEntry entry;
        entry.fileName = BoundedCopy(fileName, kMaxNameBytes);
        entry.displayName = DisplayName(*scenesFolder, fileName, unicode, codePage);
        scenes.push_back(std::move(entry));
    }
    return scenes;
}

void SortScenes(std::vector<SceneEntry>& scenes) {
    std::stable_sort(scenes.begin(), scenes.end(), [](const SceneEntry& a, const SceneEntry& b) {
        return LessIgnoringCase(a.displayName, b.displayName);
    });
}

std::string CompanionTableName(std::string_view fileName, bool unicode) {
    const size_t dot = fileName.rfind('.');
    std::string name(fileName.substr(0, dot));
    name += unicode ? ".txt" : ".csv";
    return name;
}

std::string SceneLabel(std::string_view displayName) {
    return std::string(displayName.substr(0, displayName.rfind('.')));
}

std::string BoundedCopy(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return std::string(text);
    size_t length = maxBytes;
    // Back up over continuation bytes to the start of the cut character.
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    return std::string(text.substr(0, length));
}

} // namespace lumivane::menu
