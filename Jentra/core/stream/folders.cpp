// Folder creation for files about to be saved: every missing folder of a
// path is made, parents first.
#include "Jentra/JTFile.h"

#include "Jentra/JTDataFolder.h"
#include "platform/paths.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr size_t kMaxPath = 4096;

bool MakeFolder(const char* path) {
    auto real = platform::ResolvePathLeniently(JTDataFolder(), path);
    if (!real) return false;
    if (mkdir(real->c_str(), 0777) == 0) return true;
    struct stat st;
    return errno == EEXIST && stat(real->c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Index of the last separator in path, or -1.
long LastSeparator(const char* path) {
    long last = -1;
    for (long i = 0; path[i]; ++i)
        if (path[i] == '\\' || path[i] == '/') last = i;
    return last;
}

} // namespace

void JTFile::CreateDirectoryRecurse(const char* path) {
    if (!path || !*path) return;
    if (MakeFolder(path)) return;
    size_t n = std::strlen(path);
    if (n >= kMaxPath) return;
    char parent[kMaxPath];
    std::memcpy(parent, path, n + 1);
    long cut = LastSeparator(parent);
    if (cut <= 0) return; // no parent to make (or the root)
    parent[cut] = '\0';
    CreateDirectoryRecurse(parent);
    MakeFolder(path);
}

void JTFile::EnsureFilePathExists(const char* path) {
    if (!path) return;
    size_t n = std::strlen(path);
    if (n >= kMaxPath) return;
    long cut = LastSeparator(path);
    if (cut < 0) return;
    char folder[kMaxPath];
    std::memcpy(folder, path, n + 1);
    // A path ending in a separator names the folder itself.
    if (size_t(cut) != n - 1) folder[cut] = '\0';
    CreateDirectoryRecurse(folder);
}
