// The engine's working folder and the resolution of data names below it.
#include "Jentra/JTDataFolder.h"

#include "platform/paths.h"

#include <algorithm>
#include <mutex>

namespace {
std::mutex gFolderLock;
std::string gDataFolder;
} // namespace

std::filesystem::path JTDataFolder() {
    {
        std::lock_guard<std::mutex> lock(gFolderLock);
        if (!gDataFolder.empty()) return gDataFolder;
    }
    return platform::ProgramFolder();
}

void JTSetDataFolder(const char* folder) {
    std::lock_guard<std::mutex> lock(gFolderLock);
    gDataFolder = folder ? folder : "";
}

std::string JTResolveDataPath(const char* name) {
    const std::filesystem::path base = JTDataFolder();
    std::string text = name ? name : "";
    if (auto found = platform::ResolvePath(base, text)) return found->string();
    std::replace(text.begin(), text.end(), '\\', '/');
    if (!text.empty() && text.front() == '/') return text;
    return (base / text).string();
}
