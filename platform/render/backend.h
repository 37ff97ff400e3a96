// What a device backend implements: the front end (Device) keeps and checks
// all state and hands the backend finished draws, clears and resource data.
// Two backends exist: OpenGL 3.3 and a recording one without GL.
#pragma once

#include "platform/render/device.h"
#include "platform/render/device_caps.h"
#include "platform/render/device_state.h"
#include "platform/render/resources.h"

#include <set>
#include <string>
#include <vector>

namespace platform::render {

// One draw as the front end checked it.
struct DrawCall {
    D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
    uint32_t primCount = 0;
    uint32_t vertexCount = 0; // vertices the primitives use (indices when indexed)
    bool indexed = false;
    uint32_t startVertex = 0; // plain draws
    uint32_t minIndex = 0;    // indexed draws: the range of vertices used
    uint32_t numVertices = 0;
    uint32_t startIndex = 0;
    // Draws from the caller's memory: vertices, and indices for indexed ones.
    const void* userVertices = nullptr;
    uint32_t userStride = 0;
    const void* userIndices = nullptr;
    D3DFORMAT userIndexFormat = D3DFMT_INDEX16;
};

class Backend {
public:
    virtual ~Backend() = default;

    // Sizes the back buffer (and its depth buffer) for the parameters.
    virtual bool Reset(const PresentParams& params, int width, int height, int samples,
                       std::string* error) = 0;
    // The sample count the back buffer really got.
    virtual int BackBufferSamples() const = 0;

    virtual void Clear(const DeviceState& state, uint32_t flags, D3DCOLOR color, float z,
                       uint32_t stencil) = 0;
    virtual void Draw(const DeviceState& state, const DrawCall& call) = 0;
    virtual void BeginScene() {}
    virtual void EndScene() {}
    virtual void Present() = 0;
    virtual bool ReadFrontBuffer(std::vector<uint32_t>& argb, int& width, int& height) = 0;
    virtual int TakeErrors(std::string* last) = 0;
    // Whether textures of the format can be made here.
    virtual bool SupportsFormat(D3DFORMAT format) const = 0;

    virtual void InitBuffer(Buffer& buffer) = 0;
    virtual void UpdateBuffer(Buffer& buffer) = 0; // the range locked last
    virtual void ReleaseBuffer(Buffer& buffer) = 0;
    virtual void InitTexture(BaseTexture& texture) = 0;
    virtual void UpdateTexture(BaseTexture& texture, int face, int level) = 0;
    virtual void ReleaseTexture(BaseTexture& texture) = 0;
    virtual void InitSurface(Surface& surface) = 0;
    virtual void ReleaseSurface(Surface& surface) = 0;
    virtual bool InitProgram(Program& program, std::string* error) = 0;
    virtual void ReleaseProgram(Program& program) = 0;

    // Surface work of the older engine generation: copies between surfaces
    // (scaled, linearly filtered or not), fills, showing a window-size
    // surface on the window, reading pixels back (rows top first, each
    // A8R8G8B8). False when the backend cannot (or the surface is lost).
    virtual bool StretchRect(Surface& source, const D3DRECT& from, Surface& target,
                             const D3DRECT& to, bool linear) = 0;
    virtual bool ColorFill(Surface& target, const D3DRECT& rect, D3DCOLOR color) = 0;
    virtual bool ShowOnWindow(Surface& surface) = 0;
    virtual bool ReadSurface(Surface& surface, std::vector<uint32_t>& argb) = 0;
    // Gives a single-sample render target of the back buffer's size and
    // format the back buffer's picture by exchanging their storage, without
    // a copy; the back buffer then holds the target's old picture. False
    // when the backend cannot (the caller copies instead).
    virtual bool ExchangeWithBackBuffer(Surface&) { return false; }
    virtual DeviceCaps GetCaps() const = 0;
    virtual AdapterIdentifier GetAdapterIdentifier() const = 0;
    // True once the surfaces showing on the window are lost (never on
    // OpenGL; the recording backend can be told to lose them).
    virtual bool SurfacesLost() const { return false; }

    virtual const Recording* GetRecording() const { return nullptr; }
    virtual Recording* GetRecording() { return nullptr; }
};

// Ties resources to their device: the live backend, or null once the
// device is gone, and every resource still alive.
struct DeviceLink {
    Backend* backend = nullptr;
    std::set<Resource*> live;
    uint64_t textureBytes = 0; // of the live textures outside system memory
};

std::unique_ptr<Backend> CreateRecordingBackend();
std::unique_ptr<Backend> CreateGlBackend(Window& window, std::string* error);

} // namespace platform::render
