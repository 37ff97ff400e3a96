// Converting pictures between pixel formats. Everything passes through 32-bit
// BGRA (A8R8G8B8); DXT blocks are made and read by libsquish.
#pragma once

#include "platform/image/image.h"

#include <string>

namespace platform::image {

// Any picture as A8R8G8B8; formats without alpha give alpha 255. An empty
// image for Unknown, V8U8 or pixels that do not match the size.
Image ToBgra8(const Image& source);

// `source` in the format `to` (any of PixelFormat but Unknown). Narrower
// channels keep the top bits of each 8-bit channel; wider ones repeat their
// bits. Going to a format without alpha drops it; going to DXT1 from a
// picture without alpha never makes transparent blocks.
bool ConvertImage(const Image& source, PixelFormat to, Image& out, std::string* error = nullptr);

// Turns upside down in place (rows only; not for DXT).
void FlipRows(Image& image);

} // namespace platform::image
