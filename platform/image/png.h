// PNG pictures through libpng: the test suites' reference pictures and the
// developers' view of screenshots and rendered frames.
#pragma once

#include "platform/image/image.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace platform::image {

// Any PNG becomes A8R8G8B8 (opaque when it has no alpha). A damaged file is
// refused with libpng's reason; nothing is printed. A picture larger than
// the file's compressed data could hold is refused from its header, and so
// is one of more than kMaxImagePixels.
bool DecodePng(std::span<const uint8_t> bytes, Image& out, std::string* error = nullptr);

// An R8G8B8, X8R8G8B8 or A8R8G8B8 picture as an 8-bit RGB (or RGBA, when
// withAlpha) PNG at the highest compression.
bool EncodePng(const Image& image, bool withAlpha, std::vector<uint8_t>& out,
               std::string* error = nullptr);
bool WritePngFile(const std::filesystem::path& path, const Image& image, bool withAlpha,
                  std::string* error = nullptr);

} // namespace platform::image
