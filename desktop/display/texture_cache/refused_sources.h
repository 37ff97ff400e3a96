// The sources the texture cache could not decode. Such a ".tex" file stays
// where it is (nothing installed is deleted unconverted), but trying it
// again on every start would cost every start the same work for the same
// refusal; so the cache remembers it, by its size and modification time,
// and passes it over until either changes. The list is a small text file
// in the data root, one line a file: size, time, then the path below the
// root.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace lumivane {

inline constexpr const char* kRefusedSourcesFile = "TextureCacheRefused.txt";

class RefusedSources {
public:
    // Reads the list of the data root; a missing or unreadable list, and
    // lines that do not parse, remember nothing.
    explicit RefusedSources(std::filesystem::path dataRoot);

    // Whether the file was refused as it is now (same size and time).
    bool Holds(const std::filesystem::path& file) const;
    // Remembers the file as it is now.
    void Remember(const std::filesystem::path& file);
    // Writes the list back with the files that are still there unchanged;
    // with none it removes the list. False when it cannot be written.
    bool Save(std::string* error = nullptr) const;

private:
    struct Stamp {
        uint64_t size = 0;
        int64_t time = 0;
        bool operator==(const Stamp&) const = default;
    };
    static bool StampOf(const std::filesystem::path& file, Stamp& stamp);
    std::string Key(const std::filesystem::path& file) const;

    std::filesystem::path root_;
    std::map<std::string, Stamp> files_; // by path below the root
};

} // namespace lumivane
