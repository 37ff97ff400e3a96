// Windows bitmap reader and 24-bit writer.
#include "platform/image/bmp.h"

#include "platform/binary_io.h"
#include "platform/image/channel_mask.h"
#include "platform/image/image_error.h"

#include <cstdlib>
#include <new>

namespace platform::image {

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

struct BmpHeader {
    uint32_t pixelOffset = 0;
    uint32_t infoSize = 0;
    int width = 0;
    int height = 0; // always positive here
    bool topDown = false;
    int bits = 0;
    uint32_t compression = kBiRgb;
    uint32_t paletteCount = 0;
    uint32_t masks[4] = {}; // red, green, blue, alpha
};

bool ReadHeader(MemoryReader& in, BmpHeader& h, std::string* error) {
    uint8_t magic[2];
    uint32_t fileSize, reserved;
    if (!in.ReadBytes(magic, 2) || magic[0] != 'B' || magic[1] != 'M')
        return ImageFail(error, "not a bitmap file (no \"BM\")");
    if (!in.ReadU32(fileSize) || !in.ReadU32(reserved) || !in.ReadU32(h.pixelOffset) ||
        !in.ReadU32(h.infoSize))
        return ImageFail(error, "bitmap file header is truncated");

    int32_t width = 0, height = 0;
    uint16_t planes = 0, bits = 0;
    if (h.infoSize == 12) { // the old core header
        uint16_t w16, h16;
        if (!in.ReadU16(w16) || !in.ReadU16(h16) || !in.ReadU16(planes) || !in.ReadU16(bits))
            return ImageFail(error, "bitmap info header is truncated");
        width = w16;
        height = h16;
    } else if (h.infoSize >= 40 && h.infoSize <= 1024) {
        uint32_t sizeImage, xppm, yppm, used, important;
        if (!in.ReadI32(width) || !in.ReadI32(height) || !in.ReadU16(planes) || !in.ReadU16(bits) ||
            !in.ReadU32(h.compression) || !in.ReadU32(sizeImage) || !in.ReadU32(xppm) ||
            !in.ReadU32(yppm) || !in.ReadU32(used) || !in.ReadU32(important))
            return ImageFail(error, "bitmap info header is truncated");
        h.paletteCount = used;
        // Masks live in the longer headers, or right after the 40-byte one.
        const bool masked = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
        const int maskCount = h.infoSize >= 56 ? 4 : h.infoSize >= 52 ? 3 : masked ? 3 : 0;
        const int alphaInHeader = h.compression == kBiAlphaBitfields && h.infoSize == 40 ? 1 : 0;
        for (int i = 0; i < maskCount + alphaInHeader && i < 4; ++i)
            if (!in.ReadU32(h.masks[i]))
                return ImageFail(error, "bitmap colour masks are truncated");
        if (!masked) h.masks[0] = h.masks[1] = h.masks[2] = h.masks[3] = 0;
        // Whatever else the longer headers hold is skipped.
        const uint64_t headerEnd = 14 + uint64_t(h.infoSize);
        if (in.Position() < headerEnd && !in.Seek(headerEnd))
            return ImageFail(error, "bitmap info header is truncated");
    } else {
        return ImageFail(error,
                         "bitmap info header has an unknown size " + std::to_string(h.infoSize));
    }

    if (planes != 1) return ImageFail(error, "bitmap has " + std::to_string(planes) + " planes");
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return ImageFail(error, "bitmap has no pixels");
    h.topDown = height < 0;
    h.width = width;
    h.height = std::abs(height);
    if (h.width > kMaxImageSide || h.height > kMaxImageSide)
        return ImageFail(error, "bitmap is too large");
    h.bits = bits;
    switch (h.compression) {
    case kBiRgb:
        if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return ImageFail(error, "bitmap has " + std::to_string(bits) + " bits a pixel");
        if (bits == 16) { // plain 16-bit bitmaps are 5-5-5
            h.masks[0] = 0x7C00;
            h.masks[1] = 0x3E0;
            h.masks[2] = 0x1F;
        }
        break;
    case kBiBitfields:
    case kBiAlphaBitfields:
        if (bits != 16 && bits != 32)
            return ImageFail(error, "bitmap masks need 16 or 32 bits a pixel");
        break;
    default:
        return ImageFail(error, "bitmap is compressed (kind " + std::to_string(h.compression) +
                                    "), which is not read");
    }
    return true;
}

bool DecodePixels(std::span<const uint8_t> bytes, MemoryReader& in, const BmpHeader& h, Image& out,
                  std::string* error) {
    // Palette: BGRx quads (BGR triples for the core header) after the header.
    uint8_t palette[256][3] = {};
    if (h.bits <= 8) {
        const uint32_t maxEntries = 1u << h.bits;
        const uint32_t count = h.paletteCount ? h.paletteCount : maxEntries;
        if (count > maxEntries) return ImageFail(error, "bitmap palette is too long");
        const size_t entrySize = h.infoSize == 12 ? 3 : 4;
        for (uint32_t i = 0; i < count; ++i) {
            uint8_t entry[4];
            if (!in.ReadBytes(entry, entrySize))
                return ImageFail(error, "bitmap palette is truncated");
            palette[i][0] = entry[0];
            palette[i][1] = entry[1];
            palette[i][2] = entry[2];
        }
    }

    const uint64_t stride = (uint64_t(h.width) * uint64_t(h.bits) + 31) / 32 * 4;
    if (h.pixelOffset > bytes.size() || stride * uint64_t(h.height) > bytes.size() - h.pixelOffset)
        return ImageFail(error, "bitmap pixels are truncated");

    const bool alpha = h.masks[3] != 0;
    const ChannelMask red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alphaMask(h.masks[3]);
    Image image =
        MakeImage(alpha ? PixelFormat::A8R8G8B8 : PixelFormat::X8R8G8B8, h.width, h.height);
    for (int row = 0; row < h.height; ++row) {
        const uint8_t* src = bytes.data() + h.pixelOffset + stride * uint64_t(row);
        const int y = h.topDown ? row : h.height - 1 - row;
        uint8_t* dst = image.pixels.data() + size_t(y) * size_t(h.width) * 4;
        for (int x = 0; x < h.width; ++x, dst += 4) {
            if (h.bits <= 8) {
                const int perByte = 8 / h.bits;
                const int shift = 8 - h.bits * (x % perByte + 1);
                const uint8_t index = uint8_t((src[x / perByte] >> shift) & ((1 << h.bits) - 1));
                dst[0] = palette[index][0];
                dst[1] = palette[index][1];
                dst[2] = palette[index][2];
                dst[3] = 255;
            } else if (h.bits == 24) {
                dst[0] = src[x * 3];
                dst[1] = src[x * 3 + 1];
                dst[2] = src[x * 3 + 2];
                dst[3] = 255;
            } else if (h.bits == 32 && h.compression == kBiRgb) {
                dst[0] = src[x * 4];
                dst[1] = src[x * 4 + 1];
                dst[2] = src[x * 4 + 2];
                dst[3] = 255;
            } else {
                uint32_t pixel = 0;
                const int size = h.bits / 8;
                for (int b = 0; b < size; ++b)
                    pixel |= uint32_t(src[x * size + b]) << (8 * b);
                dst[0] = blue.Extract(pixel);
                dst[1] = green.Extract(pixel);
                dst[2] = red.Extract(pixel);
                dst[3] = alphaMask.Extract(pixel);
            }
        }
    }
    out = std::move(image);
    return true;
}

} // namespace

bool ReadBmpSize(std::span<const uint8_t> bytes, int& width, int& height, std::string* error) {
    MemoryReader in(bytes);
    BmpHeader h;
    if (!ReadHeader(in, h, error)) return false;
    width = h.width;
    height = h.height;
    return true;
}

bool DecodeBmp(std::span<const uint8_t> bytes, Image& out, std::string* error) {
    MemoryReader in(bytes);
    BmpHeader h;
    if (!ReadHeader(in, h, error)) return false;
    if (!WithinPixelBound(h.width, h.height))
        return ImageTooManyPixels(error, "the bitmap", h.width, h.height);
    try {
        return DecodePixels(bytes, in, h, out, error);
    } catch (const std::bad_alloc&) {
        return ImageOutOfMemory(error, "a " + std::to_string(h.width) + " x " +
                                           std::to_string(h.height) + " bitmap");
    }
}

bool EncodeBmp(const Image& image, std::vector<uint8_t>& out, std::string* error) {
    int size = 0;
    if (image.format == PixelFormat::R8G8B8)
        size = 3;
    else if (image.format == PixelFormat::A8R8G8B8 || image.format == PixelFormat::X8R8G8B8)
        size = 4;
    else
        return ImageFail(error, std::string("a bitmap cannot be written from ") +
                                    FormatName(image.format));
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != LevelSize(image.format, image.width, image.height))
        return ImageFail(error, "picture size does not match its pixels");

    const uint32_t stride = (uint32_t(image.width) * 3 + 3) & ~3u;
    const uint64_t imageBytes = uint64_t(stride) * uint32_t(image.height);
    if (imageBytes + 54 > UINT32_MAX) return ImageFail(error, "picture too large for a bitmap");

    BufferWriter w;
    w.WriteBytes("BM", 2);
    w.WriteU32(uint32_t(54 + imageBytes));
    w.WriteU32(0);
    w.WriteU32(54);
    w.WriteU32(40);
    w.WriteI32(image.width);
    w.WriteI32(image.height);
    w.WriteU16(1);
    w.WriteU16(24);
    for (int i = 0; i < 6; ++i)
        w.WriteU32(0);
    std::vector<uint8_t> row(stride, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        const uint8_t* src = image.pixels.data() + size_t(y) * size_t(image.width) * size_t(size);
        for (int x = 0; x < image.width; ++x) {
            row[size_t(x) * 3] = src[x * size];
            row[size_t(x) * 3 + 1] = src[x * size + 1];
            row[size_t(x) * 3 + 2] = src[x * size + 2];
        }
        w.WriteBytes(row.data(), row.size());
    }
    out = w.Take();
    return true;
}

bool WriteBmpFile(const std::filesystem::path& path, const Image& image, std::string* error) {
    std::vector<uint8_t> bytes;
    return EncodeBmp(image, bytes, error) && WriteWholeFile(path, bytes, error);
}

} // namespace platform::image
