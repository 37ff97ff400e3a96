// How each device format is stored in GL: internal format, upload format
// and type, and a swizzle for the formats GL has no direct match for.
#pragma once

#include "platform/gl.h"
#include "platform/render/device_types.h"

namespace platform::render {

struct GlFormat {
    GLenum internalFormat = 0;
    GLenum format = 0; // 0 for compressed formats
    GLenum type = 0;
    bool compressed = false;
    GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
};

// False for formats GL cannot hold.
bool GlFormatOf(D3DFORMAT format, GlFormat& out);

} // namespace platform::render
