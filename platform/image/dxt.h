// DXT (S3TC) block compression and decompression through libsquish.
#pragma once

#include "platform/image/image.h"

#include <string>

namespace platform::image {

// An A8R8G8B8 or X8R8G8B8 picture as DXT1 to DXT5 (DXT2 and DXT4 are made as
// DXT3 and DXT5 blocks). Sides need not be multiples of 4. An X8R8G8B8
// source, having no alpha, never gives transparent DXT1 blocks.
bool CompressDxt(const Image& source, PixelFormat to, Image& out, std::string* error = nullptr);

// DXT blocks back to A8R8G8B8; an empty image when the blocks do not match
// the size.
Image DecompressDxt(const Image& source);

} // namespace platform::image
