// The device front end: creation, the state it keeps (each setter raises
// its group's version only when the value really changes), checks of every
// draw, and resource creation.
#include "platform/render/device.h"

#include "platform/render/backend.h"
#include "platform/render/format_info.h"
#include "platform/window.h"

#include <algorithm>
#include <cstring>

namespace platform::render {

namespace {

template <typename T> bool SameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Stores a record; its group's version moves only when the bytes change.
template <typename T> void Store(T& field, const T& value, uint64_t& version) {
    if (SameBytes(field, value)) return;
    field = value;
    ++version;
}

template <typename T> int32_t Load(const T& field, T* out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = field;
    return D3D_OK;
}

int FullLevelCount(int width, int height) {
    int levels = 1;
    while (width > 1 || height > 1) {
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
        ++levels;
    }
    return levels;
}

// Sides above this are refused before anything is allocated.
constexpr int kMaxTextureSide = 16384;

uint32_t ElementSize(VertexElementType type) {
    switch (type) {
    case VertexElementType::Float1:
    case VertexElementType::Color:
        return 4;
    case VertexElementType::Float2:
        return 8;
    case VertexElementType::Float3:
        return 12;
    case VertexElementType::Float4:
        return 16;
    }
    return 16;
}

// How many whole vertices `bytes` bytes at this stride hold for the
// elements of the layout that read this stream.
uint64_t VerticesIn(const VertexLayout& layout, int stream, uint64_t bytes, uint32_t stride) {
    uint32_t end = 0;
    for (int i = 0; i < layout.count; ++i)
        if (layout.elements[i].stream == stream)
            end = std::max(end, layout.elements[i].offset + ElementSize(layout.elements[i].type));
    if (end == 0) return UINT64_MAX; // the layout does not read this stream
    if (bytes < end || stride == 0) return 0;
    return (bytes - end) / stride + 1;
}

// The largest of count indices; false when they lie outside the data.
bool MaxIndex(const uint8_t* data, size_t size, D3DFORMAT format, uint64_t first, uint64_t count,
              uint32_t& largest) {
    const size_t width = format == D3DFMT_INDEX32 ? 4 : 2;
    if ((first + count) * width > size) return false;
    largest = 0;
    if (width == 2) {
        for (uint64_t i = 0; i < count; ++i) {
            uint16_t v;
            std::memcpy(&v, data + (first + i) * 2, 2);
            largest = std::max<uint32_t>(largest, v);
        }
    } else {
        for (uint64_t i = 0; i < count; ++i) {
            uint32_t v;
            std::memcpy(&v, data + (first + i) * 4, 4);
            largest = std::max(largest, v);
        }
    }
    return true;
}

} // namespace

std::unique_ptr<Device> Device::Create(DeviceKind kind, Window& window, const PresentParams& params,
                                       std::string* error) {
    std::unique_ptr<Backend> backend =
        kind == DeviceKind::OpenGL ? CreateGlBackend(window, error) : CreateRecordingBackend();
    if (!backend) return nullptr;
    std::unique_ptr<Device> device(new Device(kind, window, std::move(backend)));
    if (device->Reset(params) != D3D_OK) {
        if (error && error->empty()) *error = "the back buffer could not be made";
        return nullptr;
    }
    return device;
}

Device::Device(DeviceKind kind, Window& window, std::unique_ptr<Backend> backend)
    : kind_(kind), window_(window), backend_(std::move(backend)),
      link_(std::make_shared<DeviceLink>()) {
    link_->backend = backend_.get();
    backBuffer_ =
        std::make_unique<Surface>(link_, Surface::Kind::BackBuffer, 1, 1, D3DFMT_X8R8G8B8, 0);
    autoDepth_ =
        std::make_unique<Surface>(link_, Surface::Kind::AutoDepthStencil, 1, 1, D3DFMT_D16, 0);
    ResetDeviceState(state_, 1, 1);
}

Device::~Device() {
    // Every resource still alive gives its GPU object back now, while the
    // context exists; afterwards resources only keep their CPU data.
    for (Resource* resource : std::vector<Resource*>(link_->live.begin(), link_->live.end())) {
        if (!resource->released_) resource->ReleaseFromBackend(*backend_);
        resource->released_ = true;
        resource->handle = 0;
    }
    link_->backend = nullptr;
    backBuffer_.reset();
    autoDepth_.reset();
    primary_.reset();
    backend_.reset();
}

int Device::BackBufferWidth() const {
    return backBuffer_->Width();
}
int Device::BackBufferHeight() const {
    return backBuffer_->Height();
}
int Device::BackBufferSamples() const {
    return backBuffer_->Samples();
}

int32_t Device::Reset(const PresentParams& params) {
    int width = params.BackBufferWidth, height = params.BackBufferHeight;
    if (width <= 0 || height <= 0) window_.DrawableSize(width, height);
    if (width <= 0 || height <= 0 || width > kMaxTextureSide || height > kMaxTextureSide)
        return D3DERR_INVALIDCALL;
    int samples = params.MultiSampleType > 1 ? params.MultiSampleType : 0;
    std::string ignored;
    if (!backend_->Reset(params, width, height, samples, &ignored)) return D3DERR_NOTAVAILABLE;
    params_ = params;
    backBuffer_->Resize(width, height, backend_->BackBufferSamples());
    autoDepth_->Resize(width, height, backend_->BackBufferSamples());
    // As a reset device does, the state starts afresh, drawing into the
    // back buffer.
    ResetDeviceState(state_, width, height);
    state_.renderTarget = backBuffer_.get();
    state_.depthStencil = params.EnableAutoDepthStencil ? autoDepth_.get() : nullptr;
    if (!state_.depthStencil) state_.renderStates[D3DRS_ZENABLE] = D3DZB_FALSE;
    inScene_ = false;
    return D3D_OK;
}

// ---- states ----

int32_t Device::SetRenderState(D3DRENDERSTATETYPE type, uint32_t value) {
    if (uint32_t(type) >= uint32_t(kMaxRenderStates)) return D3DERR_INVALIDCALL;
    if (state_.renderStates[type] != value) {
        state_.renderStates[type] = value;
        ++state_.renderStateVersion;
    }
    return D3D_OK;
}

uint32_t Device::GetRenderState(D3DRENDERSTATETYPE type) const {
    return uint32_t(type) < uint32_t(kMaxRenderStates) ? state_.renderStates[type] : 0;
}

int32_t Device::SetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                     uint32_t value) {
    if (stage >= uint32_t(kMaxTextureStages) || uint32_t(type) >= uint32_t(kMaxStageStates))
        return D3DERR_INVALIDCALL;
    if (state_.stageStates[stage][type] != value) {
        state_.stageStates[stage][type] = value;
        ++state_.stageVersion;
    }
    return D3D_OK;
}

uint32_t Device::GetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type) const {
    if (stage >= uint32_t(kMaxTextureStages) || uint32_t(type) >= uint32_t(kMaxStageStates))
        return 0;
    return state_.stageStates[stage][type];
}

int32_t Device::SetTexture(uint32_t stage, BaseTexture* texture) {
    if (stage >= uint32_t(kMaxTextureStages)) return D3DERR_INVALIDCALL;
    if (state_.textures[stage] != texture) {
        state_.textures[stage] = texture;
        ++state_.stageVersion;
    }
    return D3D_OK;
}

BaseTexture* Device::GetTexture(uint32_t stage) const {
    return stage < uint32_t(kMaxTextureStages) ? state_.textures[stage] : nullptr;
}

int32_t Device::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX& m) {
    D3DMATRIX* target = nullptr;
    if (type == D3DTS_WORLD)
        target = &state_.world;
    else if (type == D3DTS_VIEW)
        target = &state_.view;
    else if (type == D3DTS_PROJECTION)
        target = &state_.projection;
    else if (type >= D3DTS_TEXTURE0 && type <= D3DTS_TEXTURE7)
        target = &state_.textureTransforms[type - D3DTS_TEXTURE0];
    if (!target) return D3DERR_INVALIDCALL;
    if (SameBytes(*target, m)) return D3D_OK;
    *target = m;
    ++state_.transformVersion;
    // Lights are seen through the view.
    if (type == D3DTS_VIEW) ++state_.lightVersion;
    if (type >= D3DTS_TEXTURE0 && type <= D3DTS_TEXTURE7) ++state_.stageVersion;
    return D3D_OK;
}

int32_t Device::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* out) const {
    if (!out) return D3DERR_INVALIDCALL;
    if (type == D3DTS_WORLD)
        *out = state_.world;
    else if (type == D3DTS_VIEW)
        *out = state_.view;
    else if (type == D3DTS_PROJECTION)
        *out = state_.projection;
    else if (type >= D3DTS_TEXTURE0 && type <= D3DTS_TEXTURE7)
        *out = state_.textureTransforms[type - D3DTS_TEXTURE0];
    else
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

int32_t Device::SetLight(uint32_t index, const D3DLIGHT8& light) {
    if (index >= uint32_t(kMaxLights)) return D3DERR_INVALIDCALL;
    if (light.Type != D3DLIGHT_POINT && light.Type != D3DLIGHT_SPOT &&
        light.Type != D3DLIGHT_DIRECTIONAL)
        return D3DERR_INVALIDCALL;
    if (state_.lightSet[index] && SameBytes(state_.lights[index], light)) return D3D_OK;
    state_.lights[index] = light;
    state_.lightSet[index] = true;
    ++state_.lightVersion;
    return D3D_OK;
}

int32_t Device::GetLight(uint32_t index, D3DLIGHT8* out) const {
    if (!out || index >= uint32_t(kMaxLights) || !state_.lightSet[index]) return D3DERR_INVALIDCALL;
    *out = state_.lights[index];
    return D3D_OK;
}

int32_t Device::LightEnable(uint32_t index, bool on) {
    if (index >= uint32_t(kMaxLights)) return D3DERR_INVALIDCALL;
    // Enabling a light never set gives it the default light.
    state_.lightSet[index] = state_.lightSet[index] || on;
    if (state_.lightEnabled[index] != on) {
        state_.lightEnabled[index] = on;
        ++state_.lightVersion;
    }
    return D3D_OK;
}

int32_t Device::GetLightEnable(uint32_t index, bool* out) const {
    if (!out || index >= uint32_t(kMaxLights)) return D3DERR_INVALIDCALL;
    *out = state_.lightEnabled[index];
    return D3D_OK;
}

int32_t Device::SetMaterial(const D3DMATERIAL8& material) {
    Store(state_.material, material, state_.materialVersion);
    return D3D_OK;
}

int32_t Device::GetMaterial(D3DMATERIAL8* out) const {
    return Load(state_.material, out);
}

int32_t Device::SetViewport(const D3DVIEWPORT8& viewport) {
    // A size that does not fit in an int came from a negative one.
    if (viewport.Width > uint32_t(INT32_MAX) || viewport.Height > uint32_t(INT32_MAX))
        return D3DERR_INVALIDCALL;
    Store(state_.viewport, viewport, state_.viewportVersion);
    return D3D_OK;
}

int32_t Device::GetViewport(D3DVIEWPORT8* out) const {
    return Load(state_.viewport, out);
}

int32_t Device::SetVertexShader(uint32_t fvf) {
    if (state_.layout.fvf == fvf && fvf != 0) return D3D_OK;
    VertexLayout layout;
    if (!LayoutFromFvf(fvf, layout)) return D3DERR_INVALIDCALL;
    state_.layout = layout;
    ++state_.layoutVersion;
    return D3D_OK;
}

int32_t Device::SetVertexDeclaration(const VertexElement* elements, int count) {
    if (!elements || count <= 0 || count > kMaxVertexElements) return D3DERR_INVALIDCALL;
    VertexLayout layout;
    for (int i = 0; i < count; ++i) {
        if (elements[i].stream >= kMaxStreams || elements[i].location >= kMaxVertexElements)
            return D3DERR_INVALIDCALL;
        layout.elements[i] = elements[i];
    }
    layout.count = count;
    state_.layout = layout;
    ++state_.layoutVersion;
    return D3D_OK;
}

int32_t Device::SetPixelShader(uint32_t handle) {
    if (handle != 0) return D3DERR_INVALIDCALL;
    state_.pixelShader = 0;
    return D3D_OK;
}

int32_t Device::SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride) {
    if (stream >= uint32_t(kMaxStreams)) return D3DERR_INVALIDCALL;
    StreamSource& s = state_.streams[stream];
    if (s.buffer != buffer || s.stride != stride) {
        s.buffer = buffer;
        s.stride = stride;
        ++state_.layoutVersion;
    }
    return D3D_OK;
}

int32_t Device::SetIndices(IndexBuffer* indices, uint32_t baseVertexIndex) {
    if (state_.indices != indices || state_.baseVertexIndex != baseVertexIndex) {
        state_.indices = indices;
        state_.baseVertexIndex = baseVertexIndex;
        ++state_.layoutVersion;
    }
    return D3D_OK;
}

int32_t Device::SetProgram(Program* program) {
    if (state_.program != program) {
        state_.program = program;
        ++state_.renderStateVersion;
    }
    return D3D_OK;
}

int32_t Device::SetRenderTarget(Surface* color, Surface* depth) {
    if (!color) color = state_.renderTarget;
    if (!color || color->IsDepth()) return D3DERR_INVALIDCALL;
    if (color->GetKind() == Surface::Kind::TextureLevel && !color->Texture()->IsRenderTarget())
        return D3DERR_INVALIDCALL;
    if (depth &&
        (!depth->IsDepth() || depth->Width() < color->Width() || depth->Height() < color->Height()))
        return D3DERR_INVALIDCALL;
    state_.renderTarget = color;
    state_.depthStencil = depth;
    ++state_.targetVersion;
    // A new target is drawn whole until told otherwise.
    SetViewport({0, 0, uint32_t(color->Width()), uint32_t(color->Height()), 0.0f, 1.0f});
    return D3D_OK;
}

// ---- frame ----

int32_t Device::BeginScene() {
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    backend_->BeginScene();
    return D3D_OK;
}

int32_t Device::EndScene() {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    backend_->EndScene();
    return D3D_OK;
}

int32_t Device::Clear(uint32_t flags, D3DCOLOR color, float z, uint32_t stencil) {
    if (flags & D3DCLEAR_TARGET && !state_.renderTarget) return D3DERR_INVALIDCALL;
    if (flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL) && !state_.depthStencil)
        flags &= ~(D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
    if (flags == 0) return D3D_OK;
    backend_->Clear(state_, flags, color, std::clamp(z, 0.0f, 1.0f), stencil);
    return D3D_OK;
}

int32_t Device::Present() {
    if (inScene_) return D3DERR_INVALIDCALL;
    backend_->Present();
    return D3D_OK;
}

bool Device::LayoutReady(bool fromUserMemory) const {
    if (state_.layout.count == 0) return false;
    for (int i = 0; i < state_.layout.count; ++i) {
        const VertexElement& e = state_.layout.elements[i];
        if (fromUserMemory) {
            if (e.stream != 0) return false; // one stream from the caller's memory
        } else if (!state_.streams[e.stream].buffer || state_.streams[e.stream].stride == 0) {
            return false;
        }
    }
    return true;
}

uint64_t Device::StreamVertices() const {
    uint64_t vertices = UINT64_MAX;
    for (int s = 0; s < kMaxStreams; ++s) {
        const StreamSource& src = state_.streams[s];
        const uint64_t bytes = src.buffer ? src.buffer->Size() : 0;
        vertices = std::min(vertices, VerticesIn(state_.layout, s, bytes, src.stride));
    }
    return vertices;
}

int32_t Device::Submit(DrawCall& call) {
    if (!inScene_) return D3DERR_INVALIDCALL;
    call.vertexCount = VertexCountOf(call.type, call.primCount);
    if (call.vertexCount == 0) return D3DERR_INVALIDCALL;
    backend_->Draw(state_, call);
    return D3D_OK;
}

int32_t Device::DrawPrimitive(D3DPRIMITIVETYPE type, uint32_t startVertex, uint32_t primCount) {
    if (primCount == 0) return D3D_OK;
    if (!LayoutReady(false)) return D3DERR_INVALIDCALL;
    // The streams must hold every vertex the draw reads.
    if (uint64_t(startVertex) + VertexCountOf(type, primCount) > StreamVertices())
        return D3DERR_INVALIDCALL;
    DrawCall call;
    call.type = type;
    call.primCount = primCount;
    call.startVertex = startVertex;
    return Submit(call);
}

int32_t Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, uint32_t minIndex, uint32_t numVertices,
                                     uint32_t startIndex, uint32_t primCount) {
    if (primCount == 0) return D3D_OK;
    if (!LayoutReady(false) || !state_.indices) return D3DERR_INVALIDCALL;
    // Every index must lie in the buffer and name a vertex the streams hold.
    uint32_t largest = 0;
    if (!MaxIndex(state_.indices->Data(), state_.indices->Size(), state_.indices->Format(),
                  startIndex, VertexCountOf(type, primCount), largest) ||
        uint64_t(largest) + state_.baseVertexIndex >= StreamVertices())
        return D3DERR_INVALIDCALL;
    DrawCall call;
    call.type = type;
    call.primCount = primCount;
    call.indexed = true;
    call.minIndex = minIndex;
    call.numVertices = numVertices;
    call.startIndex = startIndex;
    return Submit(call);
}

int32_t Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primCount, const void* vertices,
                                uint32_t stride) {
    if (primCount == 0) return D3D_OK;
    if (!vertices || stride == 0 || !LayoutReady(true)) return D3DERR_INVALIDCALL;
    // Each vertex's elements must lie within its stride.
    const uint64_t count = VertexCountOf(type, primCount);
    if (VerticesIn(state_.layout, 0, count * stride, stride) < count) return D3DERR_INVALIDCALL;
    DrawCall call;
    call.type = type;
    call.primCount = primCount;
    call.userVertices = vertices;
    call.userStride = stride;
    call.numVertices = VertexCountOf(type, primCount);
    return Submit(call);
}

int32_t Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex,
                                       uint32_t numVertices, uint32_t primCount,
                                       const void* indices, D3DFORMAT indexFormat,
                                       const void* vertices, uint32_t stride) {
    if (primCount == 0) return D3D_OK;
    if (!vertices || !indices || stride == 0 || numVertices == 0 || !LayoutReady(true) ||
        (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    // The caller promises vertices minIndex .. minIndex + numVertices - 1;
    // an index beyond them would read past the caller's memory.
    const uint64_t count = VertexCountOf(type, primCount);
    const size_t width = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
    uint32_t largest = 0;
    MaxIndex(static_cast<const uint8_t*>(indices), size_t(count) * width, indexFormat, 0, count,
             largest);
    if (uint64_t(largest) >= uint64_t(minIndex) + numVertices) return D3DERR_INVALIDCALL;
    if (VerticesIn(state_.layout, 0, uint64_t(stride) * numVertices, stride) < numVertices)
        return D3DERR_INVALIDCALL;
    DrawCall call;
    call.type = type;
    call.primCount = primCount;
    call.indexed = true;
    call.minIndex = minIndex;
    call.numVertices = numVertices;
    call.userVertices = vertices;
    call.userStride = stride;
    call.userIndices = indices;
    call.userIndexFormat = indexFormat;
    return Submit(call);
}

// ---- resources ----

std::unique_ptr<VertexBuffer> Device::CreateVertexBuffer(uint32_t length, uint32_t usage,
                                                         uint32_t fvf, D3DPOOL pool) {
    if (length == 0) return nullptr;
    auto buffer = std::make_unique<VertexBuffer>(link_, length, usage, fvf, pool);
    backend_->InitBuffer(*buffer);
    return buffer;
}

std::unique_ptr<IndexBuffer> Device::CreateIndexBuffer(uint32_t length, uint32_t usage,
                                                       D3DFORMAT format, D3DPOOL pool) {
    if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) return nullptr;
    auto buffer = std::make_unique<IndexBuffer>(link_, length, usage, format, pool);
    backend_->InitBuffer(*buffer);
    return buffer;
}

bool Device::SupportsFormat(D3DFORMAT format) const {
    return IsTextureFormat(format) && backend_->SupportsFormat(format);
}

std::unique_ptr<Texture> Device::CreateTexture(int width, int height, int levels, uint32_t usage,
                                               D3DFORMAT format, D3DPOOL pool) {
    if (width <= 0 || height <= 0 || width > kMaxTextureSide || height > kMaxTextureSide ||
        levels < 0 || !SupportsFormat(format))
        return nullptr;
    if ((usage & D3DUSAGE_RENDERTARGET) && !IsRenderTargetFormat(format)) return nullptr;
    const int full = FullLevelCount(width, height);
    if (levels == 0 || levels > full) levels = full;
    if (!FitsTextureBudget(format, width, height, levels, 1, pool)) return nullptr;
    auto texture = std::make_unique<Texture>(link_, width, height, levels, usage, format, pool);
    backend_->InitTexture(*texture);
    return texture;
}

std::unique_ptr<CubeTexture> Device::CreateCubeTexture(int edge, int levels, uint32_t usage,
                                                       D3DFORMAT format, D3DPOOL pool) {
    if (edge <= 0 || edge > kMaxTextureSide || levels < 0 || !SupportsFormat(format) ||
        (usage & D3DUSAGE_RENDERTARGET))
        return nullptr;
    const int full = FullLevelCount(edge, edge);
    if (levels == 0 || levels > full) levels = full;
    if (!FitsTextureBudget(format, edge, edge, levels, 6, pool)) return nullptr;
    auto texture = std::make_unique<CubeTexture>(link_, edge, levels, usage, format, pool);
    backend_->InitTexture(*texture);
    return texture;
}

std::unique_ptr<Surface> Device::CreateSurface(Surface::Kind kind, int width, int height,
                                               D3DFORMAT format, int samples) {
    const bool formatFits =
        kind == Surface::Kind::DepthStencil ? IsDepthFormat(format) : IsRenderTargetFormat(format);
    if (width <= 0 || height <= 0 || width > kMaxTextureSide || height > kMaxTextureSide ||
        !formatFits)
        return nullptr;
    auto surface =
        std::make_unique<Surface>(link_, kind, width, height, format, samples > 1 ? samples : 0);
    backend_->InitSurface(*surface);
    return surface;
}

std::unique_ptr<Surface> Device::CreateRenderTarget(int width, int height, D3DFORMAT format,
                                                    int samples) {
    return CreateSurface(Surface::Kind::RenderTarget, width, height, format, samples);
}

std::unique_ptr<Surface> Device::CreateDepthStencilSurface(int width, int height, D3DFORMAT format,
                                                           int samples) {
    return CreateSurface(Surface::Kind::DepthStencil, width, height, format, samples);
}

std::unique_ptr<Program> Device::CreateProgram(const std::string& vertexSource,
                                               const std::string& fragmentSource,
                                               std::string* error) {
    auto program = std::make_unique<Program>(link_, vertexSource, fragmentSource);
    if (!backend_->InitProgram(*program, error)) return nullptr;
    return program;
}

bool Device::ReadFrontBuffer(std::vector<uint32_t>& argb, int& width, int& height) {
    return backend_->ReadFrontBuffer(argb, width, height);
}

int Device::TakeErrors(std::string* last) {
    return backend_->TakeErrors(last);
}

Recording* Device::GetRecording() {
    return backend_->GetRecording();
}

} // namespace platform::render
