// The scene files a random pick chooses from.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace lumivane {

class RandomGenerator;

// At most this many scenes take part in a random pick.
inline constexpr size_t kMaxRandomScenes = 100;

// The names of the files "scenes\*.mis" below the data root (folder and
// extension in any letter case), in name order, at most kMaxRandomScenes;
// folders that carry the extension are passed over.
std::vector<std::string> ListSceneFiles(const std::filesystem::path& dataRoot);

// One name: that one. Several: one drawn from those that differ from the
// current name (ignoring case) with one step of the generator; when every
// name is the current one in some letter case, the current name stays.
std::string ChooseRandomScene(const std::vector<std::string>& names, const std::string& current,
                              RandomGenerator& random);

} // namespace lumivane
