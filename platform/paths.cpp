// Case-insensitive path resolution and the program's and user's folders.
#include "platform/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace fs = std::filesystem;

namespace platform {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

std::vector<std::string> SplitName(std::string_view name) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = name.size();
        if (end > start) parts.emplace_back(name.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The entry of `folder` named `component` in any letter case.
std::optional<fs::path> FindEntry(const fs::path& folder, const std::string& component) {
    std::error_code ec;
    fs::path exact = folder / component;
    if (fs::exists(fs::symlink_status(exact, ec))) return exact;
    std::optional<std::string> best;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (EqualsIgnoreCase(entry, component) && (!best || entry < *best)) best = entry;
    }
    if (!best) return std::nullopt;
    return folder / *best;
}

enum class Missing {
    Refuse,   // every component must exist
    KeepLast, // the final component may be missing (a file to create)
    KeepAll,  // missing components keep their spelling (folders to create)
};

// Walks the components, matching each against its folder's entries.
std::optional<fs::path> Resolve(const fs::path& base, std::string_view name, Missing missing) {
    if (name.empty()) return std::nullopt;
    const bool absolute = name.front() == '/';
    const fs::path root = absolute ? fs::path("/") : base;
    std::vector<std::string> parts = SplitName(name);
    std::vector<fs::path> stack{root};
    std::error_code ec;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part == ".") continue;
        if (part == "..") {
            if (stack.size() == 1) return std::nullopt; // would leave the base
            stack.pop_back();
            continue;
        }
        const bool last = i + 1 == parts.size();
        if (missing == Missing::KeepAll) {
            std::optional<fs::path> found;
            if (fs::is_directory(stack.back(), ec)) found = FindEntry(stack.back(), part);
            stack.push_back(found ? *found : stack.back() / part);
            continue;
        }
        if (!last && !fs::is_directory(stack.back(), ec)) return std::nullopt;
        std::optional<fs::path> found = FindEntry(stack.back(), part);
        if (!found) {
            if (last && missing == Missing::KeepLast && fs::is_directory(stack.back(), ec))
                found = stack.back() / part;
            else
                return std::nullopt;
        }
        stack.push_back(*found);
    }
    return stack.back();
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return ".";
}

} // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::optional<fs::path> ResolvePath(const fs::path& base, std::string_view name) {
    return Resolve(base, name, Missing::Refuse);
}

std::optional<fs::path> ResolvePathForCreate(const fs::path& base, std::string_view name) {
    return Resolve(base, name, Missing::KeepLast);
}

std::optional<fs::path> ResolvePathLeniently(const fs::path& base, std::string_view name) {
    return Resolve(base, name, Missing::KeepAll);
}

fs::path ProgramFolder() {
    if (const char* dir = std::getenv("JENTRA_RUNTIME_DIR"); dir && *dir) return dir;
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return fs::current_path(ec);
    return exe.parent_path();
}

fs::path UserDataFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        return fs::path(xdg) / "quellmar";
    return fs::path(HomeFolder()) / ".local" / "share" / "quellmar";
}

} // namespace platform
