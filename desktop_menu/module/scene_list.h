// The scenes the popup offers: the "*.mis" files of the data folder's
// "Scenes" folder, each with the display name its companion text table
// gives, sorted by that name.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane::menu {

// At most this many scenes are listed.
inline constexpr size_t kMaxScenes = 100;
// File and display names are held to this many bytes (260 with the
// terminator they once had).
inline constexpr size_t kMaxNameBytes = 259;

struct SceneEntry {
    std::string fileName;    // as found
    std::string displayName; // UTF-8
};

// The first kMaxScenes regular files of <folder>/Scenes (any letter case)
// whose names end in ".mis" (any case), in the order of their names, each
// with its display name: entry 1 of its companion table when not empty,
// else the file name. No "Scenes" folder gives no scenes.
std::vector<SceneEntry> CollectScenes(const std::filesystem::path& folder, bool unicode,
                                      unsigned codePage);

// Ascending by display name without regard to letter case; scenes of equal
// names keep their order.
void SortScenes(std::vector<SceneEntry>& scenes);

// The companion table of a scene file: its name with the part from the last
// '.' replaced by ".txt" (UTF-16 tables) or ".csv" (else), or with that
// appended when the name has no '.'.
std::string CompanionTableName(std::string_view fileName, bool unicode);

// A scene's label in the popup: the display name cut at its last '.'.
std::string SceneLabel(std::string_view displayName);

// The text cut to at most maxBytes bytes, never inside a UTF-8 character.
std::string BoundedCopy(std::string_view text, size_t maxBytes);

} // namespace lumivane::menu
