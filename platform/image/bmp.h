// Windows bitmap files: reading the common uncompressed kinds, writing the
// 24-bit kind (screenshots, Lumivane's load screens).
#pragma once

#include "platform/image/image.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace platform::image {

// Reads a bitmap of 1, 4 or 8 bits with a palette, or 16, 24 or 32 bits
// (plain or with bit masks), stored bottom-up or top-down. The result is
// X8R8G8B8 with alpha 255, or A8R8G8B8 when the file's masks carry alpha.
// A bitmap of more than kMaxImagePixels is refused from its header.
bool DecodeBmp(std::span<const uint8_t> bytes, Image& out, std::string* error = nullptr);

// The picture's size from the headers, which are checked as DecodeBmp
// checks them; no pixel is read.
bool ReadBmpSize(std::span<const uint8_t> bytes, int& width, int& height,
                 std::string* error = nullptr);

// A 24-bit bitmap: 14-byte file header ("BM", file size, 0, pixel offset 54),
// 40-byte info header (width, positive height, 1 plane, 24 bits, every other
// field 0), then the rows bottom first, blue-green-red, each padded to a
// multiple of 4 bytes. Takes R8G8B8, X8R8G8B8 or A8R8G8B8 (alpha dropped).
bool EncodeBmp(const Image& image, std::vector<uint8_t>& out, std::string* error = nullptr);
bool WriteBmpFile(const std::filesystem::path& path, const Image& image,
                  std::string* error = nullptr);

} // namespace platform::image
