// Targa reading and writing.
#include "platform/image/tga.h"

#include "platform/binary_io.h"
#include "platform/image/image_error.h"

#include <algorithm>
#include <new>

namespace platform::image {

namespace {

constexpr uint8_t kTrueColour = 2;
constexpr uint8_t kGrey = 3;
constexpr uint8_t kRunLength = 8; // added to the type of a run-length file
constexpr uint8_t kRightToLeft = 0x10;
constexpr uint8_t kTopDown = 0x20;
constexpr size_t kLongestRun = 128; // pixels of one run-length packet

// One file pixel to B, G, R, A.
void ToBgra(const uint8_t* p, int bits, bool grey, uint8_t* bgra) {
    if (grey) {
        bgra[0] = bgra[1] = bgra[2] = p[0];
        bgra[3] = 255;
    } else if (bits == 15 || bits == 16) {
        const unsigned w = unsigned(p[0] | p[1] << 8);
        const auto five = [](unsigned v) { return uint8_t(v << 3 | v >> 2); };
        bgra[0] = five(w & 31);
        bgra[1] = five(w >> 5 & 31);
        bgra[2] = five(w >> 10 & 31);
        bgra[3] = 255;
    } else {
        bgra[0] = p[0];
        bgra[1] = p[1];
        bgra[2] = p[2];
        bgra[3] = bits == 32 ? p[3] : 255;
    }
}

} // namespace

bool ReadTgaHeader(std::span<const uint8_t> bytes, TgaHeader& out, std::string* error) {
    MemoryReader in(bytes);
    TgaHeader h;
    uint16_t firstEntry, xOrigin, yOrigin, width, height;
    in.ReadU8(h.idLength);
    in.ReadU8(h.colourMapType);
    in.ReadU8(h.imageType);
    in.ReadU16(firstEntry);
    in.ReadU16(h.colourMapLength);
    in.ReadU8(h.colourMapEntryBits);
    in.ReadU16(xOrigin);
    in.ReadU16(yOrigin);
    in.ReadU16(width);
    in.ReadU16(height);
    in.ReadU8(h.bitsPerPixel);
    in.ReadU8(h.descriptor);
    if (in.Failed()) return ImageFail(error, "Targa header is truncated");
    h.width = width;
    h.height = height;
    out = h;
    return true;
}

namespace {

// Run-length packets, header byte then one pixel repeated or `n` literal
// pixels, unpacked to plain pixel bytes; a packet may run across rows. The
// output grows as packets decode, so a header that claims more pixels than
// its packets hold costs no more than the packets that are there.
bool UnpackRuns(std::span<const uint8_t> data, size_t count, size_t pixelBytes,
                std::vector<uint8_t>& unpacked, std::string* error) {
    size_t at = 0, done = 0;
    while (done < count) {
        if (at >= data.size()) return ImageFail(error, "Targa pixels are truncated");
        const uint8_t packet = data[at++];
        const size_t n = size_t(packet & 0x7F) + 1;
        if (n > count - done) return ImageFail(error, "Targa run passes the picture's end");
        const bool repeat = (packet & 0x80) != 0;
        const size_t need = repeat ? pixelBytes : n * pixelBytes;
        if (need > data.size() - at) return ImageFail(error, "Targa pixels are truncated");
        if (repeat)
            for (size_t i = 0; i < n; ++i)
                unpacked.insert(unpacked.end(), data.begin() + long(at),
                                data.begin() + long(at + pixelBytes));
        else
            unpacked.insert(unpacked.end(), data.begin() + long(at),
                            data.begin() + long(at + need));
        at += need;
        done += n;
    }
    return true;
}

bool DecodeTgaPixels(std::span<const uint8_t> bytes, const TgaHeader& h, Image& out,
                     std::string* error) {
    const bool runLength = (h.imageType & kRunLength) != 0;
    const bool grey = uint8_t(h.imageType & ~kRunLength) == kGrey;
    const int bits = h.bitsPerPixel;

    MemoryReader in(bytes);
    in.Skip(18 + uint64_t(h.idLength));
    if (h.colourMapType == 1) // a map beside true colour is not needed
        in.Skip((uint64_t(h.colourMapLength) * h.colourMapEntryBits + 7) / 8);
    if (in.Failed()) return ImageFail(error, "Targa is truncated");

    const size_t pixelBytes = size_t(bits + 7) / 8;
    const size_t count = size_t(h.width) * size_t(h.height);
    std::span<const uint8_t> data = bytes.subspan(size_t(in.Position()));
    std::vector<uint8_t> unpacked;
    if (runLength) {
        // The smallest packet, a header byte and one pixel, yields at most
        // 128 pixels: a picture larger than the packets could ever hold is
        // refused before anything is unpacked.
        if ((count + kLongestRun - 1) / kLongestRun > data.size() / (1 + pixelBytes))
            return ImageFail(error, "Targa pixels are truncated: " + std::to_string(data.size()) +
                                        " bytes of runs cannot hold " + std::to_string(h.width) +
                                        " x " + std::to_string(h.height) + " pixels");
        if (!UnpackRuns(data, count, pixelBytes, unpacked, error)) return false;
        data = unpacked;
    } else if (data.size() / pixelBytes < count) {
        return ImageFail(error, "Targa pixels are truncated");
    }

    Image image =
        MakeImage(bits == 32 ? PixelFormat::A8R8G8B8 : PixelFormat::X8R8G8B8, h.width, h.height);
    const bool topDown = (h.descriptor & kTopDown) != 0;
    const bool rightToLeft = (h.descriptor & kRightToLeft) != 0;
    for (int row = 0; row < h.height; ++row) {
        const int y = topDown ? row : h.height - 1 - row;
        for (int col = 0; col < h.width; ++col) {
            const int x = rightToLeft ? h.width - 1 - col : col;
            const uint8_t* src =
                data.data() + (size_t(row) * size_t(h.width) + size_t(col)) * pixelBytes;
            ToBgra(src, bits, grey,
                   image.pixels.data() + (size_t(y) * size_t(h.width) + size_t(x)) * 4);
        }
    }
    out = std::move(image);
    return true;
}

} // namespace

bool DecodeTga(std::span<const uint8_t> bytes, Image& out, std::string* error) {
    TgaHeader h;
    if (!ReadTgaHeader(bytes, h, error)) return false;
    const uint8_t kind = uint8_t(h.imageType & ~kRunLength);
    const bool grey = kind == kGrey;
    if (kind != kTrueColour && !grey)
        return ImageFail(error, "Targa image type " + std::to_string(h.imageType) +
                                    " is not read (true colour or grey only)");
    const int bits = h.bitsPerPixel;
    if (grey ? bits != 8 : (bits != 15 && bits != 16 && bits != 24 && bits != 32))
        return ImageFail(error, "Targa has " + std::to_string(bits) + " bits a pixel");
    if (h.width == 0 || h.height == 0) return ImageFail(error, "Targa has no pixels");
    if (h.width > kMaxImageSide || h.height > kMaxImageSide)
        return ImageFail(error, "Targa is too large");
    if (!WithinPixelBound(h.width, h.height))
        return ImageTooManyPixels(error, "the Targa", h.width, h.height);
    if (h.colourMapType > 1) return ImageFail(error, "Targa colour map type is unknown");
    try {
        return DecodeTgaPixels(bytes, h, out, error);
    } catch (const std::bad_alloc&) {
        return ImageOutOfMemory(error, "a " + std::to_string(h.width) + " x " +
                                           std::to_string(h.height) + " Targa");
    }
}

bool EncodeTga(const Image& image, std::vector<uint8_t>& out, std::string* error) {
    int sourceBytes = 0, fileBytes = 0;
    switch (image.format) {
    case PixelFormat::R8G8B8:
        sourceBytes = 3, fileBytes = 3;
        break;
    case PixelFormat::X8R8G8B8:
        sourceBytes = 4, fileBytes = 3;
        break;
    case PixelFormat::A8R8G8B8:
        sourceBytes = 4, fileBytes = 4;
        break;
    default:
        return ImageFail(error,
                         std::string("a Targa cannot be written from ") + FormatName(image.format));
    }
    if (image.width <= 0 || image.height <= 0 || image.width > 65535 || image.height > 65535 ||
        image.pixels.size() != LevelSize(image.format, image.width, image.height))
        return ImageFail(error, "picture size does not fit a Targa");
    BufferWriter w;
    const uint8_t head[12] = {0, 0, kTrueColour, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    w.WriteBytes(head, sizeof head);
    w.WriteU16(uint16_t(image.width));
    w.WriteU16(uint16_t(image.height));
    w.WriteU8(uint8_t(fileBytes * 8));
    w.WriteU8(0);
    std::vector<uint8_t> row(size_t(image.width) * size_t(fileBytes));
    for (int y = image.height - 1; y >= 0; --y) {
        const uint8_t* src =
            image.pixels.data() + size_t(y) * size_t(image.width) * size_t(sourceBytes);
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < fileBytes; ++c)
                row[size_t(x * fileBytes + c)] = src[x * sourceBytes + c];
        w.WriteBytes(row.data(), row.size());
    }
    out = w.Take();
    return true;
}

bool WriteTgaFile(const std::filesystem::path& path, const Image& image, std::string* error) {
    std::vector<uint8_t> bytes;
    return EncodeTga(image, bytes, error) && WriteWholeFile(path, bytes, error);
}

} // namespace platform::image
