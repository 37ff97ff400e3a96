// PNG reading and writing with libpng's simplified interface.
#include "platform/image/png.h"

#include <png.h>

#include <cstring>
#include <new>
#include <string>

#include "platform/binary_io.h"
#include "platform/image/image_error.h"

namespace platform::image {

namespace {

constexpr uint64_t kMostDeflateExpansion = 1032;

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

} // namespace

bool DecodePng(std::span<const uint8_t> bytes, Image& out, std::string* error) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        return Fail(error, png.message);
    if (png.width == 0 || png.height == 0 || png.width > unsigned(kMaxImageSide) ||
        png.height > unsigned(kMaxImageSide)) {
        png_image_free(&png);
        return Fail(error, "picture size out of range");
    }
    if (!WithinPixelBound(png.width, png.height)) {
        png_image_free(&png);
        return ImageTooManyPixels(error, "the PNG picture", png.width, png.height);
    }
    // A row is stored as a filter byte and at least one bit a pixel, and
    // deflate expands its data at most 1032 times: a picture that the file
    // could not hold is refused before its memory is taken.
    const uint64_t rawBytes = uint64_t(png.height) * (1 + (uint64_t(png.width) + 7) / 8);
    if (rawBytes > uint64_t(bytes.size()) * kMostDeflateExpansion) {
        png_image_free(&png);
        return Fail(error, "PNG data of " + std::to_string(bytes.size()) + " bytes cannot hold a " +
                               std::to_string(png.width) + " x " + std::to_string(png.height) +
                               " picture");
    }
    png.format = PNG_FORMAT_BGRA; // the bytes of A8R8G8B8
    Image image;
    try {
        image = MakeImage(PixelFormat::A8R8G8B8, int(png.width), int(png.height));
    } catch (const std::bad_alloc&) {
        png_image_free(&png);
        return ImageOutOfMemory(error, "the PNG picture");
    }
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        std::string why = png.message;
        png_image_free(&png);
        return Fail(error, why);
    }
    out = std::move(image);
    return true;
}

bool EncodePng(const Image& image, bool withAlpha, std::vector<uint8_t>& out, std::string* error) {
    if (image.width <= 0 || image.height <= 0) return Fail(error, "empty picture");
    std::vector<uint8_t> bgra(size_t(image.width) * size_t(image.height) * 4);
    const size_t pixels = size_t(image.width) * size_t(image.height);
    switch (image.format) {
    case PixelFormat::R8G8B8:
        for (size_t i = 0; i < pixels; ++i) {
            std::memcpy(&bgra[i * 4], &image.pixels[i * 3], 3);
            bgra[i * 4 + 3] = 255;
        }
        break;
    case PixelFormat::X8R8G8B8:
    case PixelFormat::A8R8G8B8:
        std::memcpy(bgra.data(), image.pixels.data(), bgra.size());
        if (image.format == PixelFormat::X8R8G8B8)
            for (size_t i = 0; i < pixels; ++i)
                bgra[i * 4 + 3] = 255;
        break;
    default:
        return Fail(error, "PNG pictures are written from 24- or 32-bit pixels only");
    }
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image.width);
    png.height = png_uint_32(image.height);
    png.format = PNG_FORMAT_BGRA;
    if (!withAlpha) {
        // Three bytes a pixel: a picture without alpha stays small.
        for (size_t i = 0; i < pixels; ++i)
            std::memmove(&bgra[i * 3], &bgra[i * 4], 3);
        bgra.resize(pixels * 3);
        png.format = PNG_FORMAT_BGR;
    }
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(png, size, 0, bgra.data(), 0, nullptr))
        return Fail(error, png.message);
    out.resize(size);
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, bgra.data(), 0, nullptr))
        return Fail(error, png.message);
    out.resize(size);
    return true;
}

bool WritePngFile(const std::filesystem::path& path, const Image& image, bool withAlpha,
                  std::string* error) {
    std::vector<uint8_t> bytes;
    return EncodePng(image, withAlpha, bytes, error) && WriteWholeFile(path, bytes, error);
}

} // namespace platform::image
