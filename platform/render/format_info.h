// Facts about the device's pixel formats: which are textures, render
// targets or depth buffers, and how many bytes their rows and levels take.
#pragma once

#include "platform/render/device_types.h"

#include <cstddef>

namespace platform::render {

bool IsCompressedFormat(D3DFORMAT format);
bool IsDepthFormat(D3DFORMAT format);
// Formats a texture can have (uncompressed colour, luminance, bump, DXT).
bool IsTextureFormat(D3DFORMAT format);
// Formats the device can draw into.
bool IsRenderTargetFormat(D3DFORMAT format);
// Bytes of one row of a level (for DXT: one row of 4 x 4 blocks), and of a
// whole level; 0 for formats without a memory layout.
size_t FormatRowPitch(D3DFORMAT format, int width);
size_t FormatLevelSize(D3DFORMAT format, int width, int height);

} // namespace platform::render
