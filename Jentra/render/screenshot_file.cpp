// Front-buffer pictures to bitmap files through the image layer's writer.
#include "Jentra/render/screenshot_file.h"

#include <cstring>

#include "platform/image/bmp.h"

bool JTWriteFrontBufferBitmap(platform::render::Device& device, const std::filesystem::path& file) {
    std::vector<uint32_t> argb;
    int width = 0, height = 0;
    if (!device.ReadFrontBuffer(argb, width, height) || width <= 0 || height <= 0) return false;
    // A8R8G8B8 words are the bytes blue, green, red, alpha in memory: the
    // X8R8G8B8 layout of the image layer.
    platform::image::Image image;
    image.format = platform::image::PixelFormat::X8R8G8B8;
    image.width = width;
    image.height = height;
    image.pixels.resize(argb.size() * 4);
    for (size_t i = 0; i < argb.size(); ++i) {
        const uint32_t p = argb[i];
        image.pixels[i * 4 + 0] = uint8_t(p);
        image.pixels[i * 4 + 1] = uint8_t(p >> 8);
        image.pixels[i * 4 + 2] = uint8_t(p >> 16);
        image.pixels[i * 4 + 3] = uint8_t(p >> 24);
    }
    return platform::image::WriteBmpFile(file, image);
}
