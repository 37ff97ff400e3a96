// Pixel format facts and level sizes.
#include "platform/image/image.h"

#include <algorithm>

namespace platform::image {

bool IsCompressed(PixelFormat format) {
    switch (format) {
    case PixelFormat::DXT1:
    case PixelFormat::DXT2:
    case PixelFormat::DXT3:
    case PixelFormat::DXT4:
    case PixelFormat::DXT5:
        return true;
    default:
        return false;
    }
}

bool HasAlphaChannel(PixelFormat format) {
    switch (format) {
    case PixelFormat::A8R8G8B8:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4:
    case PixelFormat::DXT2:
    case PixelFormat::DXT3:
    case PixelFormat::DXT4:
    case PixelFormat::DXT5:
        return true;
    default:
        return false;
    }
}

int BitsPerPixel(PixelFormat format) {
    switch (format) {
    case PixelFormat::R8G8B8:
        return 24;
    case PixelFormat::A8R8G8B8:
    case PixelFormat::X8R8G8B8:
        return 32;
    case PixelFormat::R5G6B5:
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X4R4G4B4:
    case PixelFormat::V8U8:
        return 16;
    default:
        return 0;
    }
}

size_t RowPitch(PixelFormat format, int width) {
    if (width <= 0) return 0;
    if (IsCompressed(format)) {
        const size_t blockBytes = format == PixelFormat::DXT1 ? 8 : 16;
        return size_t((width + 3) / 4) * blockBytes;
    }
    return size_t(width) * size_t(BitsPerPixel(format) / 8);
}

int StoredRows(PixelFormat format, int height) {
    if (height <= 0) return 0;
    return IsCompressed(format) ? (height + 3) / 4 : height;
}

size_t LevelSize(PixelFormat format, int width, int height) {
    return RowPitch(format, width) * size_t(StoredRows(format, height));
}

const char* FormatName(PixelFormat format) {
    switch (format) {
    case PixelFormat::R8G8B8:
        return "R8G8B8";
    case PixelFormat::A8R8G8B8:
        return "A8R8G8B8";
    case PixelFormat::X8R8G8B8:
        return "X8R8G8B8";
    case PixelFormat::R5G6B5:
        return "R5G6B5";
    case PixelFormat::X1R5G5B5:
        return "X1R5G5B5";
    case PixelFormat::A1R5G5B5:
        return "A1R5G5B5";
    case PixelFormat::A4R4G4B4:
        return "A4R4G4B4";
    case PixelFormat::X4R4G4B4:
        return "X4R4G4B4";
    case PixelFormat::V8U8:
        return "V8U8";
    case PixelFormat::DXT1:
        return "DXT1";
    case PixelFormat::DXT2:
        return "DXT2";
    case PixelFormat::DXT3:
        return "DXT3";
    case PixelFormat::DXT4:
        return "DXT4";
    case PixelFormat::DXT5:
        return "DXT5";
    default:
        return "XXX";
    }
}

Image MakeImage(PixelFormat format, int width, int height) {
    Image image;
    image.format = format;
    image.width = width;
    image.height = height;
    image.pixels.assign(LevelSize(format, width, height), 0);
    return image;
}

int FullMipCount(int width, int height) {
    int side = std::max(width, height);
    int count = 1;
    while (side > 1) {
        side /= 2;
        ++count;
    }
    return count;
}

int MipSide(int size, int mip) {
    for (int i = 0; i < mip && size > 1; ++i)
        size /= 2;
    return std::max(size, 1);
}

int NextPowerOfTwo(int size) {
    int p = 1;
    while (p < size && p < (1 << 30))
        p *= 2;
    return p;
}

} // namespace platform::image
