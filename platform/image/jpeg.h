// JPEG pictures through libjpeg-turbo: decoding for the texture loaders,
// encoding for the data builder.
#pragma once

#include "platform/image/image.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform::image {

// Colour or grey JPEGs become X8R8G8B8 with alpha 255. A damaged stream is
// refused with libjpeg's reason; nothing is printed. A picture larger than
// the file's Huffman-coded data could describe is refused from its header.
bool DecodeJpeg(std::span<const uint8_t> bytes, Image& out, std::string* error = nullptr);

// A 32-bit BGRA (alpha ignored) or R8G8B8 picture at quality 1..100.
bool EncodeJpeg(const Image& image, int quality, std::vector<uint8_t>& out,
                std::string* error = nullptr);

} // namespace platform::image
