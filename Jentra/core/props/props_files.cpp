// Prototype files on disk: the modules folder, whole-file reads and safe
// whole-file writes.
#include "Jentra/core/props/props_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace jentra::props {
namespace {

// Prototype files are a few hundred bytes; anything past this is not one.
constexpr long kLargestFile = 16L << 20;

std::filesystem::path ProgramFolder() {
    if (const char* runtime = std::getenv("JENTRA_RUNTIME_DIR"); runtime && *runtime)
        return runtime;
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : exe.parent_path();
}

std::string ModulesName(const std::string& name) {
    std::string path = name;
    for (char& c : path)
        if (c == '\\') c = '/';
    return (ProgramFolder() / "modules" / path).string();
}

} // namespace

std::string ModulesPath(const std::string& name) {
    std::string path = ModulesName(name);
    return std::filesystem::exists(path) ? path : std::string();
}

std::string ModulesPathForCreate(const std::string& name) {
    std::filesystem::path path = ModulesName(name);
    return std::filesystem::is_directory(path.parent_path()) ? path.string() : std::string();
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        if (error) *error = errno == ENOENT ? "" : path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && size <= kLargestFile && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    if (!ok && error) *error = path + ": cannot be read whole";
    return ok;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string* error) {
    std::string temporary = path + ".tmp" + std::to_string(getpid());
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        if (error) *error = path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = (std::fclose(file) == 0) && ok;
    ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        if (error) *error = path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
    }
    return ok;
}

} // namespace jentra::props
