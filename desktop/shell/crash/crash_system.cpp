// Process and machine facts for crash reports.
#include "desktop/shell/crash/crash_system.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace lumivane {

namespace fs = std::filesystem;

namespace {

struct Mapping {
    uint64_t start;
    uint64_t end;
    std::string path;
};

std::vector<Mapping> ReadMappings() {
    std::vector<Mapping> mappings;
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        std::istringstream fields(line);
        std::string range, permissions, offset, device, inode;
        if (!(fields >> range >> permissions >> offset >> device >> inode)) continue;
        Mapping mapping{};
        if (std::sscanf(range.c_str(), "%" SCNx64 "-%" SCNx64, &mapping.start, &mapping.end) != 2)
            continue;
        std::getline(fields >> std::ws, mapping.path);
        mappings.push_back(std::move(mapping));
    }
    return mappings;
}

bool IsDirectory(const fs::path& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

} // namespace

std::vector<LoadedModule> LoadedModules() {
    std::vector<LoadedModule> modules;
    std::set<std::string> seen;
    for (const Mapping& mapping : ReadMappings()) {
        if (mapping.path.empty() || mapping.path[0] != '/') continue;
        if (seen.insert(mapping.path).second) modules.push_back({mapping.path, mapping.start});
    }
    return modules;
}

std::string ModuleNameAt(uint64_t address) {
    for (const Mapping& mapping : ReadMappings()) {
        if (address < mapping.start || address >= mapping.end) continue;
        if (mapping.path.empty() || mapping.path[0] != '/') return "Unknown";
        return fs::path(mapping.path).filename().string();
    }
    return "Unknown";
}

std::string ProgramPath() {
    std::error_code ec;
    fs::path path = fs::read_symlink("/proc/self/exe", ec);
    return ec ? "Unknown" : path.string();
}

std::string ProgramNameOnly() {
    std::error_code ec;
    fs::path path = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "Unknown";
    std::string name = path.stem().string();
    return name.empty() ? "Unknown" : name;
}

std::string UserName() {
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found &&
        found->pw_name && *found->pw_name)
        return found->pw_name;
    const char* user = std::getenv("USER");
    return user && *user ? user : "Unknown";
}

int ProcessorCount() {
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? int(count) : 1;
}

int ProcessorType() {
#if defined(__x86_64__)
    return 8664;
#elif defined(__i386__)
    return 386;
#else
    return 0;
#endif
}

uint64_t PhysicalMemoryMegabytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    const uint64_t bytes = uint64_t(pages) * uint64_t(pageSize);
    constexpr uint64_t kMegabyte = 1024 * 1024;
    return (bytes + kMegabyte - 1) / kMegabyte;
}

std::string ReportTime(std::time_t when) {
    std::tm local{};
    if (!localtime_r(&when, &local)) return "0/0/0 00:00:00";
    char text[64];
    std::snprintf(text, sizeof text, "%d/%d/%d %02d:%02d:%02d", local.tm_mon + 1, local.tm_mday,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec / 2 * 2);
    return text;
}

fs::path ReportFolder() {
    if (const char* desktop = std::getenv("XDG_DESKTOP_DIR"); desktop && IsDirectory(desktop))
        return desktop;
    if (const char* home = std::getenv("HOME"); home && *home) {
        fs::path folder = fs::path(home) / "Desktop";
        if (IsDirectory(folder)) return folder;
    }
    std::error_code ec;
    fs::path current = fs::current_path(ec);
    return ec ? fs::path(".") : current;
}

} // namespace lumivane
