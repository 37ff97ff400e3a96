// What a device can do and who made it: capability bits in the Direct3D
// numbering, the adapter's identity (on OpenGL from the driver's strings),
// the texture formats the device offers with their bit layouts, the depth
// formats, and the check of a texture-stage set-up against the caps that
// ValidateDevice runs. The older engine generation chooses its formats and
// multi-texture paths from these, as it did from the driver's enumerations.
#pragma once

#include "platform/render/device_state.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Triangle texture-blend capabilities (the older device's blend modes).
constexpr uint32_t D3DPTBLENDCAPS_DECAL = 0x1;
constexpr uint32_t D3DPTBLENDCAPS_MODULATE = 0x2;
constexpr uint32_t D3DPTBLENDCAPS_MODULATEALPHA = 0x8;

// Texture filter capabilities.
constexpr uint32_t D3DPTFILTERCAPS_MINFPOINT = 0x100;
constexpr uint32_t D3DPTFILTERCAPS_MINFLINEAR = 0x200;
constexpr uint32_t D3DPTFILTERCAPS_MINFANISOTROPIC = 0x400;
constexpr uint32_t D3DPTFILTERCAPS_MIPFPOINT = 0x10000;
constexpr uint32_t D3DPTFILTERCAPS_MIPFLINEAR = 0x20000;
constexpr uint32_t D3DPTFILTERCAPS_MAGFPOINT = 0x1000000;
constexpr uint32_t D3DPTFILTERCAPS_MAGFLINEAR = 0x2000000;
constexpr uint32_t D3DPTFILTERCAPS_MAGFANISOTROPIC = 0x4000000;

// Results of ValidateDevice.
constexpr int32_t D3DERR_UNSUPPORTEDCOLOROPERATION = int32_t(0x88760819u);
constexpr int32_t D3DERR_UNSUPPORTEDCOLORARG = int32_t(0x8876081Au);
constexpr int32_t D3DERR_UNSUPPORTEDALPHAOPERATION = int32_t(0x8876081Bu);
constexpr int32_t D3DERR_UNSUPPORTEDALPHAARG = int32_t(0x8876081Cu);
constexpr int32_t D3DERR_TOOMANYOPERATIONS = int32_t(0x8876081Du);
// A surface showing on the window was lost (as a mode change or another
// program taking the screen did to the older device).
constexpr int32_t D3DERR_SURFACELOST = int32_t(0x887601C2u);

namespace platform::render {

// Texture operations a stage can run: one bit per D3DTEXTUREOP.
constexpr uint32_t TextureOpCap(D3DTEXTUREOP op) {
    return 1u << (uint32_t(op) - 1);
}

struct DeviceCaps {
    uint32_t TextureOpCaps = 0;
    uint32_t TextureBlendCaps = 0; // D3DPTBLENDCAPS_*
    uint32_t TextureFilterCaps = 0;
    uint32_t MaxTextureBlendStages = 0;
    uint32_t MaxSimultaneousTextures = 0;
    uint32_t MaxAnisotropy = 1;
    uint32_t MaxTextureWidth = 0;
    uint32_t MaxTextureHeight = 0;
    bool HardwareTransformAndLight = true; // GL transforms on the GPU
};

// What the backends offer when nothing narrower is known: every operation
// the fixed-function stages run (no environment bump mapping), four stages.
DeviceCaps DefaultDeviceCaps();

// Who made the device. On OpenGL: Description is the renderer string,
// Driver the vendor string, Version the version string; the ids are hashes
// of them, so the same driver is recognised from run to run.
struct AdapterIdentifier {
    std::string Driver;
    std::string Description;
    std::string Version;
    uint32_t VendorId = 0;
    uint32_t DeviceId = 0;
    uint32_t SubSysId = 0;
    uint32_t Revision = 0;
};

// Whether the renderer string names one of Mesa's software rasterisers,
// which draw on the processor.
bool IsSoftwareRasteriser(std::string_view renderer);

// Whether a driver, by its renderer string and whether it has the GL
// extension, offers anisotropic filtering as a capability. A software
// rasteriser does not: it filters anisotropically on the processor at many
// times the cost of linear filtering, and where texture coordinates change
// steeply across a pixel its filter walks a footprint so large that one
// frame takes minutes.
bool OffersAnisotropicFiltering(std::string_view renderer, bool hasExtension);

// A number standing for a name, the same from run to run.
uint32_t HashName(const std::string& name);
// The ids of an identifier from its three strings.
void HashAdapterIds(AdapterIdentifier& identifier);

// Pixel format flags, as a surface description gives them.
constexpr uint32_t kFormatAlphaPixels = 0x1;
constexpr uint32_t kFormatFourCC = 0x4;
constexpr uint32_t kFormatPaletteIndexed4 = 0x8;
constexpr uint32_t kFormatPaletteIndexed8 = 0x20;
constexpr uint32_t kFormatRgb = 0x40;
constexpr uint32_t kFormatLuminance = 0x20000;
constexpr uint32_t kFormatBumpDuDv = 0x80000;

// A texture format as the enumeration describes it.
struct TextureFormatDesc {
    D3DFORMAT Format = D3DFMT_UNKNOWN;
    uint32_t Flags = 0;
    uint32_t FourCC = 0;
    uint32_t BitCount = 0;
    // Red, green, blue, alpha; for bump formats du, dv, luminance, 0.
    uint32_t RedMask = 0, GreenMask = 0, BlueMask = 0, AlphaMask = 0;

    uint32_t AlphaBits() const;
};

// The description of a format; false for one without a texture layout.
bool DescribeTextureFormat(D3DFORMAT format, TextureFormatDesc& out);

// Checks the stages in use (up to the first whose colour operation is
// "disable") against the caps: the count of stages and of stages reading a
// texture, and every colour and alpha operation and argument. D3D_OK, or the
// first failure's code.
int32_t ValidateStages(const DeviceState& state, const DeviceCaps& caps);

} // namespace platform::render
