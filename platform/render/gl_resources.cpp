// Buffers and textures in GL: made from the resource's CPU copy, updated
// from it when it is unlocked, deleted when it goes.
#include "platform/render/gl_backend.h"

#include "platform/image/convert.h"
#include "platform/render/gl_formats.h"

namespace platform::render {

namespace {

GLenum BufferUsage(const Buffer& buffer) {
    return (buffer.Usage() & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW;
}

GLenum TextureTarget(const BaseTexture& texture) {
    return texture.IsCube() ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
}

GLenum FaceTarget(const BaseTexture& texture, int face) {
    return texture.IsCube() ? GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face) : GLenum(GL_TEXTURE_2D);
}

// The colour formats whose texels a software rasteriser would unpack on
// every fetch: compressed blocks, 16-bit and 24-bit pixels.
bool UnpackedOnEveryFetch(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_DXT1:
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        return true;
    default:
        return false;
    }
}

} // namespace

// ---- buffers ----

void GlBackend::InitBuffer(Buffer& buffer) {
    MakeCurrent();
    GLuint name = 0;
    glGenBuffers(1, &name);
    // Any buffer may be filled through the array target; index buffers are
    // bound as element arrays only when drawn.
    glBindBuffer(GL_ARRAY_BUFFER, name);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(buffer.Size()), buffer.Data(), BufferUsage(buffer));
    buffer.handle = name;
    CheckErrors();
}

void GlBackend::UpdateBuffer(Buffer& buffer) {
    if (!buffer.handle) return;
    MakeCurrent();
    glBindBuffer(GL_ARRAY_BUFFER, GLuint(buffer.handle));
    // A discarding lock lets GL hand out fresh storage instead of waiting
    // for draws that still read the old contents. Invalidating says just
    // that; specifying the store anew also asks for it cleared, which a
    // software rasteriser does in full for every lock of a large buffer.
    if (buffer.LockedDiscard()) {
        if (invalidateBuffers_)
            glInvalidateBufferData(GLuint(buffer.handle));
        else
            glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(buffer.Size()), nullptr, BufferUsage(buffer));
    }
    glBufferSubData(GL_ARRAY_BUFFER, GLintptr(buffer.LockedOffset()),
                    GLsizeiptr(buffer.LockedSize()), buffer.Data() + buffer.LockedOffset());
}

void GlBackend::ReleaseBuffer(Buffer& buffer) {
    if (!buffer.handle) return;
    MakeCurrent();
    GLuint name = GLuint(buffer.handle);
    glDeleteBuffers(1, &name);
    buffer.handle = 0;
    inputVersion_ = 0; // the vertex input may have pointed at it
}

// ---- textures ----

void GlBackend::InitTexture(BaseTexture& texture) {
    GlFormat format;
    if (!GlFormatOf(texture.Format(), format) || !SupportsFormat(texture.Format())) return;
    MakeCurrent();
    GLuint name = 0;
    glGenTextures(1, &name);
    const GLenum target = TextureTarget(texture);
    const int unit = texture.IsCube() ? kMaxTextureStages : 0;
    glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    glBindTexture(target, name);
    boundTextures_[unit] = name;
    stageBindVersion_ = 0;
    glTexParameteri(target, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, texture.LevelCount() - 1);
    glTexParameteri(target, GL_TEXTURE_SWIZZLE_R, format.swizzle[0]);
    glTexParameteri(target, GL_TEXTURE_SWIZZLE_G, format.swizzle[1]);
    glTexParameteri(target, GL_TEXTURE_SWIZZLE_B, format.swizzle[2]);
    glTexParameteri(target, GL_TEXTURE_SWIZZLE_A, format.swizzle[3]);
    for (int face = 0; face < texture.FaceCount(); ++face)
        for (int level = 0; level < texture.LevelCount(); ++level)
            UploadLevel(texture, face, level, true);
    texture.handle = name;
    CheckErrors();
}

bool GlBackend::StoresExpanded(const BaseTexture& texture) const {
    // A software rasteriser samples 8-bit BGRA texels fastest and unpacks
    // any other layout on every fetch, which costs more than the memory the
    // wider texels take. What is drawn into stays as it is, so drawing keeps
    // the target's precision; the program's own copy keeps its format.
    return expandTextures_ && !texture.IsRenderTarget() && UnpackedOnEveryFetch(texture.Format());
}

void GlBackend::UploadLevel(BaseTexture& texture, int face, int level, bool allocate) {
    GlFormat format;
    if (!GlFormatOf(texture.Format(), format)) return;
    const GLenum target = FaceTarget(texture, face);
    const GLsizei w = texture.LevelWidth(level), h = texture.LevelHeight(level);
    const std::vector<uint8_t>& data = texture.LevelData(face, level);
    if (StoresExpanded(texture)) {
        platform::image::Image bgra;
        if (!data.empty()) {
            platform::image::Image source;
            source.format = platform::image::PixelFormat(uint32_t(texture.Format()));
            source.width = w;
            source.height = h;
            source.pixels = data;
            bgra = platform::image::ToBgra8(source);
        }
        const void* pixels = bgra.pixels.empty() ? nullptr : bgra.pixels.data();
        if (allocate)
            glTexImage2D(target, level, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
        else if (pixels)
            glTexSubImage2D(target, level, 0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
        return;
    }
    const void* pixels = data.empty() ? nullptr : data.data();
    if (format.compressed) {
        if (allocate)
            glCompressedTexImage2D(target, level, format.internalFormat, w, h, 0,
                                   GLsizei(texture.LevelBytes(level)), pixels);
        else
            glCompressedTexSubImage2D(target, level, 0, 0, w, h, format.internalFormat,
                                      GLsizei(data.size()), pixels);
    } else if (allocate) {
        glTexImage2D(target, level, GLint(format.internalFormat), w, h, 0, format.format,
                     format.type, pixels);
    } else {
        glTexSubImage2D(target, level, 0, 0, w, h, format.format, format.type, pixels);
    }
}

void GlBackend::UpdateTexture(BaseTexture& texture, int face, int level) {
    GlFormat format;
    if (!texture.handle || !GlFormatOf(texture.Format(), format)) return;
    MakeCurrent();
    const int unit = texture.IsCube() ? kMaxTextureStages : 0;
    glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    glBindTexture(TextureTarget(texture), GLuint(texture.handle));
    boundTextures_[unit] = GLuint(texture.handle);
    stageBindVersion_ = 0;
    UploadLevel(texture, face, level, false);
}

void GlBackend::ReleaseTexture(BaseTexture& texture) {
    if (!texture.handle) return;
    MakeCurrent();
    GLuint name = GLuint(texture.handle);
    glDeleteTextures(1, &name);
    // GL unbinds a deleted texture everywhere.
    for (GLuint& bound : boundTextures_)
        if (bound == name) bound = 0;
    stageBindVersion_ = 0;
    texture.handle = 0;
}

} // namespace platform::render
