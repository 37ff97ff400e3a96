// The OpenGL backend's surface work: copies between surfaces through
// framebuffer blits (every surface is stored top row first, so rectangles
// carry over unchanged; only the window itself is upright), fills by a
// scissored clear, showing the primary on the window, reading pixels back,
// and what the driver says about itself.
#include "platform/render/gl_backend.h"

#include "platform/window.h"

#include <algorithm>

namespace platform::render {

namespace {

bool HasAlpha(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_A1R5G5B5 || format == D3DFMT_A4R4G4B4;
}

} // namespace

void GlBackend::AfterSurfaceWork() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    boundFramebuffer_ = 0;
    boundColor_ = boundDepth_ = nullptr;
    viewportKnown_ = false;
    if (rasterKnown_)
        glColorMask(raster_.colorMask[0], raster_.colorMask[1], raster_.colorMask[2],
                    raster_.colorMask[3]);
    CheckErrors();
}

bool GlBackend::StretchRect(Surface& source, const D3DRECT& from, Surface& target,
                            const D3DRECT& to, bool linear) {
    MakeCurrent();
    const GLuint read = FramebufferFor(&source, nullptr);
    const GLuint draw = FramebufferFor(&target, nullptr);
    if (!read || !draw) return false;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, read);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, draw);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBlitFramebuffer(from.x1, from.y1, from.x2, from.y2, to.x1, to.y1, to.x2, to.y2,
                      GL_COLOR_BUFFER_BIT, linear ? GL_LINEAR : GL_NEAREST);
    AfterSurfaceWork();
    return true;
}

bool GlBackend::ColorFill(Surface& target, const D3DRECT& rect, D3DCOLOR color) {
    MakeCurrent();
    const GLuint fbo = FramebufferFor(&target, nullptr);
    if (!fbo) return false;
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glEnable(GL_SCISSOR_TEST);
    glScissor(rect.x1, rect.y1, rect.x2 - rect.x1, rect.y2 - rect.y1);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                 float(color & 0xFF) / 255.0f, float(color >> 24) / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    AfterSurfaceWork();
    return true;
}

bool GlBackend::ShowOnWindow(Surface& surface) {
    MakeCurrent();
    const GLuint read = FramebufferFor(&surface, nullptr);
    if (!read) return false;
    int drawableWidth = 0, drawableHeight = 0;
    window_.DrawableSize(drawableWidth, drawableHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, read);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // Upright on the window: the surface's top row goes to the window's top.
    const bool sameSize = drawableWidth == surface.Width() && drawableHeight == surface.Height();
    glBlitFramebuffer(0, 0, surface.Width(), surface.Height(), 0, drawableHeight, drawableWidth, 0,
                      GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
    AfterSurfaceWork();
    window_.Swap();
    return true;
}

bool GlBackend::ReadSurface(Surface& surface, std::vector<uint32_t>& argb) {
    MakeCurrent();
    const GLuint read = FramebufferFor(&surface, nullptr);
    if (!read) return false;
    argb.assign(size_t(surface.Width()) * size_t(surface.Height()), 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, read);
    // Row 0 of a surface is its top row.
    glReadPixels(0, 0, surface.Width(), surface.Height(), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                 argb.data());
    AfterSurfaceWork();
    if (!HasAlpha(surface.Format()))
        for (uint32_t& pixel : argb)
            pixel |= 0xFF000000u;
    return true;
}

DeviceCaps GlBackend::GetCaps() const {
    DeviceCaps caps = DefaultDeviceCaps();
    if (maxAnisotropy_ > 1.0f) {
        caps.TextureFilterCaps |= D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC;
        caps.MaxAnisotropy = uint32_t(maxAnisotropy_);
    }
    if (maxTextureSize_ > 0) caps.MaxTextureWidth = caps.MaxTextureHeight = maxTextureSize_;
    return caps;
}

AdapterIdentifier GlBackend::GetAdapterIdentifier() const {
    return identifier_;
}

void GlBackend::ReadDriverFacts() {
    identifier_.Driver = context_->Vendor();
    identifier_.Description = context_->Renderer();
    identifier_.Version = context_->Version();
    HashAdapterIds(identifier_);
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    maxTextureSize_ = size > 0 ? uint32_t(size) : 0;
    expandTextures_ = IsSoftwareRasteriser(identifier_.Description);
    invalidateBuffers_ =
        epoxy_gl_version() >= 43 || epoxy_has_gl_extension("GL_ARB_invalidate_subdata");
    const bool extension = epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
                           epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic");
    if (OffersAnisotropicFiltering(identifier_.Description, extension)) {
        GLfloat limit = 1.0f;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &limit);
        maxAnisotropy_ = std::max(1.0f, limit);
    }
}

} // namespace platform::render
