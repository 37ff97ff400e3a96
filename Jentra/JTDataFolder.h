// The engine's working folder: where relative data names ("modules\...",
// "sounds\...", "Langfile.csv") are found. It is the program's folder unless
// the game (or a test) sets another. The process's current folder is never
// changed, as other threads open files too, so every open of a data name
// resolves through here.
#pragma once

#include <filesystem>
#include <string>

// The folder relative data names are resolved against.
std::filesystem::path JTDataFolder();

// Sets the working folder; null or "" means the program's folder.
void JTSetDataFolder(const char* folder);

// An existing data file in any letter case with `\` or `/` separators; a
// missing one comes back as written below the working folder, so a report
// names what was looked for. Absolute names stay absolute.
std::string JTResolveDataPath(const char* name);
