// What the display's device can do: the multi-texture level found by
// validating trial stage set-ups, the blend capabilities, the driver
// workarounds, the monitor power-save check, and the z-buffer format.
#include "desktop/display/device/display.h"

#include "desktop/shell/registry.h"
#include "desktop/display/device/driver_workarounds.h"
#include "desktop/display/device/power_save_check.h"
#include "platform/render/device.h"

namespace lumivane {

namespace {

using platform::render::TextureOpCap;

int DepthBits(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
        return 16;
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D32:
        return 32;
    default:
        return 0;
    }
}

} // namespace

D3DFORMAT Display::ChooseZBufferFormat() const {
    // The enumeration stops at the first 16-bit format; without one the last
    // format listed stays.
    D3DFORMAT chosen = D3DFMT_UNKNOWN;
    if (!device_) return chosen;
    for (D3DFORMAT format : device_->EnumDepthFormats()) {
        chosen = format;
        if (DepthBits(format) == 16) break;
    }
    return chosen;
}

void Display::ProbeMultiTexture() {
    multiTextureLevel_ = 2;
    if (!multiTextureReset_) {
        states_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        states_.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
        states_.SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_MODULATE);
        states_.SetTextureStageState(2, D3DTSS_COLORARG1, D3DTA_CURRENT);
        states_.SetTextureStageState(2, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        states_.SetTextureStageState(2, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        states_.SetTextureStageState(2, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
        states_.SetTextureStageState(2, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        multiTextureReset_ = true;
    }
    uint32_t passes = 0;
    if (device3D_->ValidateDevice(&passes) == D3D_OK) return;
    // Two stages only: the third is switched off for the second try, which
    // would otherwise validate the same set-up again.
    multiTextureLevel_ = 1;
    states_.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    states_.SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
    states_.SetTextureStageState(2, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    if (device3D_->ValidateDevice(&passes) == D3D_OK) return;
    multiTextureLevel_ = 0;
}

void Display::ReadDeviceCaps() {
    const platform::render::DeviceCaps caps = device3D_->GetCaps();
    modulateAlpha_ = (caps.TextureBlendCaps & D3DPTBLENDCAPS_MODULATEALPHA) != 0;
    modulate2x_ = (caps.TextureOpCaps & TextureOpCap(D3DTOP_MODULATE2X)) != 0;
    dot3_ = (caps.TextureOpCaps & TextureOpCap(D3DTOP_DOTPRODUCT3)) != 0;
    envBump_ = (caps.TextureOpCaps & TextureOpCap(D3DTOP_BUMPENVMAP)) != 0;
    multipleTextures_ = caps.MaxSimultaneousTextures > 1;
    if (dot3_) {
        if (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC)
            states_.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_ANISOTROPIC);
        if (caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC)
            states_.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_ANISOTROPIC);
        if (caps.MaxAnisotropy > 1) states_.SetTextureStageState(0, D3DTSS_MAXANISOTROPY, 2);
    }
}

int32_t Display::SetupDeviceCaps() {
    if (!device3D_) return D3DERR_INVALIDCALL;
    // The surfaces of a GL device are never lost behind its back; a target
    // starts black.
    device3D_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);

    ProbeMultiTexture();
    DriverNames names;
    if (adapter_) {
        names.adapterDriver = adapter_->driverName;
        names.adapterDescription = adapter_->description;
        names.identifierDescription = adapter_->identifier.description;
        names.driverFile = adapter_->identifier.driverFile;
    }
    multiTextureLevel_ = LimitMultiTexture(names, multiTextureLevel_);
    ReadDeviceCaps();
    const WorkaroundResult result =
        ApplyBumpWorkarounds(names, BlendCaps{multiTextureLevel_, dot3_, envBump_});
    dot3_ = result.caps.dot3;
    envBump_ = result.caps.environmentBump;
    if (result.checkMonitorPowerSave) CheckMonitorPowerSave(powerSchemes_, gpRegistry);
    return D3D_OK;
}

} // namespace lumivane
