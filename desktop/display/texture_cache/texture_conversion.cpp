// One file of the texture cache: JPEG-2000 source to DDS or bitmap.
#include "desktop/display/texture_cache/texture_conversion.h"

#include "desktop/display/texture_cache/image_codec_table.h"
#include "platform/image/dds.h"
#include "platform/image/dxt.h"
#include "platform/image/mipmap.h"
#include "platform/image/normal_map.h"
#include "platform/image/resize.h"

#include <system_error>
#include <vector>

namespace lumivane {

namespace {

using platform::image::Image;
using platform::image::PixelFormat;
using platform::image::TextureImage;

constexpr float kBumpAmplitude = 10.0f;
constexpr int kSmallestCacheSide = 8;

bool Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

std::filesystem::path WithExtension(const std::filesystem::path& path, const char* extension) {
    std::filesystem::path result = path;
    result.replace_extension(extension);
    return result;
}

bool IsPowerOfTwo(int side) {
    return side > 0 && (side & (side - 1)) == 0;
}

// Removes a file, answering whether it is gone.
bool RemoveFile(const std::filesystem::path& path, std::string* error) {
    std::error_code code;
    std::filesystem::remove(path, code);
    if (!code) return true;
    return Fail(error, "cannot delete " + path.string() + ": " + code.message());
}

} // namespace

bool IsBumpTextureName(std::string_view fileName) {
    for (const char* mark : {"_bump", "_BUMP", "_Bump"})
        if (fileName.find(mark) != std::string_view::npos) return true;
    return false;
}

int CacheMipCount(int width, int height) {
    int count = 1;
    for (int side = std::min(width, height); side > kSmallestCacheSide; side /= 2)
        ++count;
    return count;
}

Image NormalMapFromRed(const Image& bgra, float amplitude) {
    const size_t width = size_t(bgra.width), count = width * size_t(bgra.height);
    const auto heightAt = [&](size_t i) {
        return float(bgra.pixels[i * 4 + 2]) / 255.0f * amplitude;
    };
    Image out = platform::image::MakeImage(PixelFormat::R5G6B5, bgra.width, bgra.height);
    for (size_t i = 0; i < count; ++i) {
        const float here = heightAt(i);
        const float right = (i + 1) % width != 0 ? heightAt(i + 1) : here;
        const float below = i + width < count ? heightAt(i + width) : here;
        const platform::image::SurfaceNormal normal =
            platform::image::NormalFromHeights(here, right, below);
        const unsigned r = platform::image::NormalComponentToByte(normal.x) >> 3;
        const unsigned g = platform::image::NormalComponentToByte(normal.y) >> 2;
        const unsigned b = platform::image::NormalComponentToByte(normal.z) >> 3;
        const unsigned word = r << 11 | g << 5 | b;
        out.pixels[i * 2] = uint8_t(word);
        out.pixels[i * 2 + 1] = uint8_t(word >> 8);
    }
    return out;
}

TextureImage MakeCacheTexture(const Image& source, bool bump) {
    const bool alpha = source.format == PixelFormat::A8R8G8B8;
    Image level = IsPowerOfTwo(source.width) && IsPowerOfTwo(source.height)
                      ? source
                      : platform::image::StretchToPowerOfTwo(source);
    if (level.Empty()) return {};
    const int count = CacheMipCount(level.width, level.height);

    TextureImage texture;
    texture.format = bump && !alpha ? PixelFormat::R5G6B5
                     : alpha        ? PixelFormat::DXT3
                                    : PixelFormat::DXT1;
    texture.width = level.width;
    texture.height = level.height;
    texture.mipCount = count;
    // Level by level, each halved from the one above before that is
    // converted, so that only two of the chain's pictures are held at once.
    for (int m = 0; m < count; ++m) {
        Image below = m + 1 < count ? platform::image::HalveImage(level) : Image();
        if (texture.format == PixelFormat::R5G6B5) {
            texture.levels.push_back(NormalMapFromRed(level, kBumpAmplitude));
        } else {
            Image compressed;
            if (!platform::image::CompressDxt(level, texture.format, compressed)) return {};
            texture.levels.push_back(std::move(compressed));
        }
        level = std::move(below);
    }
    return texture;
}

bool ConvertTexture(const ImageCodecTable& codecs, const std::filesystem::path& texFile,
                    std::string* error, bool* refused) {
    Image decoded;
    if (!codecs.DecodeFile(texFile, "jp2", decoded, error, refused)) return false;
    const std::filesystem::path tgaFile = WithExtension(texFile, ".tga");
    if (!codecs.EncodeFile(tgaFile, "tga", decoded, error)) return false;
    decoded = Image(); // read back from the Targa below

    // The DDS is made from the Targa as written, as it always was.
    Image fromTarga;
    std::string ignored;
    if (!codecs.DecodeFile(tgaFile, "tga", fromTarga, error)) {
        RemoveFile(tgaFile, &ignored);
        return false;
    }
    const bool bump =
        fromTarga.format == PixelFormat::X8R8G8B8 && IsBumpTextureName(texFile.filename().string());
    const TextureImage texture = MakeCacheTexture(fromTarga, bump);
    if (texture.levels.empty()) {
        RemoveFile(tgaFile, &ignored);
        return Fail(error, texFile.string() + ": the texture cannot be made");
    }
    if (!platform::image::WriteDdsFile(WithExtension(texFile, ".dds"), texture, error)) {
        RemoveFile(tgaFile, &ignored);
        return false;
    }
    const bool texGone = RemoveFile(texFile, error);
    const bool tgaGone = RemoveFile(tgaFile, texGone ? error : &ignored);
    return texGone && tgaGone;
}

bool ConvertLoadScreen(const ImageCodecTable& codecs, const std::filesystem::path& texFile,
                       std::string* error, bool* refused) {
    Image decoded;
    if (!codecs.DecodeFile(texFile, "jp2", decoded, error, refused)) return false;
    if (!codecs.EncodeFile(WithExtension(texFile, ".bmp"), "", decoded, error)) return false;
    return RemoveFile(texFile, error);
}

} // namespace lumivane
