// Moving texture levels between the CPU and the rendering device: a frame's
// levels into a managed device texture, a device texture's levels back out
// (for saving), and a cube map read from a DDS file.
#pragma once

#include "platform/image/image.h"
#include "platform/render/device.h"

#include <memory>
#include <string>

namespace jentra::textures {

// The device's number for a pixel format (the numbers are the same).
inline D3DFORMAT ToD3DFormat(platform::image::PixelFormat format) {
    return D3DFORMAT(uint32_t(format));
}
inline platform::image::PixelFormat FromD3DFormat(D3DFORMAT format) {
    return platform::image::PixelFormat(uint32_t(format));
}

// A managed texture holding the levels of face 0. A format the device
// cannot make (DXT without the driver's support) is given to it as
// A8R8G8B8. Null with a reason when no texture could be made.
std::unique_ptr<platform::render::Texture>
CreateDeviceTexture(platform::render::Device& device, const platform::image::TextureImage& image,
                    std::string* error = nullptr);

// Writes `pixels` (in the texture's format and the level's size) into one
// level of a texture through its lock.
bool WriteTextureLevel(platform::render::Texture& texture, int level,
                       const platform::image::Image& pixels, std::string* error = nullptr);

// Copies every level of one face of a device texture.
bool ReadDeviceTexture(const platform::render::BaseTexture& texture, int face,
                       platform::image::TextureImage& out, std::string* error = nullptr);

// A cube texture from a six-face DDS file below "modules\", every level the
// file has.
std::unique_ptr<platform::render::CubeTexture> LoadCubeTexture(platform::render::Device& device,
                                                               const std::string& name,
                                                               std::string* error = nullptr);

} // namespace jentra::textures
