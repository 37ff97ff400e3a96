// The OpenGL backend's frame: context, back buffer, clears, draws, present,
// read-back and error counting.
#include "platform/render/gl_backend.h"

#include "platform/render/fixed_function.h"
#include "platform/render/format_info.h"
#include "platform/window.h"

#include <algorithm>
#include <utility>

namespace platform::render {

namespace {

GLenum GlPrimitive(D3DPRIMITIVETYPE type) {
    switch (type) {
    case D3DPT_POINTLIST:
        return GL_POINTS;
    case D3DPT_LINELIST:
        return GL_LINES;
    case D3DPT_LINESTRIP:
        return GL_LINE_STRIP;
    case D3DPT_TRIANGLELIST:
        return GL_TRIANGLES;
    case D3DPT_TRIANGLESTRIP:
        return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN:
        return GL_TRIANGLE_FAN;
    }
    return GL_TRIANGLES;
}

const char* GlErrorName(GLenum error) {
    switch (error) {
    case GL_INVALID_ENUM:
        return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE:
        return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION:
        return "GL_INVALID_OPERATION";
    case GL_INVALID_FRAMEBUFFER_OPERATION:
        return "GL_INVALID_FRAMEBUFFER_OPERATION";
    case GL_OUT_OF_MEMORY:
        return "GL_OUT_OF_MEMORY";
    default:
        return "GL error";
    }
}

} // namespace

std::unique_ptr<Backend> CreateGlBackend(Window& window, std::string* error) {
    auto context = GlContext::Create(window, error);
    if (!context) return nullptr;
    return std::make_unique<GlBackend>(window, std::move(context));
}

GlBackend::GlBackend(Window& window, std::unique_ptr<GlContext> context)
    : window_(window), context_(std::move(context)) {
    MakeCurrent();
    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    glGenSamplers(kUnits, samplers_);
    for (int unit = 0; unit < kUnits; ++unit)
        glBindSampler(GLuint(unit), samplers_[unit]);
    // Surfaces are stored top row first and drawn upside down (see
    // jtToClip), so Direct3D's clockwise front faces are GL's
    // counter-clockwise ones.
    glFrontFace(GL_CCW);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    ReadDriverFacts();
    CheckErrors();
}

GlBackend::~GlBackend() {
    MakeCurrent();
    fixed_ = nullptr;
    fixedPrograms_.clear();
    for (auto& [key, fbo] : framebuffers_)
        if (fbo) glDeleteFramebuffers(1, &fbo);
    framebuffers_.clear();
    FreeBackBuffer();
    glDeleteSamplers(kUnits, samplers_);
    glDeleteBuffers(1, &streamVertices_.buffer);
    glDeleteBuffers(1, &streamIndices_.buffer);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vao_);
}

void GlBackend::MakeCurrent() {
    if (!context_->IsCurrent()) context_->MakeCurrent();
}

void GlBackend::CheckErrors() {
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError()) {
        ++errors_;
        lastError_ = GlErrorName(error);
    }
}

int GlBackend::TakeErrors(std::string* last) {
    MakeCurrent();
    CheckErrors();
    int count = errors_;
    if (last) *last = lastError_;
    errors_ = 0;
    return count;
}

bool GlBackend::SupportsFormat(D3DFORMAT format) const {
    if (IsCompressedFormat(format))
        return epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc") != 0;
    return true;
}

bool GlBackend::Reset(const PresentParams& params, int width, int height, int samples,
                      std::string* error) {
    MakeCurrent();
    CheckErrors();
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    samples = std::min(samples, int(maxSamples));
    if (samples < 2) samples = 0;

    if (!sceneFbo_) glGenFramebuffers(1, &sceneFbo_);
    // The front-buffer copy is made again at the first present of the new
    // size: a program that shows its frames another way never pays for it.
    FreePresentCopy();
    auto storage = [&](GLuint renderbuffer, GLenum format, int count) {
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
        if (count > 0)
            glRenderbufferStorageMultisample(GL_RENDERBUFFER, count, format, width, height);
        else
            glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
    };
    // The colour storage is made anew: its kind follows the sample count.
    DeleteStorage(sceneColor_, samples_ == 0);
    GLint realSamples = 0;
    if (samples > 0) {
        glGenRenderbuffers(1, &sceneColor_);
        storage(sceneColor_, GL_RGBA8, samples);
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &realSamples);
        if (realSamples < 2) DeleteStorage(sceneColor_, false);
    }
    samples_ = realSamples >= 2 ? int(realSamples) : 0;
    if (!samples_) sceneColor_ = MakeWindowOrderTexture(width, height);
    // Depth always carries stencil bits, so stencil states work on the
    // back buffer whatever depth format was asked for. Without an automatic
    // depth buffer the program brings its own, and none is kept here.
    if (params.EnableAutoDepthStencil) {
        if (!sceneDepth_) glGenRenderbuffers(1, &sceneDepth_);
        storage(sceneDepth_, GL_DEPTH24_STENCIL8, samples_);
    } else if (sceneDepth_) {
        glDeleteRenderbuffers(1, &sceneDepth_);
        sceneDepth_ = 0;
    }
    glBindRenderbuffer(GL_RENDERBUFFER, 0);

    AttachBackBufferColor();
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFbo_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              sceneDepth_);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) rasterKnown_ = false;
    boundFramebuffer_ = 0;
    boundColor_ = boundDepth_ = nullptr;
    viewportKnown_ = false;

    GLenum glError = glGetError();
    if (!complete || glError != GL_NO_ERROR) {
        if (error) *error = complete ? GlErrorName(glError) : "incomplete back buffer";
        return false;
    }
    width_ = width;
    height_ = height;
    const uint32_t interval = params.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1;
    if (interval != swapInterval_) {
        context_->SetSwapInterval(int(interval));
        swapInterval_ = interval;
    }
    return true;
}

void GlBackend::FreeBackBuffer() {
    FreePresentCopy();
    glDeleteFramebuffers(1, &sceneFbo_);
    DeleteStorage(sceneColor_, samples_ == 0);
    glDeleteRenderbuffers(1, &sceneDepth_);
    sceneFbo_ = sceneColor_ = sceneDepth_ = 0;
}

void GlBackend::FreePresentCopy() {
    glDeleteFramebuffers(1, &presentFbo_);
    DeleteStorage(presentColor_, samples_ == 0);
    presentFbo_ = 0;
}

bool GlBackend::MakePresentCopy() {
    if (presentFbo_) return true;
    // A multisampled frame is resolved into a copy of its own format.
    if (samples_) {
        glGenRenderbuffers(1, &presentColor_);
        glBindRenderbuffer(GL_RENDERBUFFER, presentColor_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width_, height_);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
    } else {
        presentColor_ = MakeWindowOrderTexture(width_, height_);
    }
    glGenFramebuffers(1, &presentFbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, presentFbo_);
    AttachColor(presentColor_, samples_ == 0);
    boundFramebuffer_ = presentFbo_;
    boundColor_ = boundDepth_ = nullptr;
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        ++errors_;
        lastError_ = "incomplete front buffer";
        FreePresentCopy();
        return false;
    }
    return true;
}

void GlBackend::Clear(const DeviceState& state, uint32_t flags, D3DCOLOR color, float z,
                      uint32_t stencil) {
    MakeCurrent();
    if (!BindTarget(state)) return;
    ApplyViewport(state.viewport);
    // A clear covers the viewport only, and ignores the write masks.
    const D3DVIEWPORT8& v = state.viewport;
    glEnable(GL_SCISSOR_TEST);
    glScissor(GLint(v.X), GLint(v.Y), GLsizei(v.Width), GLsizei(v.Height));
    GLbitfield bits = 0;
    if (flags & D3DCLEAR_TARGET) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                     float(color & 0xFF) / 255.0f, float(color >> 24) / 255.0f);
        bits |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        glDepthMask(GL_TRUE);
        glClearDepth(z);
        bits |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_STENCIL) {
        glStencilMask(0xFFFFFFFFu);
        glClearStencil(GLint(stencil));
        bits |= GL_STENCIL_BUFFER_BIT;
    }
    glClear(bits);
    glDisable(GL_SCISSOR_TEST);
    // Put back the masks the draws expect.
    if (rasterKnown_) {
        glColorMask(raster_.colorMask[0], raster_.colorMask[1], raster_.colorMask[2],
                    raster_.colorMask[3]);
        glDepthMask(raster_.depthWrite ? GL_TRUE : GL_FALSE);
        glStencilMask(raster_.stencilWriteMask);
    }
}

void GlBackend::Draw(const DeviceState& state, const DrawCall& call) {
    MakeCurrent();
    if (!BindTarget(state)) return;
    ApplyViewport(state.viewport);
    ApplyRaster(state);
    if (!(state.program ? PrepareEffectProgram(state) : PrepareFixedFunction(state))) return;
    BindStageTextures(state);
    if (!BindVertexInput(state, call)) return;

    const GLenum mode = GlPrimitive(call.type);
    const GLsizei count = GLsizei(call.vertexCount);
    if (!call.indexed) {
        glDrawArrays(mode, call.userVertices ? 0 : GLint(call.startVertex), count);
        return;
    }
    if (call.userIndices) {
        const GLenum type =
            call.userIndexFormat == D3DFMT_INDEX32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
        glDrawElements(mode, count, type, reinterpret_cast<const void*>(streamIndexOffset_));
        return;
    }
    const IndexBuffer* indices = state.indices;
    const GLenum type = indices->Format() == D3DFMT_INDEX32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    const auto offset = static_cast<uintptr_t>(call.startIndex) * indices->IndexSize();
    glDrawElementsBaseVertex(mode, count, type, reinterpret_cast<const void*>(offset),
                             GLint(state.baseVertexIndex));
}

void GlBackend::Present() {
    MakeCurrent();
    if (!sceneColor_ || !MakePresentCopy()) return;
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // A multisampled frame is resolved into the single-sample copy, which
    // goes to the window. A single-sample frame goes to the window as it is
    // and then becomes the copy, the copy's storage taking the next frame:
    // no copy of the whole picture is made to keep it readable.
    if (samples_) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, sceneFbo_);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, presentFbo_);
        glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT,
                          GL_NEAREST);
    }
    // To the window, upright and scaled to its drawable.
    int drawableWidth = 0, drawableHeight = 0;
    window_.DrawableSize(drawableWidth, drawableHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, samples_ ? presentFbo_ : sceneFbo_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    const bool sameSize = drawableWidth == width_ && drawableHeight == height_;
    glBlitFramebuffer(0, 0, width_, height_, 0, drawableHeight, drawableWidth, 0,
                      GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
    if (!samples_) ExchangeSceneAndCopy();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    boundFramebuffer_ = 0;
    boundColor_ = boundDepth_ = nullptr;
    if (rasterKnown_)
        glColorMask(raster_.colorMask[0], raster_.colorMask[1], raster_.colorMask[2],
                    raster_.colorMask[3]);
    window_.Swap();
    CheckErrors();
}

void GlBackend::ExchangeSceneAndCopy() {
    std::swap(sceneColor_, presentColor_);
    glBindFramebuffer(GL_FRAMEBUFFER, presentFbo_);
    AttachColor(presentColor_, true);
    AttachBackBufferColor();
}

void GlBackend::AttachBackBufferColor() {
    auto attach = [this](GLuint fbo, GLuint color) {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        AttachColor(color, samples_ == 0);
    };
    attach(sceneFbo_, sceneColor_);
    for (const auto& [pair, fbo] : framebuffers_)
        if (fbo && pair.first->GetKind() == Surface::Kind::BackBuffer) attach(fbo, sceneColor_);
}

bool GlBackend::ReadFrontBuffer(std::vector<uint32_t>& argb, int& width, int& height) {
    MakeCurrent();
    if (width_ <= 0 || height_ <= 0) return false;
    argb.assign(size_t(width_) * size_t(height_), 0xFF000000u);
    width = width_;
    height = height_;
    // Nothing presented yet reads as black.
    if (!presentFbo_) return true;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, presentFbo_);
    // Rows come out top first: the copy is stored upside down.
    glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    boundFramebuffer_ = 0;
    boundColor_ = boundDepth_ = nullptr;
    for (uint32_t& pixel : argb)
        pixel |= 0xFF000000u;
    width = width_;
    height = height_;
    CheckErrors();
    return true;
}

} // namespace platform::render
