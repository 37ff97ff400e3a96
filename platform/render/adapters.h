// The display adapters as the rendering device sees them: each screen with
// its desktop mode and full-screen modes (in the device's format numbers),
// an identifier stable from run to run, and what the GL driver can do.
#pragma once

#include "platform/render/device_types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform::render {

struct AdapterInfo {
    std::string description; // the screen's name and the GL renderer
    std::string driver;      // the GL vendor and version
    // Hashes of the GL vendor, renderer and version, and of the screen's
    // name, so the same card and screen are found again at the next start.
    uint32_t vendorId = 0;
    uint32_t deviceId = 0;
    uint32_t subSysId = 0;
    uint32_t revision = 0;
    D3DDISPLAYMODE desktop{};
    std::vector<D3DDISPLAYMODE> modes; // never empty: at least the desktop mode
    int maxSamples = 0;                // multisampling the driver offers (0: none)
    int maxTextureSize = 0;
    // Vertices are transformed by the graphics card. Not so on a software
    // rasteriser, where everything runs on the processor.
    bool vertexShaders = true;
};

// Every adapter of the machine; asked once per process (the first call
// makes a small hidden GL context to ask the driver). Empty when the video
// system cannot start.
const std::vector<AdapterInfo>& QueryAdapters();

// The device format of an SDL pixel format number; D3DFMT_UNKNOWN if none.
D3DFORMAT FormatOfPixelFormat(uint32_t sdlFormat);

} // namespace platform::render
