// Texture levels to and from the rendering device.
#include "Jentra/render/texture_upload.h"

#include "Jentra/render/texture_source.h"
#include "platform/binary_io.h"
#include "platform/image/convert.h"
#include "platform/image/dds.h"
#include "platform/image/image_error.h"

#include <cstring>
#include <new>
#include <vector>

namespace jentra::textures {

namespace {

using platform::image::Image;
using platform::image::PixelFormat;
using platform::image::TextureImage;

bool Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

// Writes one level into a locked face level of a texture.
template <class Lock, class Unlock>
bool FillLevel(const Image& level, Lock lock, Unlock unlock, std::string* error) {
    platform::render::D3DLOCKED_RECT rect;
    if (lock(&rect) != D3D_OK || !rect.pBits) return Fail(error, "texture level cannot be locked");
    const size_t pitch = platform::image::RowPitch(level.format, level.width);
    const int rows = platform::image::StoredRows(level.format, level.height);
    for (int row = 0; row < rows; ++row)
        std::memcpy(static_cast<uint8_t*>(rect.pBits) + size_t(row) * size_t(rect.Pitch),
                    level.pixels.data() + size_t(row) * pitch, pitch);
    unlock();
    return true;
}

// The levels in a format the device takes: `image` itself when it takes
// that format, else widened into `widened`; null when it cannot be.
const TextureImage* DeviceReady(platform::render::Device& device, const TextureImage& image,
                                TextureImage& widened, std::string* error) {
    if (device.SupportsFormat(ToD3DFormat(image.format))) return &image;
    if (!platform::image::IsCompressed(image.format)) {
        Fail(error, std::string("the device cannot make ") +
                        platform::image::FormatName(image.format) + " textures");
        return nullptr;
    }
    widened.format = PixelFormat::A8R8G8B8;
    widened.width = image.width;
    widened.height = image.height;
    widened.mipCount = image.mipCount;
    widened.cube = image.cube;
    widened.levels.clear();
    for (const Image& level : image.levels)
        widened.levels.push_back(platform::image::ToBgra8(level));
    return &widened;
}

// The device's textures keep a copy of their levels, and a format the
// device lacks is widened first: either can need more memory than there is.
template <class Make>
auto RefuseShortage(const TextureImage& image, std::string* error, Make make) -> decltype(make()) {
    try {
        return make();
    } catch (const std::bad_alloc&) {
        platform::image::ImageOutOfMemory(
            error, "a " + std::to_string(image.width) + " x " + std::to_string(image.height) + " " +
                       platform::image::FormatName(image.format) + " texture on the device");
        return {};
    }
}

std::unique_ptr<platform::render::Texture>
MakeDeviceTexture(platform::render::Device& device, const TextureImage& image, std::string* error) {
    TextureImage widened;
    const TextureImage* readyLevels = DeviceReady(device, image, widened, error);
    if (!readyLevels) return nullptr;
    const TextureImage& ready = *readyLevels;
    auto texture = device.CreateTexture(ready.width, ready.height, ready.mipCount, 0,
                                        ToD3DFormat(ready.format), D3DPOOL_MANAGED);
    if (!texture) {
        Fail(error, "the device refused a " + std::to_string(ready.width) + " x " +
                        std::to_string(ready.height) + " " +
                        platform::image::FormatName(ready.format) + " texture");
        return nullptr;
    }
    for (int m = 0; m < ready.mipCount; ++m)
        if (!WriteTextureLevel(*texture, m, ready.Level(0, m), error)) return nullptr;
    return texture;
}

std::unique_ptr<platform::render::CubeTexture>
MakeCubeTexture(platform::render::Device& device, const std::string& name, std::string* error) {
    const std::string path = TexturePath(name);
    std::vector<uint8_t> bytes;
    TextureImage file;
    if (!platform::ReadWholeFile(path, bytes, error, platform::image::kMaxPictureFileBytes))
        return nullptr;
    platform::image::DdsHeader header;
    const uint32_t largest = device.GetCaps().MaxTextureWidth;
    if (platform::image::ReadDdsHeader(bytes, header) == platform::image::DdsHeaderStatus::Ok &&
        largest > 0 && (header.width > largest || header.height > largest)) {
        Fail(error, path + ": the cube map is " + std::to_string(header.width) + " x " +
                        std::to_string(header.height) + ", larger than the device takes");
        return nullptr;
    }
    if (!platform::image::DecodeDds(bytes, file, error)) {
        if (error) *error = path + ": " + *error;
        return nullptr;
    }
    if (!file.cube || file.width != file.height) {
        Fail(error, path + " is not a cube map");
        return nullptr;
    }
    TextureImage widened;
    const TextureImage* readyLevels = DeviceReady(device, file, widened, error);
    if (!readyLevels) return nullptr;
    const TextureImage& ready = *readyLevels;
    auto cube = device.CreateCubeTexture(ready.width, ready.mipCount, 0, ToD3DFormat(ready.format),
                                         D3DPOOL_MANAGED);
    if (!cube) {
        Fail(error, "the device refused the cube map of " + path);
        return nullptr;
    }
    for (int f = 0; f < 6; ++f)
        for (int m = 0; m < ready.mipCount; ++m) {
            const auto face = D3DCUBEMAP_FACES(f);
            auto* c = cube.get();
            if (!FillLevel(
                    ready.Level(f, m), [&](auto* rect) { return c->LockRect(face, m, rect, 0); },
                    [&] { c->UnlockRect(face, m); }, error))
                return nullptr;
        }
    return cube;
}

bool CopyDeviceTexture(const platform::render::BaseTexture& texture, int face, TextureImage& out,
                       std::string* error) {
    if (face < 0 || face >= texture.FaceCount())
        return Fail(error, "the texture has no face " + std::to_string(face));
    TextureImage image;
    image.format = FromD3DFormat(texture.Format());
    image.width = texture.Width();
    image.height = texture.Height();
    image.mipCount = texture.LevelCount();
    for (int m = 0; m < texture.LevelCount(); ++m) {
        Image level;
        level.format = image.format;
        level.width = texture.LevelWidth(m);
        level.height = texture.LevelHeight(m);
        level.pixels = texture.LevelData(face, m);
        if (level.pixels.size() !=
            platform::image::LevelSize(level.format, level.width, level.height))
            return Fail(error, "texture level " + std::to_string(m) + " has no readable bytes");
        image.levels.push_back(std::move(level));
    }
    out = std::move(image);
    return true;
}

} // namespace

bool WriteTextureLevel(platform::render::Texture& texture, int level, const Image& pixels,
                       std::string* error) {
    return FillLevel(
        pixels, [&](auto* rect) { return texture.LockRect(level, rect, 0); },
        [&] { texture.UnlockRect(level); }, error);
}

std::unique_ptr<platform::render::Texture> CreateDeviceTexture(platform::render::Device& device,
                                                               const TextureImage& image,
                                                               std::string* error) {
    return RefuseShortage(image, error, [&] { return MakeDeviceTexture(device, image, error); });
}

bool ReadDeviceTexture(const platform::render::BaseTexture& texture, int face, TextureImage& out,
                       std::string* error) {
    try {
        return CopyDeviceTexture(texture, face, out, error);
    } catch (const std::bad_alloc&) {
        return platform::image::ImageOutOfMemory(
            error, "a copy of a " + std::to_string(texture.Width()) + " x " +
                       std::to_string(texture.Height()) + " texture");
    }
}

std::unique_ptr<platform::render::CubeTexture>
LoadCubeTexture(platform::render::Device& device, const std::string& name, std::string* error) {
    try {
        return MakeCubeTexture(device, name, error);
    } catch (const std::bad_alloc&) {
        platform::image::ImageOutOfMemory(error, "the cube map " + name);
        return nullptr;
    }
}

} // namespace jentra::textures
