// Device formats in GL. Direct3D's 32-bit colours are the bytes blue,
// green, red, alpha in memory (GL_BGRA); its 16-bit colours are words with
// red highest, which the packed "_REV" types read as they are.
#include "platform/render/gl_formats.h"

namespace platform::render {

namespace {

GlFormat Plain(GLenum internalFormat, GLenum format, GLenum type) {
    GlFormat f;
    f.internalFormat = internalFormat;
    f.format = format;
    f.type = type;
    return f;
}

GlFormat Compressed(GLenum internalFormat) {
    GlFormat f;
    f.internalFormat = internalFormat;
    f.compressed = true;
    return f;
}

GlFormat WithSwizzle(GlFormat f, GLint r, GLint g, GLint b, GLint a) {
    f.swizzle[0] = r;
    f.swizzle[1] = g;
    f.swizzle[2] = b;
    f.swizzle[3] = a;
    return f;
}

} // namespace

bool GlFormatOf(D3DFORMAT format, GlFormat& out) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
        out = Plain(GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE);
        return true;
    case D3DFMT_X8R8G8B8:
        out = WithSwizzle(Plain(GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE), GL_RED, GL_GREEN, GL_BLUE,
                          GL_ONE);
        return true;
    case D3DFMT_R8G8B8:
        out = Plain(GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE);
        return true;
    case D3DFMT_R5G6B5:
        out = Plain(GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5);
        return true;
    case D3DFMT_A1R5G5B5:
        out = Plain(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV);
        return true;
    case D3DFMT_X1R5G5B5:
        out = WithSwizzle(Plain(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV), GL_RED,
                          GL_GREEN, GL_BLUE, GL_ONE);
        return true;
    case D3DFMT_A4R4G4B4:
        out = Plain(GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV);
        return true;
    case D3DFMT_X4R4G4B4:
        out = WithSwizzle(Plain(GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV), GL_RED, GL_GREEN,
                          GL_BLUE, GL_ONE);
        return true;
    case D3DFMT_A8:
        out =
            WithSwizzle(Plain(GL_R8, GL_RED, GL_UNSIGNED_BYTE), GL_ZERO, GL_ZERO, GL_ZERO, GL_RED);
        return true;
    case D3DFMT_L8:
        out = WithSwizzle(Plain(GL_R8, GL_RED, GL_UNSIGNED_BYTE), GL_RED, GL_RED, GL_RED, GL_ONE);
        return true;
    case D3DFMT_A8L8:
        out = WithSwizzle(Plain(GL_RG8, GL_RG, GL_UNSIGNED_BYTE), GL_RED, GL_RED, GL_RED, GL_GREEN);
        return true;
    case D3DFMT_V8U8:
        out = Plain(GL_RG8_SNORM, GL_RG, GL_BYTE);
        return true;
    // Premultiplied DXT2 and DXT4 are stored like DXT3 and DXT5.
    case D3DFMT_DXT1:
        out = Compressed(GL_COMPRESSED_RGBA_S3TC_DXT1_EXT);
        return true;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
        out = Compressed(GL_COMPRESSED_RGBA_S3TC_DXT3_EXT);
        return true;
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        out = Compressed(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT);
        return true;
    default:
        return false;
    }
}

} // namespace platform::render
