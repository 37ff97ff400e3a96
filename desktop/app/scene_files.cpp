// Listing and drawing scene files.
#include "desktop/app/scene_files.h"

#include "desktop/scene/object/random_generator.h"
#include "platform/paths.h"

#include <algorithm>
#include <system_error>

namespace lumivane {

std::vector<std::string> ListSceneFiles(const std::filesystem::path& dataRoot) {
    std::vector<std::string> names;
    const auto folder = platform::ResolvePath(dataRoot, "scenes");
    std::error_code error;
    if (!folder || !std::filesystem::is_directory(*folder, error)) return names;
    for (std::filesystem::directory_iterator it(*folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code kindError;
        if (!it->is_regular_file(kindError)) continue;
        if (platform::EqualsIgnoreCase(it->path().extension().string(), ".mis"))
            names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    if (names.size() > kMaxRandomScenes) names.resize(kMaxRandomScenes);
    return names;
}

std::string ChooseRandomScene(const std::vector<std::string>& names, const std::string& current,
                              RandomGenerator& random) {
    if (names.size() == 1) return names.front();
    std::vector<const std::string*> others;
    for (const std::string& name : names)
        if (!platform::EqualsIgnoreCase(name, current)) others.push_back(&name);
    if (others.empty()) return current;
    return *others[random.Next() % others.size()];
}

} // namespace lumivane
