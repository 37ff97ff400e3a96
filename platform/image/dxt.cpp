// DXT through libsquish, which wants RGBA byte order.
#include "platform/image/dxt.h"

#include "platform/image/image_error.h"

#include <squish.h>

#include <algorithm>
#include <cstring>

namespace platform::image {

namespace {

int SquishFlags(PixelFormat format) {
    switch (format) {
    case PixelFormat::DXT1:
        return squish::kDxt1;
    case PixelFormat::DXT2:
    case PixelFormat::DXT3:
        return squish::kDxt3;
    case PixelFormat::DXT4:
    case PixelFormat::DXT5:
        return squish::kDxt5;
    default:
        return 0;
    }
}

// BGRA and RGBA differ by swapping bytes 0 and 2 of every pixel.
void SwapRedBlue(std::vector<uint8_t>& pixels) {
    for (size_t i = 0; i + 3 < pixels.size(); i += 4)
        std::swap(pixels[i], pixels[i + 2]);
}

} // namespace

bool CompressDxt(const Image& source, PixelFormat to, Image& out, std::string* error) {
    const int flags = SquishFlags(to);
    if (!flags) return ImageFail(error, std::string(FormatName(to)) + " is not a DXT format");
    if (source.format != PixelFormat::A8R8G8B8 && source.format != PixelFormat::X8R8G8B8)
        return ImageFail(error, "DXT blocks are made from 32-bit pictures only");
    if (source.width <= 0 || source.height <= 0 ||
        source.pixels.size() != LevelSize(source.format, source.width, source.height))
        return ImageFail(error, "picture size does not match its pixels");
    std::vector<uint8_t> rgba = source.pixels;
    SwapRedBlue(rgba);
    if (source.format == PixelFormat::X8R8G8B8)
        for (size_t i = 3; i < rgba.size(); i += 4)
            rgba[i] = 255;
    Image result = MakeImage(to, source.width, source.height);
    squish::CompressImage(rgba.data(), source.width, source.height, result.pixels.data(), flags);
    out = std::move(result);
    return true;
}

Image DecompressDxt(const Image& source) {
    const int flags = SquishFlags(source.format);
    if (!flags || source.width <= 0 || source.height <= 0 ||
        source.pixels.size() != LevelSize(source.format, source.width, source.height))
        return {};
    Image out = MakeImage(PixelFormat::A8R8G8B8, source.width, source.height);
    // Block by block on this thread: the library's whole-image call hands
    // every picture to a team of worker threads that keep spinning after
    // each one. Textures are many and small, so those threads cost more
    // than they save, and they take the processor from the program's own
    // work wherever it runs at a low priority (as a screensaver does).
    const int blockBytes = (flags & squish::kDxt1) ? 8 : 16;
    const uint8_t* block = source.pixels.data();
    for (int y = 0; y < source.height; y += 4) {
        for (int x = 0; x < source.width; x += 4, block += blockBytes) {
            uint8_t texels[4 * 4 * 4];
            squish::Decompress(texels, block, flags);
            for (int row = 0; row < 4 && y + row < source.height; ++row) {
                const int columns = std::min(4, source.width - x);
                std::memcpy(out.pixels.data() +
                                (size_t(y + row) * size_t(source.width) + size_t(x)) * 4,
                            texels + row * 16, size_t(columns) * 4);
            }
        }
    }
    SwapRedBlue(out.pixels);
    return out;
}

} // namespace platform::image
