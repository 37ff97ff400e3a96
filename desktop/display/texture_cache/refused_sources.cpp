// The texture cache's list of refused sources.
#include "desktop/display/texture_cache/refused_sources.h"

#include "platform/binary_io.h"

#include <sstream>
#include <system_error>

namespace lumivane {

RefusedSources::RefusedSources(std::filesystem::path dataRoot) : root_(std::move(dataRoot)) {
    std::string text;
    std::error_code missing;
    if (!std::filesystem::is_regular_file(root_ / kRefusedSourcesFile, missing) ||
        !platform::ReadWholeFile(root_ / kRefusedSourcesFile, text, nullptr, 1 << 20))
        return;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        Stamp stamp;
        std::string path;
        if (!(fields >> stamp.size >> stamp.time)) continue;
        fields.get(); // the space before the path, which may hold spaces itself
        if (!std::getline(fields, path) || path.empty()) continue;
        files_[path] = stamp;
    }
}

bool RefusedSources::StampOf(const std::filesystem::path& file, Stamp& stamp) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error) return false;
    const auto time = std::filesystem::last_write_time(file, error);
    if (error) return false;
    stamp = {uint64_t(size), int64_t(time.time_since_epoch().count())};
    return true;
}

std::string RefusedSources::Key(const std::filesystem::path& file) const {
    return file.lexically_relative(root_).generic_string();
}

bool RefusedSources::Holds(const std::filesystem::path& file) const {
    const auto found = files_.find(Key(file));
    Stamp now;
    return found != files_.end() && StampOf(file, now) && now == found->second;
}

void RefusedSources::Remember(const std::filesystem::path& file) {
    Stamp now;
    if (StampOf(file, now)) files_[Key(file)] = now;
}

bool RefusedSources::Save(std::string* error) const {
    std::string text;
    for (const auto& [path, stamp] : files_)
        if (Holds(root_ / path))
            text +=
                std::to_string(stamp.size) + " " + std::to_string(stamp.time) + " " + path + "\n";
    const std::filesystem::path list = root_ / kRefusedSourcesFile;
    if (text.empty()) {
        std::error_code ignored;
        std::filesystem::remove(list, ignored);
        return true;
    }
    return platform::WriteWholeFile(list, text, error);
}

} // namespace lumivane
