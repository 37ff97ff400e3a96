// Targa files: reading the true-colour and grey kinds (plain or run-length),
// writing uncompressed true colour with the bottom row first.
#pragma once

#include "platform/image/image.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace platform::image {

// The 18-byte header's fields, for callers with rules of their own (the
// bits a pixel decide whether a Targa has alpha).
struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t colourMapType = 0;
    uint8_t imageType = 0;
    uint16_t colourMapLength = 0;
    uint8_t colourMapEntryBits = 0;
    int width = 0;
    int height = 0;
    uint8_t bitsPerPixel = 0;
    uint8_t descriptor = 0;
};

bool ReadTgaHeader(std::span<const uint8_t> bytes, TgaHeader& out, std::string* error = nullptr);

// Types 2 and 10 (true colour, 15, 16, 24 or 32 bits) and 3 and 11 (8-bit
// grey); either row order and direction. The result is A8R8G8B8 for 32-bit
// files, else X8R8G8B8 with alpha 255. A picture larger than the file could
// hold (its pixel bytes, or 128 pixels a run-length packet) is refused from
// its header, as is one wider or higher than kMaxImageSide or of more than
// kMaxImagePixels.
bool DecodeTga(std::span<const uint8_t> bytes, Image& out, std::string* error = nullptr);

// Header: id length 0, no colour map, type 2, origin 0, 0, width, height,
// 24 or 32 bits, descriptor 0; then the pixels blue, green, red (and alpha),
// bottom row first. R8G8B8 and X8R8G8B8 give 24 bits, A8R8G8B8 32.
bool EncodeTga(const Image& image, std::vector<uint8_t>& out, std::string* error = nullptr);
bool WriteTgaFile(const std::filesystem::path& path, const Image& image,
                  std::string* error = nullptr);

} // namespace platform::image
