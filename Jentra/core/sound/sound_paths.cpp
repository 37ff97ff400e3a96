// Data names as the engine writes them ("sounds\dialogue\Line1.mp3") to real
// paths: backslashes become folders, and each part matches regardless of case.
#include "Jentra/JTAudio.h"

#include <cstring>
#include <filesystem>
#include <mutex>
#include <strings.h>

namespace {
std::mutex gFolderLock;
std::string gDataFolder;
} // namespace

void JTSetDataFolder(const char* folder) {
    std::lock_guard<std::mutex> lock(gFolderLock);
    gDataFolder = folder ? folder : "";
}

std::string JTResolveDataPath(const char* name) {
    namespace fs = std::filesystem;
    std::string root;
    {
        std::lock_guard<std::mutex> lock(gFolderLock);
        root = gDataFolder;
    }
    fs::path path = root.empty() ? fs::path(".") : fs::path(root);
    std::string part;
    const std::string text = name ? name : "";
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\\' && text[i] != '/') {
            part += text[i];
            continue;
        }
        if (part.empty() || part == ".") {
            part.clear();
            continue;
        }
        fs::path next = path / part;
        std::error_code error;
        if (!fs::exists(next, error)) {
            for (const auto& entry : fs::directory_iterator(path, error)) {
                if (strcasecmp(entry.path().filename().c_str(), part.c_str()) == 0) {
                    next = entry.path();
                    break;
                }
            }
        }
        path = next;
        part.clear();
    }
    return path.string();
}
