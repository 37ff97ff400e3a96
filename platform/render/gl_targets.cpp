// Render targets in GL: framebuffers made on demand for each pair of colour
// and depth surface and kept until one of them goes; stand-alone depth and
// multisampled surfaces as renderbuffers, single-sample 8-bit colour ones as
// textures in the window's byte order (so the back buffer can take their
// storage).
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

// A stand-alone colour surface stored as the back buffer's single-sample
// colour is.
bool KeptAsTexture(const Surface& surface) {
    return surface.GetKind() == Surface::Kind::RenderTarget && surface.Samples() <= 1 &&
           RenderbufferFormat(surface) == GL_RGBA8;
}

} // namespace

GLuint GlBackend::MakeWindowOrderTexture(int width, int height) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name);
    // An unsized format given BGRA bytes lets the driver store the texels
    // in that order, the order of the window's pixels.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    boundTextures_[0] = 0;
    stageBindVersion_ = 0;
    return name;
}

void GlBackend::AttachColor(GLuint name, bool texture) {
    if (texture)
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, name, 0);
    else
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, name);
}

void GlBackend::DeleteStorage(GLuint& name, bool texture) {
    if (name && texture) glDeleteTextures(1, &name);
    if (name && !texture) glDeleteRenderbuffers(1, &name);
    name = 0;
}

void GlBackend::InitSurface(Surface& surface) {
    if (surface.GetKind() != Surface::Kind::RenderTarget &&
        surface.GetKind() != Surface::Kind::DepthStencil)
        return; // texture levels and the back buffer have their storage already
    MakeCurrent();
    if (KeptAsTexture(surface)) {
        surface.handle = MakeWindowOrderTexture(surface.Width(), surface.Height());
        CheckErrors();
        return;
    }
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
    if (surface.GetKind() == Surface::Kind::RenderTarget ||
        surface.GetKind() == Surface::Kind::DepthStencil) {
        GLuint name = GLuint(surface.handle);
        DeleteStorage(name, KeptAsTexture(surface));
    }
    surface.handle = 0;
}

bool GlBackend::ExchangeWithBackBuffer(Surface& surface) {
    if (!KeptAsTexture(surface) || !surface.handle || !sceneColor_ || samples_ != 0 ||
        surface.Width() != width_ || surface.Height() != height_)
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
            AttachColor(picture, true);
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
        AttachColor(sceneColor_, samples_ == 0);
        break;
    case Surface::Kind::RenderTarget:
        AttachColor(GLuint(color->handle), KeptAsTexture(*color));
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
