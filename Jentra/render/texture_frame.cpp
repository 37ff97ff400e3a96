// JTTextureFrame: one device texture, loaded from a file by the engine's
// texture rules, saved as DDS, or made empty for code that fills it.
#include "Jentra/JTDisplay.h"
#include "Jentra/JTTexture.h"

#include "Jentra/render/texture_refusal.h"
#include "Jentra/render/texture_source.h"
#include "Jentra/render/texture_upload.h"
#include "platform/image/convert.h"
#include "platform/image/dds.h"
#include "platform/image/image_error.h"
#include "platform/image/mipmap.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>

namespace {

using jentra::textures::FromD3DFormat;
using platform::image::Image;
using platform::image::TextureImage;

platform::render::Device* DeviceOf(JTDisplay* display) {
    return display ? display->GetDevice() : nullptr;
}

jentra::textures::TextureLimits LimitsOf(const platform::render::Device& device) {
    const auto caps = device.GetCaps();
    jentra::textures::TextureLimits limits;
    const uint32_t side = std::min(caps.MaxTextureWidth, caps.MaxTextureHeight);
    if (side > 0) limits.maxSide = int(std::min(side, uint32_t(1) << 30));
    return limits;
}

// The file is made whole in memory before it is written.
bool WriteDds(const std::string& path, const TextureImage& image, std::string& error) {
    try {
        return platform::image::WriteDdsFile(path, image, &error);
    } catch (const std::bad_alloc&) {
        return platform::image::ImageOutOfMemory(&error, path);
    }
}

} // namespace

const char* GetFormatString(D3DFORMAT format) {
    return platform::image::FormatName(FromD3DFormat(format));
}

JTTextureFrame::JTTextureFrame() = default;
JTTextureFrame::~JTTextureFrame() = default;

bool JTTextureFrame::Load(JTDisplay* display, const char* name, bool mips, bool) {
    texture.reset();
    hasAlpha = false;
    platform::render::Device* device = DeviceOf(display);
    if (!device || !name) return false;
    jentra::textures::LoadedFrame loaded;
    std::string error;
    const jentra::textures::TextureLimits limits = LimitsOf(*device);
    if (!jentra::textures::LoadFrameImage(name, mips, loaded, &error, limits)) {
        std::fprintf(stderr, "Jentra: texture %s: %s\n", name, error.c_str());
        return false;
    }
    if (!loaded.note.empty())
        std::fprintf(stderr, "Jentra: texture %s: %s\n", name, loaded.note.c_str());
    texture = jentra::textures::CreateDeviceTexture(*device, loaded.image, &error);
    loaded.image = {};
    if (!texture) {
        // The picture was paid for in full before the device refused it.
        if (jentra::textures::RememberRefusal(loaded.refusalName, limits.maxSide, error))
            error += "; remembered in " + loaded.refusalName;
        std::fprintf(stderr, "Jentra: texture %s: %s\n", name, error.c_str());
        return false;
    }
    hasAlpha = loaded.hasAlpha;
    return true;
}

bool JTTextureFrame::Save(JTDisplay*, const char* name) {
    if (!texture || !name) return false;
    TextureImage image;
    std::string error;
    const std::string path = jentra::textures::TexturePathForWriting(name);
    if (path.empty() || !jentra::textures::ReadDeviceTexture(*texture, 0, image, &error) ||
        !WriteDds(path, image, error)) {
        std::fprintf(stderr, "Jentra: cannot save texture %s: %s\n", name, error.c_str());
        return false;
    }
    return true;
}

bool JTTextureFrame::CreateD3DTexture(JTDisplay* display, int width, int height, D3DFORMAT format,
                                      bool mips, unsigned long usage) {
    texture.reset();
    hasAlpha = platform::image::HasAlphaChannel(FromD3DFormat(format));
    platform::render::Device* device = DeviceOf(display);
    if (!device) return false;
    texture = device->CreateTexture(width, height, mips ? 0 : 1, uint32_t(usage), format,
                                    D3DPOOL_MANAGED);
    return texture != nullptr;
}

void JTTextureFrame::CreateMIPLevels(JTDisplay*) {
    if (!texture) return;
    // Levels that cannot be made for want of memory stay as they were.
    try {
        TextureImage image;
        if (!jentra::textures::ReadDeviceTexture(*texture, 0, image)) return;
        Image above = platform::image::ToBgra8(image.levels[0]);
        for (int m = 1; m < image.mipCount; ++m) {
            above = platform::image::HalveImage(above);
            Image level;
            if (!platform::image::ConvertImage(above, image.format, level)) return;
            jentra::textures::WriteTextureLevel(*texture, m, level);
        }
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "Jentra: not enough memory for the MIP levels of a texture\n");
    }
}

long JTTextureFrame::HeightToNormal(platform::render::Texture* d3dTexture) {
    if (!d3dTexture) return 0;
    try {
        TextureImage image;
        if (!jentra::textures::ReadDeviceTexture(*d3dTexture, 0, image)) return 0;
        for (int m = 0; m < image.mipCount; ++m) {
            jentra::textures::HeightToNormalLevel(image.levels[size_t(m)]);
            jentra::textures::WriteTextureLevel(*d3dTexture, m, image.levels[size_t(m)]);
        }
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "Jentra: not enough memory to make a height map a normal map\n");
    }
    return 0;
}
