// The search for custom world folders.
#include "chess/game/custom_worlds.h"

#include <strings.h>

#include <algorithm>
#include <filesystem>

namespace {

const char* const kBuiltInFolders[] = {"Custom Template", "Fire and Ice", "Logo", "Matrix", "Park"};

bool IsBuiltIn(const std::string& name) {
    for (const char* folder : kBuiltInFolders)
        if (strcasecmp(name.c_str(), folder) == 0) return true;
    return false;
}

} // namespace

std::vector<std::string> FindCustomWorlds(const char* folder) {
    std::vector<std::string> worlds;
    std::error_code error;
    std::filesystem::directory_iterator it(folder ? folder : "", error), end;
    for (; !error && it != end; it.increment(error)) {
        std::error_code kindError;
        if (!it->is_directory(kindError)) continue;
        const std::string name = it->path().filename().string();
        if (name == "." || name == ".." || IsBuiltIn(name)) continue;
        worlds.push_back(name);
    }
    std::sort(worlds.begin(), worlds.end());
    return worlds;
}
