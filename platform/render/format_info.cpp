// Pixel format facts of the device. The colour and DXT layouts are the
// image layer's; luminance and bump formats are the device's own additions.
#include "platform/render/format_info.h"

#include "platform/image/image.h"

namespace platform::render {

namespace {

image::PixelFormat AsImageFormat(D3DFORMAT format) {
    return image::PixelFormat(uint32_t(format));
}

int ExtraBytesPerPixel(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8:
    case D3DFMT_L8:
        return 1;
    case D3DFMT_A8L8:
    case D3DFMT_V8U8:
        return 2;
    default:
        return 0;
    }
}

} // namespace

bool IsCompressedFormat(D3DFORMAT format) {
    return image::IsCompressed(AsImageFormat(format));
}

bool IsDepthFormat(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D32:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D16:
        return true;
    default:
        return false;
    }
}

bool IsTextureFormat(D3DFORMAT format) {
    return FormatRowPitch(format, 1) > 0;
}

bool IsRenderTargetFormat(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
        return true;
    default:
        return false;
    }
}

size_t FormatRowPitch(D3DFORMAT format, int width) {
    if (width <= 0) return 0;
    if (int bytes = ExtraBytesPerPixel(format)) return size_t(width) * size_t(bytes);
    return image::RowPitch(AsImageFormat(format), width);
}

size_t FormatLevelSize(D3DFORMAT format, int width, int height) {
    if (height <= 0) return 0;
    if (ExtraBytesPerPixel(format)) return FormatRowPitch(format, width) * size_t(height);
    return image::LevelSize(AsImageFormat(format), width, height);
}

} // namespace platform::render
