// Writing a data file only when its bytes differ from the file already there.
#include "tools/databuilder/shared/write_if_changed.h"

#include <algorithm>
#include <vector>

#include "platform/binary_io.h"

namespace databuilder {

bool WriteFileIfChanged(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                        std::string* error) {
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(path, sizeError);
    if (!sizeError && size == bytes.size()) {
        std::vector<uint8_t> existing;
        if (platform::ReadWholeFile(path, existing) &&
            std::equal(existing.begin(), existing.end(), bytes.begin(), bytes.end()))
            return true;
    }
    return platform::WriteWholeFile(path, bytes, error);
}

} // namespace databuilder
