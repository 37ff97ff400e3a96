// Whole-file reading and writing for prototype files, and where they live:
// the "modules" folder beside the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jentra::props {

// The real path of "modules\" + name under the program's folder (names in
// any letter case, '\' or '/'); empty when it does not exist.
std::string ModulesPath(const std::string& name);
// The same for a file about to be written; empty when the folder is missing.
std::string ModulesPathForCreate(const std::string& name);

// Reads a whole file (refusing anything implausibly large). A missing file
// gives false with an empty *error.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string* error);
// Writes through a temporary file renamed over the target, so a failed
// write never leaves a half-written prototype behind.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

} // namespace jentra::props
