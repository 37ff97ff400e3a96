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

// Pixel format flags of the description.
constexpr uint32_t kDdsPixelAlpha = 0x1;
constexpr uint32_t kDdsPixelFourCC = 0x4;
constexpr uint32_t kDdsPixelRgb = 0x40;
constexpr uint32_t kDdsPixelLuminance = 0x20000;
constexpr uint32_t kDdsPixelBumpDuDv = 0x80000;

// The fields of the 124-byte surface description that readers use.
struct DdsHeader {
    uint32_t flags = 0, height = 0, width = 0, pitch = 0, depth = 0, mipCount = 0;
    struct {
        uint32_t flags = 0, fourCC = 0, bits = 0, red = 0, green = 0, blue = 0, alpha = 0;
    } pixelFormat;
    uint32_t caps = 0, caps2 = 0;
};

enum class DdsHeaderStatus {
    Ok,
    NotDds,    // the first four bytes are not "DDS "
    Truncated, // fewer bytes than the magic and the description
    BadSize,   // the description does not say it is 124 bytes
};

// Reads the magic and the description; the pixels follow at kDdsHeaderSize.
// Nothing is checked beyond the three failures above.
DdsHeaderStatus ReadDdsHeader(std::span<const uint8_t> bytes, DdsHeader& out);

// The format of uncompressed pixels the description names exactly (bit
// count and masks, as the writer describes them), else Unknown.
PixelFormat DdsUncompressedFormat(const DdsHeader& header);

// Every size and count is checked against the bytes there: a truncated file,
// or one whose levels or faces need more bytes than it holds, is refused.
// Uncompressed pixels keep their format when it is one of PixelFormat's;
// other mask layouts (and 8-bit luminance) are turned into A8R8G8B8 or
// X8R8G8B8. Bump offsets (du in the low byte, dv in the high one) are read
// as V8U8. A mip count above 1 is binding, with or without its flag. A cube
// map must hold all six faces; volume textures are refused. A texture whose
// largest level (all six faces of a cube map) has more than kMaxImagePixels
// is refused from its header.
bool DecodeDds(std::span<const uint8_t> bytes, TextureImage& out, std::string* error = nullptr);

// "DDS ", then the 124-byte description: size 124, flags 0x1007, height,
// width, pitch 0, depth 0, mip count, reserved zero, pixel format (size 32,
// flags, four-character code, bit count, red, green, blue and alpha masks),
// caps 0x1800 (a cube map adds 0x8 and the six face bits 0xFE00 in caps 2),
// zero; then every level's bytes (face by face for a cube). Only the formats
// of PixelFormat can be written; V8U8 is described as bump offsets (flag
// 0x80000, 16 bits, du mask 0xFF, dv mask 0xFF00, luminance mask 0).
bool EncodeDds(const TextureImage& texture, std::vector<uint8_t>& out,
               std::string* error = nullptr);
bool WriteDdsFile(const std::filesystem::path& path, const TextureImage& texture,
                  std::string* error = nullptr);

// A single picture as a one-level, one-face texture.
TextureImage SingleLevelTexture(Image image);

} // namespace platform::image
