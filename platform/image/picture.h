// Reading a picture file of any kind the engines use, told apart by its
// first bytes the way texture loaders did, not by its name.
#pragma once

#include "platform/image/image.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace platform::image {

enum class PictureKind { Jpeg, Bmp, Dds, Tga };

// JPEG (FF D8), BMP ("BM"), DDS ("DDS "); anything else is tried as Targa,
// which has no mark of its own.
PictureKind SniffPicture(std::span<const uint8_t> bytes);

// The picture as a 32-bit BGRA image (A8R8G8B8 when the file has alpha, else
// X8R8G8B8); for a DDS, its first face's largest level.
bool DecodePicture(std::span<const uint8_t> bytes, Image& out, std::string* error = nullptr);

// The size its header claims, without decoding (for a DDS, its largest
// level). Lets a caller with a limit of its own refuse a picture before its
// pixels take memory; false when the header cannot be read.
bool ReadPictureSize(std::span<const uint8_t> bytes, int& width, int& height,
                     std::string* error = nullptr);

// Reads the file and decodes it; the error names the file.
bool LoadPictureFile(const std::filesystem::path& path, Image& out, std::string* error = nullptr);

} // namespace platform::image
