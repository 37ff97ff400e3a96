// JPEG-2000 pictures through OpenJPEG: decoding the compressed textures
// Lumivane installs (JP2 files and bare code streams), encoding for the data
// builder and the tests that need such files.
#pragma once

#include "platform/image/image.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform::image {

enum class Jpeg2000Kind { Unknown, Jp2, CodeStream };

// A JP2 file starts with its signature box, a bare code stream with the
// markers SOC and SIZ.
Jpeg2000Kind SniffJpeg2000(std::span<const uint8_t> bytes);

// Decodes a JP2 file or a code stream (told apart by SniffJpeg2000) to
// X8R8G8B8, or A8R8G8B8 when the picture has an alpha component. Grey,
// grey with alpha, RGB and RGBA pictures are taken, and YCbCr ones are
// turned into RGB; components of any precision up to 16 bits, signed or
// not, and subsampled ones are brought to 8 bits at full size. The code
// stream's size marker is checked before the decoder sees the file: a
// picture wider or higher than maxSide, or with more tiles than the
// stream's length can hold, is refused before any memory is taken for it.
// A picture of more than kMaxImagePixels is decoded at the largest of the
// smaller resolutions the stream holds that stays within (so the result
// is smaller than its header says), or refused when it holds none.
// A truncated or damaged stream is refused (strict decoding: no partial
// pictures), so is one that memory cannot hold; nothing is printed.
bool DecodeJpeg2000(std::span<const uint8_t> bytes, Image& out, std::string* error = nullptr,
                    int maxSide = kMaxImageSide);

// Encodes an X8R8G8B8 (three components) or A8R8G8B8 (four) picture
// losslessly, as a JP2 file or as a bare code stream.
bool EncodeJpeg2000(const Image& bgra, Jpeg2000Kind kind, std::vector<uint8_t>& out,
                    std::string* error = nullptr);

} // namespace platform::image
