// Render targets in GL: framebuffers made on demand for each pair of colour
// and depth surface and kept until one of them goes; stand-alone target and
// depth surfaces as renderbuffers.
#include "platform/render/gl_backend.h"

#include "platform/render/gl_formats.h"

namespace platform::render {

namespace {

GLenum RenderbufferFormat(const Surface& surface) {
    if (surface.IsDepth()) return GL_DEPTH24_STENCIL8;
    GlFormat format;
    if (!GlFormatOf(surface.Format(), format)) return GL_RGBA8;
    return format.internalFormat;
}

} // namespace

void GlBackend::InitSurface(Surface& surface) {
    if (surface.GetKind() != Surface::Kind::RenderTarget &&
        surface.GetKind() != Surface::Kind::DepthStencil)
        return; // texture levels and the back buffer have their storage already
    MakeCurrent();
    GLuint renderbuffer = 0;
    glGenRenderbuffers(1, &renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    if (surface.Samples() > 1)
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, surface.Samples(),
                                         RenderbufferFormat(surface), surface.Width(),
                                         surface.Height());
    else
        glRenderbufferStorage(GL_RENDERBUFFER, RenderbufferFormat(surface), surface.Width(),
                              surface.Height());
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    surface.handle = renderbuffer;
    CheckErrors();
}

void GlBackend::ReleaseSurface(Surface& surface) {
    MakeCurrent();
    ForgetFramebuffersOf(&surface);
    if (surface.handle && (surface.GetKind() == Surface::Kind::RenderTarget ||
                           surface.GetKind() == Surface::Kind::DepthStencil)) {
        GLuint renderbuffer = GLuint(surface.handle);
        glDeleteRenderbuffers(1, &renderbuffer);
    }
    surface.handle = 0;
}

bool GlBackend::ExchangeWithBackBuffer(Surface& surface) {
    if (surface.GetKind() != Surface::Kind::RenderTarget || !surface.handle || !sceneColor_ ||
        samples_ != 0 || surface.Samples() > 1 || surface.Width() != width_ ||
        surface.Height() != height_ || RenderbufferFormat(surface) != GL_RGBA8)
        return false;
    MakeCurrent();
    const GLuint picture = sceneColor_;
    sceneColor_ = GLuint(surface.handle);
    surface.handle = picture;
    // Every framebuffer drawing into either one follows the exchange.
    AttachBackBufferColor();
    for (const auto& [pair, fbo] : framebuffers_)
        if (fbo && pair.first == &surface) {
            glBindFramebuffer(GL_FRAMEBUFFER, fbo);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                      picture);
        }
    AfterSurfaceWork();
    return true;
}

void GlBackend::ForgetFramebuffersOf(const Surface* surface) {
    for (auto it = framebuffers_.begin(); it != framebuffers_.end();) {
        if (it->first.first == surface || it->first.second == surface) {
            if (it->second == boundFramebuffer_) {
                glBindFramebuffer(GL_FRAMEBUFFER, 0);
                boundFramebuffer_ = 0;
                boundColor_ = boundDepth_ = nullptr;
            }
            if (it->second) glDeleteFramebuffers(1, &it->second);
            it = framebuffers_.erase(it);
        } else {
            ++it;
        }
    }
    if (boundColor_ == surface || boundDepth_ == surface) {
        boundFramebuffer_ = 0;
        boundColor_ = boundDepth_ = nullptr;
    }
}

GLuint GlBackend::FramebufferFor(Surface* color, Surface* depth) {
    if (color->GetKind() == Surface::Kind::BackBuffer &&
        (depth && depth->GetKind() == Surface::Kind::AutoDepthStencil))
        return sceneFbo_;
    const std::pair<const Surface*, const Surface*> key(color, depth);
    auto found = framebuffers_.find(key);
    if (found != framebuffers_.end()) return found->second;

    GLuint fbo = 0;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    switch (color->GetKind()) {
    case Surface::Kind::BackBuffer:
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  sceneColor_);
        break;
    case Surface::Kind::RenderTarget:
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  GLuint(color->handle));
        break;
    case Surface::Kind::TextureLevel: {
        const BaseTexture* texture = color->Texture();
        const GLenum target = texture->IsCube()
                                  ? GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X + color->Face())
                                  : GLenum(GL_TEXTURE_2D);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, target,
                               GLuint(texture->handle), color->Level());
        break;
    }
    default:
        break;
    }
    if (depth) {
        const GLuint renderbuffer = depth->GetKind() == Surface::Kind::AutoDepthStencil
                                        ? sceneDepth_
                                        : GLuint(depth->handle);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  renderbuffer);
    }
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        // Kept as "cannot draw here" so every draw does not try again.
        ++errors_;
        lastError_ = "incomplete render target";
        glDeleteFramebuffers(1, &fbo);
        fbo = 0;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, boundFramebuffer_);
    framebuffers_[key] = fbo;
    return fbo;
}

bool GlBackend::BindTarget(const DeviceState& state) {
    Surface* color = state.renderTarget;
    Surface* depth = state.depthStencil;
    if (!color) return false;
    if (boundFramebuffer_ && boundColor_ == color && boundDepth_ == depth) return true;
    const GLuint fbo = FramebufferFor(color, depth);
    if (!fbo) return false;
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    boundFramebuffer_ = fbo;
    boundColor_ = color;
    boundDepth_ = depth;
    return true;
}

} // namespace platform::render
