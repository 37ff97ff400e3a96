// Box-filtered mip chains over 32-bit BGRA pictures.
#include "platform/image/mipmap.h"

#include "platform/image/convert.h"
#include "platform/image/image_error.h"

#include <algorithm>

namespace platform::image {

Image HalveImage(const Image& bgra) {
    const int width = std::max(bgra.width / 2, 1);
    const int height = std::max(bgra.height / 2, 1);
    if (bgra.pixels.size() != LevelSize(bgra.format, bgra.width, bgra.height) ||
        BitsPerPixel(bgra.format) != 32)
        return {};
    Image out = MakeImage(bgra.format, width, height);
    auto at = [&](int x, int y, int channel) {
        x = std::min(x, bgra.width - 1);
        y = std::min(y, bgra.height - 1);
        return unsigned(
            bgra.pixels[(size_t(y) * size_t(bgra.width) + size_t(x)) * 4 + size_t(channel)]);
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) {
                const unsigned sum = at(2 * x, 2 * y, c) + at(2 * x + 1, 2 * y, c) +
                                     at(2 * x, 2 * y + 1, c) + at(2 * x + 1, 2 * y + 1, c);
                out.pixels[(size_t(y) * size_t(width) + size_t(x)) * 4 + size_t(c)] =
                    uint8_t((sum + 2) / 4);
            }
    return out;
}

std::vector<Image> BuildMipChain(const Image& top, int count) {
    const int full = FullMipCount(top.width, top.height);
    if (count <= 0 || count > full) count = full;
    std::vector<Image> chain;
    chain.reserve(size_t(count));
    chain.push_back(top);
    while (int(chain.size()) < count)
        chain.push_back(HalveImage(chain.back()));
    return chain;
}

bool BuildTexture(Image top, PixelFormat format, int mipCount, TextureImage& out,
                  std::string* error) {
    if (BitsPerPixel(top.format) != 32 || top.width <= 0 || top.height <= 0 ||
        top.pixels.size() != LevelSize(top.format, top.width, top.height))
        return ImageFail(error, "a texture is built from a 32-bit picture");
    const int full = FullMipCount(top.width, top.height);
    if (mipCount <= 0 || mipCount > full) mipCount = full;
    TextureImage texture;
    texture.format = format;
    texture.width = top.width;
    texture.height = top.height;
    // One level at a time, each made from the one above before that is
    // converted: never more than two BGRA levels are held besides the
    // texture.
    Image level = std::move(top);
    for (int m = 0; m < mipCount; ++m) {
        Image below = m + 1 < mipCount ? HalveImage(level) : Image();
        if (level.format == format) {
            texture.levels.push_back(std::move(level));
        } else {
            Image converted;
            if (!ConvertImage(level, format, converted, error)) return false;
            texture.levels.push_back(std::move(converted));
        }
        level = std::move(below);
    }
    texture.mipCount = int(texture.levels.size());
    out = std::move(texture);
    return true;
}

} // namespace platform::image
