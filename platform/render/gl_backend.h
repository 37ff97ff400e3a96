// The OpenGL 3.3 core backend. Frames are drawn upside down into an
// off-screen framebuffer (row 0 is the top, as Direct3D keeps surfaces), so
// render-target textures read like file textures; Present resolves the
// frame into a single-sample copy (the "front buffer" that read-back sees)
// and blits it, turned upright, to the window. That copy, and the automatic
// depth buffer, exist only once used: a program that draws with its own
// depth buffer and shows its frames through another surface keeps neither.
//
// Draws from the caller's memory go through two streaming buffers that are
// filled front to back and given fresh storage only when full, so a draw
// neither waits for the GPU nor makes the driver allocate.
//
// GL state is cached: each draw compares the wanted blend, depth, stencil,
// cull, fill, colour-mask and offset values with what GL holds and sends
// only the differences; uniforms are sent when their group's version moved.
#pragma once

#include "platform/gl.h"
#include "platform/gl_context.h"
#include "platform/render/backend.h"
#include "platform/render/fixed_function.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace platform::render {

// The GL values one draw needs, derived from the device's render states.
struct GlRasterState {
    bool blend = false;
    GLenum blendSrc = GL_ONE, blendDst = GL_ZERO, blendEquation = GL_FUNC_ADD;
    bool depthTest = true;
    GLenum depthFunc = GL_LEQUAL;
    bool depthWrite = true;
    bool cull = true;
    GLenum cullFace = GL_BACK;
    GLenum polygonMode = GL_FILL;
    bool stencil = false;
    GLenum stencilFunc = GL_ALWAYS;
    GLint stencilRef = 0;
    GLuint stencilMask = 0xFFFFFFFFu, stencilWriteMask = 0xFFFFFFFFu;
    GLenum stencilFail = GL_KEEP, stencilZFail = GL_KEEP, stencilPass = GL_KEEP;
    bool colorMask[4] = {true, true, true, true};
    float polygonOffset = 0.0f;

    bool operator==(const GlRasterState&) const = default;
};

// Sampler parameters of one texture unit.
struct GlSamplerState {
    GLint minFilter = GL_NEAREST, magFilter = GL_NEAREST;
    GLint wrapS = GL_REPEAT, wrapT = GL_REPEAT, wrapR = GL_REPEAT;
    float border[4] = {0, 0, 0, 0};
    float lodBias = 0.0f;
    float minLod = 0.0f; // the most detailed level used
    float maxAnisotropy = 1.0f;

    bool operator==(const GlSamplerState&) const = default;
};

// A buffer that draws from the caller's memory are copied into: each copy
// goes after the last one; when the buffer is full it gets fresh storage
// (what draws still read stays theirs) and filling starts again at 0.
struct GlStreamBuffer {
    GLuint buffer = 0;
    GLsizeiptr capacity = 0;
    GLsizeiptr used = 0;
};

// What the backend knows of an effect program: its active uniforms by name
// and the state versions its standard uniforms last followed.
struct GlProgramInfo {
    struct Active {
        GLint location = -1;
        GLenum type = 0;
        GLint size = 0;
    };
    std::map<std::string, Active> uniforms;
    GLint world = -1, view = -1, projection = -1, worldViewProj = -1;
    GLint alphaRef = -1, alphaFunc = -1;
    uint64_t transformVersion = 0, renderStateVersion = 0;

    const Active* Find(const std::string& name) const {
        auto it = uniforms.find(name);
        if (it == uniforms.end()) it = uniforms.find(name + "[0]");
        return it == uniforms.end() ? nullptr : &it->second;
    }
};

class GlBackend : public Backend {
public:
    GlBackend(Window& window, std::unique_ptr<GlContext> context);
    ~GlBackend() override;

    bool Reset(const PresentParams& params, int width, int height, int samples,
               std::string* error) override;
    int BackBufferSamples() const override { return samples_; }
    void Clear(const DeviceState& state, uint32_t flags, D3DCOLOR color, float z,
               uint32_t stencil) override;
    void Draw(const DeviceState& state, const DrawCall& call) override;
    void Present() override;
    bool ReadFrontBuffer(std::vector<uint32_t>& argb, int& width, int& height) override;
    int TakeErrors(std::string* last) override;
    bool SupportsFormat(D3DFORMAT format) const override;

    void InitBuffer(Buffer& buffer) override;
    void UpdateBuffer(Buffer& buffer) override;
    void ReleaseBuffer(Buffer& buffer) override;
    void InitTexture(BaseTexture& texture) override;
    void UpdateTexture(BaseTexture& texture, int face, int level) override;
    void ReleaseTexture(BaseTexture& texture) override;
    void InitSurface(Surface& surface) override;
    void ReleaseSurface(Surface& surface) override;
    bool InitProgram(Program& program, std::string* error) override;
    void ReleaseProgram(Program& program) override;

    // Surface work and capabilities (gl_surface_ops.cpp).
    bool StretchRect(Surface& source, const D3DRECT& from, Surface& target, const D3DRECT& to,
                     bool linear) override;
    bool ColorFill(Surface& target, const D3DRECT& rect, D3DCOLOR color) override;
    bool ShowOnWindow(Surface& surface) override;
    bool ReadSurface(Surface& surface, std::vector<uint32_t>& argb) override;
    bool ExchangeWithBackBuffer(Surface& surface) override;
    DeviceCaps GetCaps() const override;
    AdapterIdentifier GetAdapterIdentifier() const override;

private:
    // Every GL call runs with this backend's context current.
    void MakeCurrent();
    void CheckErrors();

    // Targets (gl_targets.cpp).
    void FreeBackBuffer();
    // The single-sample front-buffer copy, made at the first present after
    // a reset (false when GL cannot make it).
    bool MakePresentCopy();
    void FreePresentCopy();
    // The presented single-sample back buffer becomes the front-buffer
    // copy, and the copy's storage the back buffer.
    void ExchangeSceneAndCopy();
    // The scene framebuffer and every framebuffer drawing into the back
    // buffer take the back buffer's current storage.
    void AttachBackBufferColor();
    // Single-sample colour storage of 8-bit channels is a texture kept in
    // the window's byte order (the back buffer, its front copy, stand-alone
    // render targets); multisampled storage is a renderbuffer. Showing a
    // frame is then a copy without a conversion of every pixel, which a
    // software rasteriser would otherwise pay for once a frame.
    GLuint MakeWindowOrderTexture(int width, int height);
    static void AttachColor(GLuint name, bool texture);
    static void DeleteStorage(GLuint& name, bool texture);
    bool BindTarget(const DeviceState& state);
    GLuint FramebufferFor(Surface* color, Surface* depth);
    void ForgetFramebuffersOf(const Surface* surface);

    // Puts back what surface work changed: the bound framebuffer (the next
    // draw binds its own) and the colour mask the draws expect.
    void AfterSurfaceWork();
    // The driver's strings and limits, asked once.
    void ReadDriverFacts();
    // Whether the texture is kept in GL as 8-bit BGRA rather than in its
    // own format (gl_resources.cpp).
    bool StoresExpanded(const BaseTexture& texture) const;
    // Puts one level of the texture's CPU copy into GL (glTexImage2D when
    // `allocate`, else glTexSubImage2D), in GL's format for the texture.
    void UploadLevel(BaseTexture& texture, int face, int level, bool allocate);

    // Fixed state (gl_raster_state.cpp).
    void ApplyRaster(const DeviceState& state);
    void ApplyViewport(const D3DVIEWPORT8& viewport);
    void BindStageTextures(const DeviceState& state);
    void ApplySampler(int unit, const GlSamplerState& wanted);

    // Vertex input (gl_vertex_input.cpp).
    bool BindVertexInput(const DeviceState& state, const DrawCall& call);
    void SetupAttributes(const DeviceState& state, const GLuint (&buffers)[kMaxStreams],
                         const uint32_t (&strides)[kMaxStreams],
                         const size_t (&bases)[kMaxStreams]);
    // Copies the bytes into the stream, bound to the target; their offset.
    size_t StreamUpload(GlStreamBuffer& stream, GLenum target, const void* data, size_t size);

    // Programs (gl_programs.cpp, gl_fixed_function_state.cpp).
    void UseProgram(GLuint program);
    FixedFunctionProgram* FixedFunctionFor(const DeviceState& state);
    bool PrepareFixedFunction(const DeviceState& state);
    bool PrepareEffectProgram(const DeviceState& state);

    Window& window_;
    std::unique_ptr<GlContext> context_;

    int width_ = 0, height_ = 0, samples_ = 0;
    // The back buffer: its colour is a texture while it has one sample.
    GLuint sceneColor_ = 0, sceneDepth_ = 0;
    GLuint sceneFbo_ = 0; // both of them
    GLuint presentFbo_ = 0, presentColor_ = 0;
    uint32_t swapInterval_ = 0xFFFFFFFFu;
    std::map<std::pair<const Surface*, const Surface*>, GLuint> framebuffers_;
    GLuint boundFramebuffer_ = 0;
    const Surface* boundColor_ = nullptr;
    const Surface* boundDepth_ = nullptr;

    GlRasterState raster_;
    bool rasterKnown_ = false;
    D3DVIEWPORT8 viewport_{};
    bool viewportKnown_ = false;

    static constexpr int kUnits = 2 * kMaxTextureStages; // 2D units, then cube units
    GLuint samplers_[kUnits] = {};
    GlSamplerState samplerStates_[kUnits];
    bool samplerKnown_[kUnits] = {};
    GLuint boundTextures_[kUnits] = {};
    uint64_t stageBindVersion_ = 0;  // stage version the bindings follow; 0: unknown
    float maxAnisotropy_ = 1.0f;     // the driver's limit; 1 without the extension
    bool expandTextures_ = false;    // a software rasteriser: see StoresExpanded
    bool invalidateBuffers_ = false; // glInvalidateBufferData is there
    uint32_t maxTextureSize_ = 0;
    AdapterIdentifier identifier_;

    GLuint vao_ = 0;
    GlStreamBuffer streamVertices_, streamIndices_;
    size_t streamIndexOffset_ = 0; // of the indices of the draw being made
    uint64_t inputVersion_ = 0;    // layout version the attribute pointers follow
    bool attributeEnabled_[kMaxVertexElements] = {};

    GLuint currentProgram_ = 0;
    // Fixed-function programs by the states they were compiled for.
    static constexpr size_t kMaxFixedPrograms = 64;
    std::map<FixedFunctionKey, std::unique_ptr<FixedFunctionProgram>> fixedPrograms_;
    FixedFunctionProgram* fixed_ = nullptr; // the one the last key chose
    uint64_t fixedKeyVersions_[4] = {};
    std::map<const Program*, std::unique_ptr<GlProgramInfo>> programs_;

    int errors_ = 0;
    std::string lastError_;
};

} // namespace platform::render
