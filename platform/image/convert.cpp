// Pixel format conversion through 32-bit BGRA.
#include "platform/image/convert.h"

#include "platform/image/dxt.h"
#include "platform/image/image_error.h"

#include <algorithm>
#include <cstring>

namespace platform::image {

namespace {

uint8_t Widen(uint32_t value, int bits) {
    switch (bits) {
    case 1:
        return value ? 255 : 0;
    case 4:
        return uint8_t(value * 17);
    case 5:
        return uint8_t(value << 3 | value >> 2);
    case 6:
        return uint8_t(value << 2 | value >> 4);
    default:
        return uint8_t(value);
    }
}

uint16_t Word(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

void PutWord(uint8_t* p, uint32_t word) {
    p[0] = uint8_t(word);
    p[1] = uint8_t(word >> 8);
}

// One pixel of an uncompressed format to B, G, R, A.
void ReadPixel(PixelFormat format, const uint8_t* p, uint8_t* bgra) {
    switch (format) {
    case PixelFormat::R8G8B8:
        bgra[0] = p[0], bgra[1] = p[1], bgra[2] = p[2], bgra[3] = 255;
        break;
    case PixelFormat::A8R8G8B8:
        std::memcpy(bgra, p, 4);
        break;
    case PixelFormat::X8R8G8B8:
        bgra[0] = p[0], bgra[1] = p[1], bgra[2] = p[2], bgra[3] = 255;
        break;
    case PixelFormat::R5G6B5: {
        const uint32_t w = Word(p);
        bgra[0] = Widen(w & 31, 5), bgra[1] = Widen(w >> 5 & 63, 6),
        bgra[2] = Widen(w >> 11 & 31, 5), bgra[3] = 255;
        break;
    }
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5: {
        const uint32_t w = Word(p);
        bgra[0] = Widen(w & 31, 5), bgra[1] = Widen(w >> 5 & 31, 5),
        bgra[2] = Widen(w >> 10 & 31, 5);
        bgra[3] = format == PixelFormat::A1R5G5B5 ? Widen(w >> 15, 1) : 255;
        break;
    }
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X4R4G4B4: {
        const uint32_t w = Word(p);
        bgra[0] = Widen(w & 15, 4), bgra[1] = Widen(w >> 4 & 15, 4),
        bgra[2] = Widen(w >> 8 & 15, 4);
        bgra[3] = format == PixelFormat::A4R4G4B4 ? Widen(w >> 12, 4) : 255;
        break;
    }
    default:
        break;
    }
}

void WritePixel(PixelFormat format, const uint8_t* bgra, uint8_t* p) {
    const uint32_t b = bgra[0], g = bgra[1], r = bgra[2], a = bgra[3];
    switch (format) {
    case PixelFormat::R8G8B8:
        p[0] = uint8_t(b), p[1] = uint8_t(g), p[2] = uint8_t(r);
        break;
    case PixelFormat::A8R8G8B8:
        std::memcpy(p, bgra, 4);
        break;
    case PixelFormat::X8R8G8B8:
        p[0] = uint8_t(b), p[1] = uint8_t(g), p[2] = uint8_t(r), p[3] = 255;
        break;
    case PixelFormat::R5G6B5:
        PutWord(p, (r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
        break;
    case PixelFormat::X1R5G5B5:
        PutWord(p, 0x8000 | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
        break;
    case PixelFormat::A1R5G5B5:
        PutWord(p, (a >> 7) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
        break;
    case PixelFormat::A4R4G4B4:
        PutWord(p, (a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | b >> 4);
        break;
    case PixelFormat::X4R4G4B4:
        PutWord(p, 0xF000 | (r >> 4) << 8 | (g >> 4) << 4 | b >> 4);
        break;
    default:
        break;
    }
}

bool SizeMatches(const Image& image) {
    return image.format != PixelFormat::Unknown && image.width > 0 && image.height > 0 &&
           image.pixels.size() == LevelSize(image.format, image.width, image.height);
}

} // namespace

Image ToBgra8(const Image& source) {
    if (!SizeMatches(source) || source.format == PixelFormat::V8U8) return {};
    if (source.format == PixelFormat::A8R8G8B8) return source;
    if (IsCompressed(source.format)) return DecompressDxt(source);
    Image out = MakeImage(PixelFormat::A8R8G8B8, source.width, source.height);
    const size_t bytes = size_t(BitsPerPixel(source.format) / 8);
    const size_t count = size_t(source.width) * size_t(source.height);
    for (size_t i = 0; i < count; ++i)
        ReadPixel(source.format, source.pixels.data() + i * bytes, out.pixels.data() + i * 4);
    return out;
}

bool ConvertImage(const Image& source, PixelFormat to, Image& out, std::string* error) {
    if (!SizeMatches(source)) return ImageFail(error, "picture size does not match its pixels");
    if (to == PixelFormat::Unknown) return ImageFail(error, "no target pixel format");
    if (source.format == to) {
        out = source;
        return true;
    }
    if (source.format == PixelFormat::V8U8 || to == PixelFormat::V8U8)
        return ImageFail(error, "bump offsets are not colours and are not converted");
    // A picture of 32-bit BGRA is read where it lies; any other is widened
    // to it first.
    Image widened;
    if (source.format != PixelFormat::A8R8G8B8) {
        widened = ToBgra8(source);
        if (!HasAlphaChannel(source.format))
            for (size_t i = 3; i < widened.pixels.size(); i += 4)
                widened.pixels[i] = 255;
    }
    const Image& bgra = source.format == PixelFormat::A8R8G8B8 ? source : widened;
    if (IsCompressed(to)) return CompressDxt(bgra, to, out, error);

    Image result = MakeImage(to, source.width, source.height);
    const size_t bytes = size_t(BitsPerPixel(to) / 8);
    const size_t count = size_t(source.width) * size_t(source.height);
    for (size_t i = 0; i < count; ++i)
        WritePixel(to, bgra.pixels.data() + i * 4, result.pixels.data() + i * bytes);
    out = std::move(result);
    return true;
}

void FlipRows(Image& image) {
    if (IsCompressed(image.format) || image.height < 2) return;
    const size_t pitch = RowPitch(image.format, image.width);
    if (image.pixels.size() < pitch * size_t(image.height)) return;
    for (int top = 0, bottom = image.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(image.pixels.begin() + long(pitch * size_t(top)),
                         image.pixels.begin() + long(pitch * size_t(top + 1)),
                         image.pixels.begin() + long(pitch * size_t(bottom)));
}

} // namespace platform::image
