// The rendering device: a state machine shaped like a Direct3D 8 device.
// Callers set render states, texture stages, transforms, lights, material,
// viewport, vertex layout and streams, then draw; the device remembers all
// of it (Get* answers what was set) and its backend sends to the GPU only
// what changed. Matrices stay in the Direct3D conventions (row vectors,
// left-handed, depth 0..1, screen y downwards); the backend converts them.
//
// Backends: OpenGL 3.3 core (a context on a window; the frame is drawn into
// an off-screen target, multisampled when asked, and copied to the window
// at Present) and a recording one that draws nothing and keeps every call
// for tests.
//
// Effects may set a Program of their own in place of the fixed-function
// pipeline; the device still applies the render states, binds the stages'
// textures and fills the standard uniforms the program declares:
//   jt_World, jt_View, jt_Projection, jt_WorldViewProj (mat4, `m * v`),
//   jt_AlphaRef (float 0..1), jt_AlphaFunc (int, a D3DCMPFUNC; 8 = always).
// Program sources are GLSL 3.30 without the #version line; the device puts
// its own first, with these helpers:
//   vec4 jtToClip(vec4 p)  - turns a Direct3D clip position into the GL one;
//                            every vertex shader ends with it.
//   void jtAlphaTest(float a) - discards as the alpha test would.
//   JT_POSITION, JT_NORMAL, JT_DIFFUSE, JT_SPECULAR, JT_TEXCOORD0..3,
//   JT_USER0..7 - the attribute locations (see VertexLocation).
#pragma once

#include "platform/render/device_caps.h"
#include "platform/render/device_state.h"
#include "platform/render/recording.h"
#include "platform/render/resources.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class Window;
}

namespace platform::render {

class Backend;
struct DeviceLink;
struct DrawCall;

enum class DeviceKind {
    OpenGL,
    Recording, // no GL: tests read back what was drawn
};

struct PresentParams {
    int BackBufferWidth = 0; // 0: the window's drawable size
    int BackBufferHeight = 0;
    D3DFORMAT BackBufferFormat = D3DFMT_X8R8G8B8;
    int MultiSampleType = 0; // samples per pixel; 0 or 1 for none
    bool Windowed = true;
    bool EnableAutoDepthStencil = true;
    D3DFORMAT AutoDepthStencilFormat = D3DFMT_D16;
    // 0: wait for the vertical blank; D3DPRESENT_INTERVAL_IMMEDIATE: do not.
    uint32_t PresentationInterval = 0;
};
constexpr uint32_t D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;

class Device {
public:
    // A device drawing into the window (OpenGL) or recording only. The GL
    // device makes its own context on the window and must be destroyed
    // before the window. Null with a reason on failure.
    static std::unique_ptr<Device> Create(DeviceKind kind, Window& window,
                                          const PresentParams& params,
                                          std::string* error = nullptr);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    DeviceKind Kind() const { return kind_; }
    Window& GetWindow() const { return window_; }
    const PresentParams& GetPresentParams() const { return params_; }
    int BackBufferWidth() const;
    int BackBufferHeight() const;
    // The samples per pixel the back buffer really has (0 for none).
    int BackBufferSamples() const;

    // A new back buffer for new parameters (a mode change). Resources and
    // states survive. Fails for a size the backend cannot make.
    int32_t Reset(const PresentParams& params);
    // Always D3D_OK: an OpenGL device is never lost.
    int32_t TestCooperativeLevel() const { return D3D_OK; }

    int32_t SetRenderState(D3DRENDERSTATETYPE state, uint32_t value);
    uint32_t GetRenderState(D3DRENDERSTATETYPE state) const;
    int32_t SetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type, uint32_t value);
    uint32_t GetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type) const;
    int32_t SetTexture(uint32_t stage, BaseTexture* texture);
    BaseTexture* GetTexture(uint32_t stage) const;
    int32_t SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX& m);
    int32_t GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* out) const;
    // Lights 0 to kMaxLights - 1.
    int32_t SetLight(uint32_t index, const D3DLIGHT8& light);
    int32_t GetLight(uint32_t index, D3DLIGHT8* out) const;
    int32_t LightEnable(uint32_t index, bool on);
    int32_t GetLightEnable(uint32_t index, bool* out) const;
    int32_t SetMaterial(const D3DMATERIAL8& material);
    int32_t GetMaterial(D3DMATERIAL8* out) const;
    int32_t SetViewport(const D3DVIEWPORT8& viewport);
    int32_t GetViewport(D3DVIEWPORT8* out) const;

    // The vertex format of stream 0 as flexible vertex format bits.
    int32_t SetVertexShader(uint32_t fvf);
    uint32_t GetVertexShader() const { return state_.layout.fvf; }
    // A layout of one or two streams given element by element.
    int32_t SetVertexDeclaration(const VertexElement* elements, int count);
    // Only 0 (none): pixel work is the fixed-function stages or a Program.
    int32_t SetPixelShader(uint32_t handle);
    int32_t SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride);
    int32_t SetIndices(IndexBuffer* indices, uint32_t baseVertexIndex);
    // An effect's program in place of the fixed-function pipeline; null
    // goes back to it.
    int32_t SetProgram(Program* program);
    Program* GetProgram() const { return state_.program; }

    // The device's back buffer and depth buffer, and the current targets.
    Surface* GetBackBuffer() const { return backBuffer_.get(); }
    Surface* GetDepthStencilSurface() const { return state_.depthStencil; }
    Surface* GetRenderTarget() const { return state_.renderTarget; }
    // Draws into color (a render target surface or texture level, or the
    // back buffer) with depth (or none); the viewport becomes the whole
    // target. Refused when the sizes do not fit.
    int32_t SetRenderTarget(Surface* color, Surface* depth);

    int32_t BeginScene();
    int32_t EndScene();
    // Clears the viewport's part of the target.
    int32_t Clear(uint32_t flags, D3DCOLOR color, float z, uint32_t stencil);
    int32_t Present();

    int32_t DrawPrimitive(D3DPRIMITIVETYPE type, uint32_t startVertex, uint32_t primCount);
    int32_t DrawIndexedPrimitive(D3DPRIMITIVETYPE type, uint32_t minIndex, uint32_t numVertices,
                                 uint32_t startIndex, uint32_t primCount);
    int32_t DrawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primCount, const void* vertices,
                            uint32_t stride);
    int32_t DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex, uint32_t numVertices,
                                   uint32_t primCount, const void* indices, D3DFORMAT indexFormat,
                                   const void* vertices, uint32_t stride);

    std::unique_ptr<VertexBuffer> CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf,
                                                     D3DPOOL pool);
    std::unique_ptr<IndexBuffer> CreateIndexBuffer(uint32_t length, uint32_t usage,
                                                   D3DFORMAT format, D3DPOOL pool);
    // levels 0 makes the whole chain down to 1 x 1.
    std::unique_ptr<Texture> CreateTexture(int width, int height, int levels, uint32_t usage,
                                           D3DFORMAT format, D3DPOOL pool);
    std::unique_ptr<CubeTexture> CreateCubeTexture(int edge, int levels, uint32_t usage,
                                                   D3DFORMAT format, D3DPOOL pool);
    std::unique_ptr<Surface> CreateRenderTarget(int width, int height, D3DFORMAT format,
                                                int samples);
    std::unique_ptr<Surface> CreateDepthStencilSurface(int width, int height, D3DFORMAT format,
                                                       int samples);
    // Null with the compiler's and linker's messages when it does not build.
    std::unique_ptr<Program> CreateProgram(const std::string& vertexSource,
                                           const std::string& fragmentSource,
                                           std::string* error = nullptr);
    // Whether textures of this format can be made (compressed ones need the
    // driver's support).
    bool SupportsFormat(D3DFORMAT format) const;

    // The picture last presented, top row first, each pixel A8R8G8B8.
    bool ReadFrontBuffer(std::vector<uint32_t>& argb, int& width, int& height);
    // GPU errors seen since the last call (0 on the recording device).
    int TakeErrors(std::string* last = nullptr);

    // ---- What the older engine generation asks of the device (the
    // surface work and enumerations its display and texture table use).

    DeviceCaps GetCaps() const;
    AdapterIdentifier GetAdapterIdentifier() const;
    // The texture formats the device can make, in a fixed order.
    std::vector<TextureFormatDesc> EnumTextureFormats() const;
    // The depth formats a depth surface can have, in a fixed order.
    std::vector<D3DFORMAT> EnumDepthFormats() const;
    // Whether the present texture-stage set-up can be drawn: D3D_OK with one
    // pass, else the first unsupported part's code (see ValidateStages).
    int32_t ValidateDevice(uint32_t* passes) const;

    // Texture memory: a budget past which textures outside system memory
    // are refused (0, the default, is none), and what they take now.
    void SetTextureBudget(uint64_t bytes) { textureBudget_ = bytes; }
    uint64_t TextureBudget() const { return textureBudget_; }
    uint64_t TextureMemoryUsed() const;
    // The budget left; UINT64_MAX without a budget.
    uint64_t AvailableTextureMemory() const;

    // The window's own picture: a render target of the window's drawable
    // size (made again when that size changed; the picture is then black).
    // What is copied or filled into it shows on the window at ShowPrimary.
    Surface* GetPrimarySurface();
    // Copies a rectangle of one surface (back buffer, render target,
    // texture level, the primary) into a rectangle of another, scaled with
    // D3DTEXF_LINEAR or D3DTEXF_POINT. Null rectangles mean whole surfaces.
    // Refused for rectangles outside their surfaces; D3DERR_SURFACELOST once
    // the surfaces are lost.
    int32_t StretchRect(Surface* source, const D3DRECT* from, Surface* target, const D3DRECT* to,
                        D3DTEXTUREFILTERTYPE filter);
    // Fills a rectangle of a colour surface (null: all of it) with a colour
    // (alpha kept where the surface has it).
    int32_t ColorFill(Surface* target, const D3DRECT* rect, D3DCOLOR color);
    // Shows the primary on the window now.
    int32_t ShowPrimary();
    // Shows the finished back buffer on the window through the primary.
    // When both have one size the primary takes the back buffer's storage
    // instead of a copy, and the back buffer holds an undefined picture
    // until it is drawn again, as after a discarding present.
    int32_t ShowBackBuffer();
    // The pixels of a colour surface, rows top first, each A8R8G8B8.
    bool ReadSurface(Surface* surface, std::vector<uint32_t>& argb, int& width, int& height);
    bool SurfacesLost() const;

    // The whole state, as a backend sees it.
    const DeviceState& State() const { return state_; }
    // What the recording device saw; null on the OpenGL device.
    Recording* GetRecording();

private:
    Device(DeviceKind kind, Window& window, std::unique_ptr<Backend> backend);
    int32_t Submit(DrawCall& call);
    std::unique_ptr<Surface> CreateSurface(Surface::Kind kind, int width, int height,
                                           D3DFORMAT format, int samples);
    bool LayoutReady(bool fromUserMemory) const;
    // Whole vertices the bound streams hold for the current layout.
    uint64_t StreamVertices() const;
    // Whether a texture of that shape still fits the texture budget.
    bool FitsTextureBudget(D3DFORMAT format, int width, int height, int levels, int faces,
                           D3DPOOL pool) const;

    DeviceKind kind_;
    Window& window_;
    std::unique_ptr<Backend> backend_;
    std::shared_ptr<DeviceLink> link_;
    PresentParams params_;
    DeviceState state_;
    std::unique_ptr<Surface> backBuffer_;
    std::unique_ptr<Surface> autoDepth_;
    std::unique_ptr<Surface> primary_;
    uint64_t textureBudget_ = 0;
    bool inScene_ = false;
};

} // namespace platform::render
