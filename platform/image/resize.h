// Stretching pictures: to any size with a tent filter, and up to the next
// powers of two the way texture loaders did for devices that needed them.
#pragma once

#include "platform/image/image.h"

namespace platform::image {

// A 32-bit BGRA picture (A8R8G8B8 or X8R8G8B8) resampled to width x height.
// Each output pixel weighs the source pixels under it with a tent whose
// width grows with the reduction, so shrinking does not alias.
Image ResizeImage(const Image& bgra, int width, int height);

struct TextureSize {
    int width = 0;
    int height = 0;
};

// The size of the texture a picture of width x height becomes: each side
// rounded up to the next power of two (unchanged when it is one); where
// that would have more than kMaxImagePixels, its longer side is halved
// until it has not, so such a picture is shrunk instead.
TextureSize PowerOfTwoSize(int width, int height);

// The picture resampled to PowerOfTwoSize.
Image StretchToPowerOfTwo(const Image& bgra);

} // namespace platform::image
