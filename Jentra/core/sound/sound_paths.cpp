// Data names as the engine writes them ("sounds\dialogue\Line1.mp3") to real
// paths under the program's folder (or the folder set for sound data).
#include "Jentra/JTAudio.h"

#include "platform/paths.h"

#include <algorithm>
#include <mutex>

namespace {
std::mutex gFolderLock;
std::string gDataFolder;
} // namespace

void JTSetDataFolder(const char* folder) {
    std::lock_guard<std::mutex> lock(gFolderLock);
    gDataFolder = folder ? folder : "";
}

std::string JTResolveDataPath(const char* name) {
    std::filesystem::path base;
    {
        std::lock_guard<std::mutex> lock(gFolderLock);
        base = gDataFolder;
    }
    if (base.empty()) base = platform::ProgramFolder();
    std::string text = name ? name : "";
    if (auto found = platform::ResolvePath(base, text)) return found->string();
    // Missing: the path as written, so the report names what was looked for.
    std::replace(text.begin(), text.end(), '\\', '/');
    return (base / text).string();
}
