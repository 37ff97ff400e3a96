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
// the file's Huffman-coded data could describe is refused from its header;
// arithmetic coding has no such bound. A picture of more than
// kMaxImagePixels is decoded at the smallest of 1/2, 1/4 and 1/8 scale
// that brings it within (so the result is smaller than its header says);
// one whose scans keep the whole picture while decoding (progressive) is
// refused instead. A shortage of memory, ours or libjpeg's, is reported as
// such (image_error.h).
bool DecodeJpeg(std::span<const uint8_t> bytes, Image& out, std::string* error = nullptr);

// The picture's size from its header, without decoding a pixel. Only the
// arithmetic-coded kind can claim a huge picture in a few bytes and be
// right: callers with a limit of their own learn of it here.
bool ReadJpegSize(std::span<const uint8_t> bytes, int& width, int& height,
                  std::string* error = nullptr);

// A 32-bit BGRA (alpha ignored) or R8G8B8 picture at quality 1..100.
bool EncodeJpeg(const Image& image, int quality, std::vector<uint8_t>& out,
                std::string* error = nullptr);

} // namespace platform::image
