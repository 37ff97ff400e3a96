// Capabilities, adapter identity, texture format descriptions and the
// validation of texture-stage set-ups.
#include "platform/render/device_caps.h"

#include "platform/render/fixed_function.h"
#include "platform/render/format_info.h"

#include <bit>

namespace platform::render {

namespace {

struct FormatLayout {
    D3DFORMAT format;
    uint32_t flags, bits, red, green, blue, alpha;
};

constexpr FormatLayout kLayouts[] = {
    {D3DFMT_R8G8B8, kFormatRgb, 24, 0xFF0000, 0xFF00, 0xFF, 0},
    {D3DFMT_A8R8G8B8, kFormatRgb | kFormatAlphaPixels, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {D3DFMT_X8R8G8B8, kFormatRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0},
    {D3DFMT_R5G6B5, kFormatRgb, 16, 0xF800, 0x7E0, 0x1F, 0},
    {D3DFMT_X1R5G5B5, kFormatRgb, 16, 0x7C00, 0x3E0, 0x1F, 0},
    {D3DFMT_A1R5G5B5, kFormatRgb | kFormatAlphaPixels, 16, 0x7C00, 0x3E0, 0x1F, 0x8000},
    {D3DFMT_A4R4G4B4, kFormatRgb | kFormatAlphaPixels, 16, 0xF00, 0xF0, 0xF, 0xF000},
    {D3DFMT_X4R4G4B4, kFormatRgb, 16, 0xF00, 0xF0, 0xF, 0},
    {D3DFMT_A8, kFormatAlphaPixels, 8, 0, 0, 0, 0xFF},
    {D3DFMT_L8, kFormatLuminance, 8, 0xFF, 0, 0, 0},
    {D3DFMT_A8L8, kFormatLuminance | kFormatAlphaPixels, 16, 0xFF, 0, 0, 0xFF00},
    {D3DFMT_V8U8, kFormatBumpDuDv, 16, 0xFF, 0xFF00, 0, 0},
};

// The fixed-function stages run every operation but the environment bump
// ones and premodulation.
uint32_t FixedFunctionOps() {
    uint32_t ops = 0;
    for (uint32_t op = D3DTOP_DISABLE; op <= D3DTOP_LERP; ++op)
        ops |= TextureOpCap(D3DTEXTUREOP(op));
    return ops & ~(TextureOpCap(D3DTOP_BUMPENVMAP) | TextureOpCap(D3DTOP_BUMPENVMAPLUMINANCE) |
                   TextureOpCap(D3DTOP_PREMODULATE));
}

bool ValidArgument(uint32_t arg) {
    return (arg & D3DTA_SELECTMASK) <= D3DTA_TEMP &&
           (arg & ~(D3DTA_SELECTMASK | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE)) == 0;
}

// The arguments an operation reads (0: none, else bits 0..2 for arg 0..2).
uint32_t ArgumentsRead(uint32_t op) {
    switch (op) {
    case D3DTOP_DISABLE:
        return 0;
    case D3DTOP_SELECTARG1:
        return 0x2;
    case D3DTOP_SELECTARG2:
        return 0x4;
    case D3DTOP_MULTIPLYADD:
    case D3DTOP_LERP:
        return 0x7;
    default:
        return 0x6;
    }
}

} // namespace

DeviceCaps DefaultDeviceCaps() {
    DeviceCaps caps;
    caps.TextureOpCaps = FixedFunctionOps();
    caps.TextureBlendCaps =
        D3DPTBLENDCAPS_DECAL | D3DPTBLENDCAPS_MODULATE | D3DPTBLENDCAPS_MODULATEALPHA;
    caps.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                             D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MIPFLINEAR |
                             D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    caps.MaxTextureBlendStages = kFixedStages;
    caps.MaxSimultaneousTextures = kFixedStages;
    caps.MaxAnisotropy = 1;
    caps.MaxTextureWidth = caps.MaxTextureHeight = 16384;
    return caps;
}

uint32_t HashName(const std::string& name) {
    // FNV-1a.
    uint32_t hash = 2166136261u;
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

void HashAdapterIds(AdapterIdentifier& identifier) {
    identifier.VendorId = HashName(identifier.Driver);
    identifier.DeviceId = HashName(identifier.Description);
    identifier.SubSysId = 0;
    identifier.Revision = HashName(identifier.Version);
}

bool IsSoftwareRasteriser(std::string_view renderer) {
    // Mesa's software rasterisers name themselves in the renderer string.
    for (std::string_view software : {"llvmpipe", "softpipe", "swrast"})
        if (renderer.find(software) != std::string_view::npos) return true;
    return false;
}

bool OffersAnisotropicFiltering(std::string_view renderer, bool hasExtension) {
    return hasExtension && !IsSoftwareRasteriser(renderer);
}

uint32_t TextureFormatDesc::AlphaBits() const {
    return (Flags & kFormatAlphaPixels) ? uint32_t(std::popcount(AlphaMask)) : 0;
}

bool DescribeTextureFormat(D3DFORMAT format, TextureFormatDesc& out) {
    if (IsCompressedFormat(format)) {
        out = {};
        out.Format = format;
        out.Flags = kFormatFourCC;
        out.FourCC = uint32_t(format);
        return true;
    }
    for (const FormatLayout& layout : kLayouts)
        if (layout.format == format) {
            out = {format,     layout.flags, 0,           layout.bits,
                   layout.red, layout.green, layout.blue, layout.alpha};
            return true;
        }
    return false;
}

int32_t ValidateStages(const DeviceState& state, const DeviceCaps& caps) {
    uint32_t texturesRead = 0;
    for (uint32_t stage = 0; stage < uint32_t(kMaxTextureStages); ++stage) {
        const uint32_t* ss = state.stageStates[stage];
        const uint32_t colorOp = ss[D3DTSS_COLOROP];
        if (colorOp == D3DTOP_DISABLE) break;
        if (stage >= caps.MaxTextureBlendStages) return D3DERR_TOOMANYOPERATIONS;
        if (colorOp < D3DTOP_DISABLE || colorOp > D3DTOP_LERP ||
            !(caps.TextureOpCaps & TextureOpCap(D3DTEXTUREOP(colorOp))))
            return D3DERR_UNSUPPORTEDCOLOROPERATION;
        const uint32_t alphaOp = ss[D3DTSS_ALPHAOP];
        if (alphaOp < D3DTOP_DISABLE || alphaOp > D3DTOP_LERP ||
            !(caps.TextureOpCaps & TextureOpCap(D3DTEXTUREOP(alphaOp))))
            return D3DERR_UNSUPPORTEDALPHAOPERATION;

        const uint32_t colorArgs[3] = {ss[D3DTSS_COLORARG0], ss[D3DTSS_COLORARG1],
                                       ss[D3DTSS_COLORARG2]};
        const uint32_t alphaArgs[3] = {ss[D3DTSS_ALPHAARG0], ss[D3DTSS_ALPHAARG1],
                                       ss[D3DTSS_ALPHAARG2]};
        bool readsTexture = false;
        for (int i = 0; i < 3; ++i) {
            if (ArgumentsRead(colorOp) & (1u << i)) {
                if (!ValidArgument(colorArgs[i])) return D3DERR_UNSUPPORTEDCOLORARG;
                readsTexture |= (colorArgs[i] & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
            }
            if (ArgumentsRead(alphaOp) & (1u << i)) {
                if (!ValidArgument(alphaArgs[i])) return D3DERR_UNSUPPORTEDALPHAARG;
                readsTexture |= (alphaArgs[i] & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
            }
        }
        if (readsTexture && ++texturesRead > caps.MaxSimultaneousTextures)
            return D3DERR_TOOMANYOPERATIONS;
    }
    return D3D_OK;
}

} // namespace platform::render
