// Stretching pictures: to any size with a tent filter, and up to the next
// powers of two the way texture loaders did for devices that needed them.
#pragma once

#include "platform/image/image.h"

namespace platform::image {

// A 32-bit BGRA picture (A8R8G8B8 or X8R8G8B8) resampled to width x height.
// Each output pixel weighs the source pixels under it with a tent whose
// width grows with the reduction, so shrinking does not alias.
Image ResizeImage(const Image& bgra, int width, int height);

// Each side rounded up to the next power of two (unchanged when it is one).
Image StretchToPowerOfTwo(const Image& bgra);

} // namespace platform::image
