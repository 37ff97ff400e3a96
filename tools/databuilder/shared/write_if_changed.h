// Writing a data file only when its bytes differ from the file already
// there: the programs convert some files on their first start after a
// change (the texture cache judges by the file's time), so rewriting an
// unchanged file on every data build would make them convert it again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace databuilder {

// True when the file holds the bytes afterwards, whether written or not.
bool WriteFileIfChanged(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                        std::string* error = nullptr);

} // namespace databuilder
