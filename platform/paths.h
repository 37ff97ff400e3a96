// Turns file names as the data writes them ("MODULES\Chess\table.jtm":
// backslashes, any letter case) into real paths, and finds the program's and
// the user's folders.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Resolves `name` under `base`: '\' and '/' both separate components, and
// each component matches an entry of any letter case (an exact match wins;
// among several case-insensitive matches the first in byte order wins).
// A name starting with '/' is an absolute path. "." is ignored; ".." goes up
// one level but never above `base`. Returns nothing when any component is
// missing: a missing file is never guessed.
std::optional<std::filesystem::path> ResolvePath(const std::filesystem::path& base,
                                                 std::string_view name);

// For creating a file: every folder of `name` must resolve as above; the last
// component is the existing entry of any case, or else kept as written.
std::optional<std::filesystem::path> ResolvePathForCreate(const std::filesystem::path& base,
                                                          std::string_view name);

// For writing below folders that may not exist yet: components that exist
// resolve as above, missing ones keep their spelling. Fails only for an empty
// name or one that climbs above `base`.
std::optional<std::filesystem::path> ResolvePathLeniently(const std::filesystem::path& base,
                                                          std::string_view name);

// The folder of the running program (from /proc/self/exe), or
// $JENTRA_RUNTIME_DIR when it is set (tests).
std::filesystem::path ProgramFolder();

// The user's data folder: $XDG_DATA_HOME/quellmar, else ~/.local/share/quellmar.
std::filesystem::path UserDataFolder();

// ASCII-only case folding for comparing names the way the data expects.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

} // namespace platform
