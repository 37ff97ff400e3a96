// Finding and opening plug-in modules: the name a caller gives ("JTControls.dll",
// in any letter case, optionally with a folder) is turned into the shared
// library in the program's folder, opened, and its factory bound.
#pragma once

#include "Jentra/JTProtobase.h"

#include <filesystem>
#include <optional>
#include <string>

namespace jentra_proto {

// The shared-library name of a module name: a ".dll" ending (any case)
// becomes ".so"; other names are kept.
std::string ModuleLibraryName(const char* moduleFileName);

// The real path of the module under the program's folder (or an absolute
// path as given), matching each component ignoring case; none when missing.
std::optional<std::filesystem::path> ResolveModulePath(const char* moduleFileName);

// Opens the module and binds its factory. On success fills *handle and
// *factory. On failure nothing stays open and *error says why.
bool OpenModule(const char* moduleFileName, void** handle, JTEntityFactoryFn* factory,
                std::string* error);

} // namespace jentra_proto
