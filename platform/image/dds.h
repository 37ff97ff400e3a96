// DirectDraw surface files: the texture cache of both engines. The reader
// takes DXT1 to DXT5 and uncompressed pixels described by bit count and
// masks, with mip chains and cube maps; the writer produces the header the
// engines have always written.
#pragma once

#include "platform/image/image.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace platform::image {

constexpr size_t kDdsHeaderSize = 4 + 124;

// Every size and count is checked against the bytes there: a truncated file,
// or one whose levels or faces need more bytes than it holds, is refused.
// Uncompressed pixels keep their format when it is one of PixelFormat's;
// other mask layouts (and 8-bit luminance) are turned into A8R8G8B8 or
// X8R8G8B8. A mip count above 1 is binding, with or without its flag. A cube
// map must hold all six faces; volume textures are refused.
bool DecodeDds(std::span<const uint8_t> bytes, TextureImage& out, std::string* error = nullptr);

// "DDS ", then the 124-byte description: size 124, flags 0x1007, height,
// width, pitch 0, depth 0, mip count, reserved zero, pixel format (size 32,
// flags, four-character code, bit count, red, green, blue and alpha masks),
// caps 0x1800 (a cube map adds 0x8 and the six face bits 0xFE00 in caps 2),
// zero; then every level's bytes (face by face for a cube). Only the formats
// of PixelFormat can be written.
bool EncodeDds(const TextureImage& texture, std::vector<uint8_t>& out,
               std::string* error = nullptr);
bool WriteDdsFile(const std::filesystem::path& path, const TextureImage& texture,
                  std::string* error = nullptr);

// A single picture as a one-level, one-face texture.
TextureImage SingleLevelTexture(Image image);

} // namespace platform::image
