// One texture frame from its file: the name rules, the DDS cache beside the
// source, the JPEG alpha companion and height maps turned into normal maps.
#include "Jentra/render/texture_source.h"

#include "Jentra/JTDataFolder.h"
#include "Jentra/JTFile.h"
#include "Jentra/render/texture_names.h"
#include "Jentra/render/texture_refusal.h"
#include "platform/binary_io.h"
#include "platform/image/convert.h"
#include "platform/image/dds.h"
#include "platform/image/image_error.h"
#include "platform/image/mipmap.h"
#include "platform/image/normal_map.h"
#include "platform/image/picture.h"
#include "platform/image/resize.h"
#include "platform/paths.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <new>
#include <vector>

namespace jentra::textures {

namespace {

using platform::image::Image;
using platform::image::PixelFormat;
using platform::image::TextureImage;
namespace fs = std::filesystem;

bool Contains(const std::string& name, const char* part) {
    return name.find(part) != std::string::npos;
}

bool Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

// A regular file that opens for reading.
bool Readable(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    std::ifstream file(path, std::ios::binary);
    return file.good();
}

bool IsPowerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

// The levels a DDS gives one frame: its first face, all its levels when mips
// are asked for (the missing ones made from the smallest it has), else the
// top. A side that is not a power of two is stretched as any picture is.
bool LevelsFromDds(const TextureImage& file, bool mips, TextureImage& out, std::string* error) {
    const Image& top = file.Level(0, 0);
    if (!IsPowerOfTwo(file.width) || !IsPowerOfTwo(file.height))
        return MakeTextureLevels(platform::image::ToBgra8(top), file.format, mips, out, error);
    const int want = mips ? platform::image::FullMipCount(file.width, file.height) : 1;
    TextureImage result;
    result.format = file.format;
    result.width = file.width;
    result.height = file.height;
    for (int m = 0; m < want && m < file.mipCount; ++m)
        result.levels.push_back(file.Level(0, m));
    Image smaller = platform::image::ToBgra8(result.levels.back());
    while (int(result.levels.size()) < want) {
        smaller = platform::image::HalveImage(smaller);
        Image converted;
        if (!platform::image::ConvertImage(smaller, file.format, converted, error)) return false;
        result.levels.push_back(std::move(converted));
    }
    result.mipCount = int(result.levels.size());
    out = std::move(result);
    return true;
}

// The side a texture of that picture side has once stretched.
bool FitsDevice(int width, int height, const TextureLimits& limits, std::string& error) {
    const int across = platform::image::NextPowerOfTwo(width);
    const int down = platform::image::NextPowerOfTwo(height);
    if (across <= limits.maxSide && down <= limits.maxSide) return true;
    std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (across != width || down != height)
        size += " (" + std::to_string(across) + " x " + std::to_string(down) + " as a texture)";
    return Fail(&error, "the picture is " + size + ", larger than the device's largest texture, " +
                            std::to_string(limits.maxSide) + " x " +
                            std::to_string(limits.maxSide));
}

// A failure of the file at `path`: its name goes after the reason when
// memory ran short, so that the reason still says so (image_error.h).
bool FailFile(const std::string& path, std::string& error) {
    return Fail(&error, platform::image::IsOutOfMemoryError(error) ? error + " (" + path + ")"
                                                                   : path + ": " + error);
}

bool LoadDdsFile(const std::string& path, bool mips, const TextureLimits& limits, TextureImage& out,
                 std::string& error) {
    std::vector<uint8_t> bytes;
    TextureImage file;
    if (!platform::ReadWholeFile(path, bytes, &error, platform::image::kMaxPictureFileBytes))
        return false;
    platform::image::DdsHeader header;
    if (platform::image::ReadDdsHeader(bytes, header) == platform::image::DdsHeaderStatus::Ok &&
        !FitsDevice(int(std::min(header.width, uint32_t(INT32_MAX))),
                    int(std::min(header.height, uint32_t(INT32_MAX))), limits, error))
        return FailFile(path, error);
    if (!platform::image::DecodeDds(bytes, file, &error)) return FailFile(path, error);
    bytes = {};
    return LevelsFromDds(file, mips, out, &error);
}

// A picture file of any kind, refused from its header when its texture
// would be too large for the device. A picture the decoder read at a
// smaller scale than its header says (image.h) is told of in `note`.
bool LoadPicture(const std::string& path, const TextureLimits& limits, Image& out,
                 std::string& error, std::string* note = nullptr) {
    std::vector<uint8_t> bytes;
    if (!platform::ReadWholeFile(path, bytes, &error, platform::image::kMaxPictureFileBytes))
        return false;
    int width = 0, height = 0;
    // A header that cannot be read is left to the decoder to describe.
    const bool sized = platform::image::ReadPictureSize(bytes, width, height);
    if (sized && width > 0 && height > 0 && !FitsDevice(width, height, limits, error))
        return FailFile(path, error);
    if (!platform::image::DecodePicture(bytes, out, &error)) return FailFile(path, error);
    if (note && sized && (out.width != width || out.height != height))
        *note = path + " is " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels, more than the " + std::to_string(platform::image::kMaxImagePixels) +
                " a picture may have: read as " + std::to_string(out.width) + " x " +
                std::to_string(out.height);
    return true;
}

bool TargaHasAlpha(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char header[17];
    return file.read(header, sizeof header) && uint8_t(header[16]) == 32;
}

// The source converted by the rules; a JPEG's companion gives its alpha.
bool ConvertSource(const std::string& name, const NameRules& rules, bool mips,
                   const TextureLimits& limits, TextureImage& out, std::string& error,
                   std::string& note) {
    Image picture;
    if (!LoadPicture(TexturePath(name), limits, picture, error, &note)) return false;
    if (rules.bump) {
        if (!MakeTextureLevels(std::move(picture), rules.format, mips, out, &error)) return false;
        for (Image& level : out.levels)
            HeightToNormalLevel(level);
        return true;
    }
    if (rules.jpeg && rules.hasAlpha) {
        char alphaName[kJTTextureNameSize];
        GetJPGAlphaFilename(alphaName, name.c_str());
        Image alpha;
        if (!LoadPicture(TexturePath(alphaName), limits, alpha, error)) return false;
        // A companion of another size would not match the picture pixel
        // for pixel.
        if (alpha.width != picture.width || alpha.height != picture.height)
            return Fail(&error, std::string(alphaName) + " is " + std::to_string(alpha.width) +
                                    " x " + std::to_string(alpha.height) + ", " + name + " is " +
                                    std::to_string(picture.width) + " x " +
                                    std::to_string(picture.height));
        picture = platform::image::ToBgra8(picture);
        for (size_t i = 0; i < picture.pixels.size(); i += 4)
            picture.pixels[i + 3] = alpha.pixels[i + 2]; // the companion's red
    }
    return MakeTextureLevels(std::move(picture), rules.format, mips, out, &error);
}

bool LoadFrame(const std::string& name, bool mips, const TextureLimits& limits, LoadedFrame& out,
               std::string& error) {
    const NameRules rules = RulesFor(name);
    const std::string sourcePath = TexturePath(name);
    out.refusalName =
        RefusalName(name, rules.dds ? "DDS" : platform::image::FormatName(rules.format));
    std::string earlier;
    if (RememberedRefusal(out.refusalName, name, limits.maxSide, earlier))
        return Fail(&error, "refused at an earlier load: " + earlier + "; it is tried again when " +
                                "the picture changes or " + out.refusalName + " is deleted");
    if (rules.dds) {
        if (!LoadDdsFile(sourcePath, mips, limits, out.image, error)) return false;
        out.hasAlpha = platform::image::HasAlphaChannel(out.image.format);
        return true;
    }
    out.hasAlpha = rules.hasAlpha;

    const std::string cacheName = CacheName(name, platform::image::FormatName(rules.format));
    const std::string cachePath = TexturePath(cacheName);
    if (Readable(sourcePath) && Readable(cachePath)) {
        std::error_code a, b;
        const auto cacheTime = fs::last_write_time(cachePath, a);
        const auto sourceTime = fs::last_write_time(sourcePath, b);
        // A damaged cache is rebuilt from the source rather than trusted.
        std::string ignored;
        if (!a && !b && cacheTime >= sourceTime &&
            LoadDdsFile(cachePath, mips, limits, out.image, ignored)) {
            out.fromCache = true;
            return true;
        }
    }

    if (!ConvertSource(name, rules, mips, limits, out.image, error, out.note)) return false;
    ForgetRefusal(out.refusalName); // one the picture has outgrown
    // A cache that cannot be written is tried again at the next load.
    const std::string writePath = TexturePathForWriting(cacheName);
    out.cacheWritten =
        !writePath.empty() && platform::image::WriteDdsFile(writePath, out.image, nullptr);
    return true;
}

} // namespace

std::string TexturePath(const std::string& name) {
    if (!name.empty() && name.front() == '/') return name;
    return JTResolveDataPath((std::string("modules\\") + name).c_str());
}

std::string TexturePathForWriting(const std::string& name) {
    if (!name.empty() && name.front() == '/') return name;
    auto path = platform::ResolvePathForCreate(JTDataFolder(), std::string("modules\\") + name);
    return path ? path->string() : std::string();
}

NameRules RulesFor(const std::string& name) {
    NameRules rules;
    const JTFile::FileType type = JTFile::DetectFileType(name.c_str());
    rules.dds = type == JTFile::FILETYPE_DDS;
    rules.jpeg = type == JTFile::FILETYPE_JPG;
    rules.tga = type == JTFile::FILETYPE_TGA;
    rules.thirtyTwoBit = Contains(name, "32bit");
    rules.noCompress = Contains(name, "nocomp");
    rules.bump = Contains(name, "_bump") || Contains(name, "_Bump") || Contains(name, "_BUMP");
    if (rules.jpeg) {
        char alphaName[kJTTextureNameSize];
        rules.hasAlpha =
            GetJPGAlphaFilename(alphaName, name.c_str()) && Readable(TexturePath(alphaName));
    } else if (rules.tga) {
        rules.hasAlpha = TargaHasAlpha(TexturePath(name));
    }
    const bool compress = !rules.thirtyTwoBit && !rules.noCompress && !rules.bump;
    if (compress)
        rules.format = rules.hasAlpha ? PixelFormat::DXT5 : PixelFormat::DXT1;
    else if (rules.thirtyTwoBit)
        rules.format = PixelFormat::A8R8G8B8;
    else
        rules.format = rules.hasAlpha ? PixelFormat::A4R4G4B4 : PixelFormat::R5G6B5;
    return rules;
}

bool MakeTextureLevels(Image picture, PixelFormat format, bool mips, TextureImage& out,
                       std::string* error) {
    // The picture is let go as soon as the next step has its own copy, so
    // that no step holds more copies of it than it needs.
    Image top = picture.format == PixelFormat::A8R8G8B8 ? std::move(picture)
                                                        : platform::image::ToBgra8(picture);
    picture = Image();
    const platform::image::TextureSize size =
        platform::image::PowerOfTwoSize(top.width, top.height);
    if (size.width != top.width || size.height != top.height)
        top = platform::image::ResizeImage(top, size.width, size.height);
    if (top.Empty()) return Fail(error, "picture has no pixels");
    return platform::image::BuildTexture(std::move(top), format, mips ? 0 : 1, out, error);
}

bool LoadFrameImage(const std::string& name, bool mips, LoadedFrame& out, std::string* error,
                    const TextureLimits& limits) {
    out = LoadedFrame();
    std::string reason;
    try {
        if (LoadFrame(name, mips, limits, out, reason)) return true;
    } catch (const std::bad_alloc&) {
        out.image = TextureImage();
        platform::image::ImageOutOfMemory(&reason, "the texture " + name);
    }
    out.image = TextureImage();
    // Memory that ran short once runs short again: the next load is spared
    // the cost of learning it.
    if (platform::image::IsOutOfMemoryError(reason) && !out.refusalName.empty() &&
        RememberRefusal(out.refusalName, limits.maxSide, reason))
        reason += "; remembered in " + out.refusalName;
    return Fail(error, std::move(reason));
}

void HeightToNormalLevel(Image& level) {
    const bool wide =
        level.format == PixelFormat::A8R8G8B8 || level.format == PixelFormat::X8R8G8B8;
    if (!wide && level.format != PixelFormat::R5G6B5) return;
    if (level.pixels.size() != platform::image::LevelSize(level.format, level.width, level.height))
        return;
    const size_t width = size_t(level.width), height = size_t(level.height);
    const auto heightAt = [&](size_t i) {
        if (wide) return float(level.pixels[i * 4 + 2]) / 255.0f * 5.0f;
        const unsigned word = unsigned(level.pixels[i * 2] | level.pixels[i * 2 + 1] << 8);
        return float(word >> 5 & 63) / 63.0f * 5.0f;
    };
    // In place, left to right and top down: a pixel's right and lower
    // neighbours still hold their heights when it becomes a normal.
    for (size_t i = 0; i < width * height; ++i) {
        const float here = heightAt(i);
        const float right = (i + 1) % width != 0 ? heightAt(i + 1) : here;
        const float below = i + width < width * height ? heightAt(i + width) : here;
        const platform::image::SurfaceNormal normal =
            platform::image::NormalFromHeights(here, right, below);
        const uint8_t r = platform::image::NormalComponentToByte(normal.x);
        const uint8_t g = platform::image::NormalComponentToByte(normal.y);
        const uint8_t b = platform::image::NormalComponentToByte(normal.z);
        if (wide) {
            uint8_t* p = level.pixels.data() + i * 4;
            p[3] = p[2]; // the height stays in alpha
            p[2] = r;
            p[1] = g;
            p[0] = b;
        } else {
            const unsigned word = unsigned(r >> 3) << 11 | unsigned(g >> 2) << 5 | unsigned(b >> 3);
            level.pixels[i * 2] = uint8_t(word);
            level.pixels[i * 2 + 1] = uint8_t(word >> 8);
        }
    }
}

} // namespace jentra::textures
