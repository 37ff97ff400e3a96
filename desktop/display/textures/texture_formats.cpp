// The program-wide texture formats (16-bit 5:6:5 for plain pixels, the
// alpha format with the most alpha bits up to 4), the largest level the
// device can make, and the staging pictures.
#include "desktop/display/textures/texture_manager.h"

#include "platform/render/device.h"

namespace lumivane {

using platform::render::TextureFormatDesc;

bool TextureManager::ChooseFormats() {
    platform::render::Device* device = Device();
    plainFormat_ = alphaFormat_ = D3DFMT_UNKNOWN;
    deviceMaxLevel_ = -1;
    if (!device) return false;

    uint32_t alphaBits = 0;
    bool found565 = false;
    TextureFormatDesc plain;
    TextureFormatDesc alpha;
    for (const TextureFormatDesc& desc : device->EnumTextureFormats()) {
        if (desc.Flags & platform::render::kFormatAlphaPixels) {
            const uint32_t bits = desc.AlphaBits();
            if (bits > alphaBits && bits <= 4) {
                alphaBits = bits;
                alpha = desc;
            }
            continue;
        }
        const bool rgb = (desc.Flags & platform::render::kFormatRgb) && desc.BitCount > 8;
        const bool palette = desc.Flags & (platform::render::kFormatPaletteIndexed4 |
                                           platform::render::kFormatPaletteIndexed8);
        if (!rgb && !palette) continue;
        if (desc.BitCount != 16) continue;
        if (desc.RedMask == 0xF800 && desc.GreenMask == 0x07E0 && desc.BlueMask == 0x001F) {
            plain = desc;
            found565 = true;
        } else if (!found565) {
            plain = desc;
        }
    }
    plainFormat_ = plain.Format;
    alphaFormat_ = alpha.Format;
    // DOT3 needs the normals' three channels at 5:6:5.
    if (!found565) host_->ClearDot3();
    if (plainFormat_ == D3DFMT_UNKNOWN || alphaFormat_ == D3DFMT_UNKNOWN ||
        plain.BitCount != alpha.BitCount) {
        ReportFatalError(kEntryNoTextureFormats, "");
        plainFormat_ = alphaFormat_ = D3DFMT_UNKNOWN;
        return false;
    }

    for (int level = 0; level < kTextureLevelCount; ++level) {
        auto probe = device->CreateTexture(LevelSide(level), LevelSide(level), 1, 0, plainFormat_,
                                           D3DPOOL_DEFAULT);
        if (probe) deviceMaxLevel_ = level;
    }
    return true;
}

bool TextureManager::MakeStaging() {
    // The staging picture is made at the size of the first compressed
    // level shown; here only the formats it converts to are checked.
    const bool usable =
        platform::image::BitsPerPixel(platform::image::PixelFormat(plainFormat_)) > 0 &&
        platform::image::BitsPerPixel(platform::image::PixelFormat(alphaFormat_)) > 0;
    if (workingMaxLevel_ >= 0 && !usable) {
        ReportFatalError(kEntrySurfaceFailed, "");
        return false;
    }
    stagingMade_ = true;
    return true;
}

} // namespace lumivane
