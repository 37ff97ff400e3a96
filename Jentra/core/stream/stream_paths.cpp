// Case-insensitive resolution of the engine's backslash file names.
#include "Jentra/core/stream/stream_paths.h"

#include <cstring>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace jentra_stream {

namespace {

bool Exists(const char* path) {
    struct stat st;
    return lstat(path, &st) == 0;
}

// Replaces comp (len bytes, not terminated) by the spelling of the entry of
// folder that equals it ignoring case, when there is one.
void MatchIn(const char* folder, char* comp, size_t len) {
    DIR* dir = opendir(folder);
    if (!dir) return;
    while (struct dirent* e = readdir(dir)) {
        if (std::strlen(e->d_name) == len && strncasecmp(e->d_name, comp, len) == 0) {
            std::memcpy(comp, e->d_name, len);
            break;
        }
    }
    closedir(dir);
}

} // namespace

bool ResolvePath(const char* name, char* out, size_t outSize) {
    if (!name || !out || outSize == 0) return false;
    size_t n = std::strlen(name);
    if (n + 1 > outSize) return false;
    for (size_t i = 0; i <= n; ++i)
        out[i] = IsSeparator(name[i]) ? '/' : name[i];
    if (Exists(out)) return true;

    char folder[4096];
    size_t pos = 0;
    while (pos < n) {
        while (pos < n && out[pos] == '/')
            ++pos;
        size_t end = pos;
        while (end < n && out[end] != '/')
            ++end;
        if (end == pos) break;
        // out[0..pos) is the folder holding this component.
        char saved = out[end];
        out[end] = '\0';
        bool present = Exists(out);
        out[end] = saved;
        if (!present) {
            if (pos == 0) {
                std::strcpy(folder, ".");
            } else if (pos < sizeof folder) {
                std::memcpy(folder, out, pos);
                folder[pos] = '\0';
            } else {
                return true;
            }
            MatchIn(folder, out + pos, end - pos);
        }
        pos = end;
    }
    return true;
}

} // namespace jentra_stream
