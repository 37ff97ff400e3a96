// Mip chains: each level made from the level above it with a box filter.
#pragma once

#include "platform/image/image.h"

#include <string>
#include <vector>

namespace platform::image {

// The level below a 32-bit BGRA picture (A8R8G8B8 or X8R8G8B8): each side
// halved (never below 1), each pixel the rounded mean of the 2 x 2 pixels
// above it; an odd last row or column is repeated.
Image HalveImage(const Image& bgra);

// `count` levels starting with `top` (0 or more than possible: down to 1 x 1).
std::vector<Image> BuildMipChain(const Image& top, int count = 0);

// A one-face texture in `format` from a 32-bit BGRA top level: the mip chain
// (count as above) made in BGRA, then every level converted.
bool BuildTexture(Image top, PixelFormat format, int mipCount, TextureImage& out,
                  std::string* error = nullptr);

} // namespace platform::image
