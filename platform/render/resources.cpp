// Device resources: lifetime against the device, buffer and texture locks
// over CPU copies, texture level sizes, program uniform storage.
#include "platform/render/resources.h"

#include "platform/render/backend.h"
#include "platform/render/format_info.h"

#include <algorithm>
#include <cstring>

namespace platform::render {

Resource::Resource(std::shared_ptr<DeviceLink> link) : link_(std::move(link)) {
    if (link_) link_->live.insert(this);
}

Resource::~Resource() {
    if (link_) link_->live.erase(this);
}

Backend* Resource::LiveBackend() const {
    return link_ ? link_->backend : nullptr;
}

void Resource::Release() {
    if (released_) return;
    released_ = true;
    if (Backend* backend = LiveBackend()) ReleaseFromBackend(*backend);
    handle = 0;
}

// ---- buffers ----

Buffer::Buffer(std::shared_ptr<DeviceLink> link, uint32_t size, uint32_t usage, D3DPOOL pool)
    : Resource(std::move(link)), data_(size), usage_(usage), pool_(pool) {}

Buffer::~Buffer() {
    Release();
}

void Buffer::ReleaseFromBackend(Backend& backend) {
    backend.ReleaseBuffer(*this);
}

int32_t Buffer::Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) {
    if (data) *data = nullptr;
    if (!data || locked_) return D3DERR_INVALIDCALL;
    const uint32_t total = Size();
    if (offset > total) return D3DERR_INVALIDCALL;
    if (size == 0) size = total - offset;
    if (size > total - offset) return D3DERR_INVALIDCALL;
    locked_ = true;
    lockOffset_ = offset;
    lockSize_ = size;
    lockDiscard_ = (flags & D3DLOCK_DISCARD) != 0;
    lockReadOnly_ = (flags & D3DLOCK_READONLY) != 0;
    *data = data_.data() + offset;
    return D3D_OK;
}

int32_t Buffer::Unlock() {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    if (!lockReadOnly_ && lockSize_ > 0)
        if (Backend* backend = LiveBackend()) backend->UpdateBuffer(*this);
    return D3D_OK;
}

VertexBuffer::VertexBuffer(std::shared_ptr<DeviceLink> link, uint32_t size, uint32_t usage,
                           uint32_t fvf, D3DPOOL pool)
    : Buffer(std::move(link), size, usage, pool), fvf_(fvf) {}

IndexBuffer::IndexBuffer(std::shared_ptr<DeviceLink> link, uint32_t size, uint32_t usage,
                         D3DFORMAT format, D3DPOOL pool)
    : Buffer(std::move(link), size, usage, pool), format_(format) {}

// ---- surfaces ----

Surface::Surface(std::shared_ptr<DeviceLink> link, Kind kind, int width, int height,
                 D3DFORMAT format, int samples)
    : Resource(std::move(link)), kind_(kind), width_(width), height_(height), format_(format),
      samples_(samples) {}

Surface::Surface(std::shared_ptr<DeviceLink> link, BaseTexture* texture, int face, int level)
    : Resource(std::move(link)), kind_(Kind::TextureLevel), width_(texture->LevelWidth(level)),
      height_(texture->LevelHeight(level)), format_(texture->Format()), texture_(texture),
      face_(face), level_(level) {}

Surface::~Surface() {
    Release();
}

void Surface::Resize(int width, int height, int samples) {
    width_ = width;
    height_ = height;
    samples_ = samples;
}

void Surface::ReleaseFromBackend(Backend& backend) {
    backend.ReleaseSurface(*this);
}

// ---- textures ----

BaseTexture::BaseTexture(std::shared_ptr<DeviceLink> link, bool cube, int width, int height,
                         int levels, uint32_t usage, D3DFORMAT format, D3DPOOL pool)
    : Resource(std::move(link)), cube_(cube), width_(width), height_(height), levels_(levels),
      usage_(usage), format_(format), pool_(pool) {
    const int faces = FaceCount();
    data_.resize(size_t(faces * levels_));
    locked_.assign(size_t(faces * levels_), false);
    surfaces_.resize(size_t(faces * levels_));
    // Render targets live on the GPU only; a write-only texture keeps a
    // level's copy only while it is locked.
    if (!IsRenderTarget() && !WriteOnly())
        for (int f = 0; f < faces; ++f)
            for (int l = 0; l < levels_; ++l)
                data_[size_t(f * levels_ + l)].assign(LevelBytes(l), 0);
    if (pool_ != D3DPOOL_SYSTEMMEM && Link()) {
        budgetBytes_ = TotalBytes();
        Link()->textureBytes += budgetBytes_;
    }
}

BaseTexture::~BaseTexture() {
    if (budgetBytes_ && Link()) Link()->textureBytes -= budgetBytes_;
    // Surfaces of the levels first: the backend may hold targets made of them.
    surfaces_.clear();
    Release();
}

uint64_t BaseTexture::TotalBytes() const {
    uint64_t total = 0;
    for (int l = 0; l < levels_; ++l)
        total += LevelBytes(l);
    return total * uint64_t(FaceCount());
}

void BaseTexture::ReleaseFromBackend(Backend& backend) {
    backend.ReleaseTexture(*this);
}

int BaseTexture::LevelWidth(int level) const {
    return std::max(1, width_ >> level);
}

int BaseTexture::LevelHeight(int level) const {
    return std::max(1, height_ >> level);
}

int BaseTexture::LevelPitch(int level) const {
    return int(FormatRowPitch(format_, LevelWidth(level)));
}

size_t BaseTexture::LevelBytes(int level) const {
    return FormatLevelSize(format_, LevelWidth(level), LevelHeight(level));
}

const std::vector<uint8_t>& BaseTexture::LevelData(int face, int level) const {
    static const std::vector<uint8_t> kNone;
    if (face < 0 || face >= FaceCount() || level < 0 || level >= levels_) return kNone;
    return data_[size_t(face * levels_ + level)];
}

int32_t BaseTexture::LockLevel(int face, int level, D3DLOCKED_RECT* out, uint32_t) {
    if (out) *out = D3DLOCKED_RECT{0, nullptr};
    if (!out || face < 0 || face >= FaceCount() || level < 0 || level >= levels_ ||
        IsRenderTarget())
        return D3DERR_INVALIDCALL;
    const size_t i = size_t(face * levels_ + level);
    if (locked_[i]) return D3DERR_INVALIDCALL;
    if (data_[i].empty()) data_[i].assign(LevelBytes(level), 0);
    locked_[i] = true;
    out->Pitch = LevelPitch(level);
    out->pBits = data_[i].data();
    return D3D_OK;
}

int32_t BaseTexture::UnlockLevel(int face, int level) {
    if (face < 0 || face >= FaceCount() || level < 0 || level >= levels_) return D3DERR_INVALIDCALL;
    const size_t i = size_t(face * levels_ + level);
    if (!locked_[i]) return D3DERR_INVALIDCALL;
    locked_[i] = false;
    Backend* backend = LiveBackend();
    if (backend) backend->UpdateTexture(*this, face, level);
    // Once the device has a write-only level its copy is not needed; without
    // a device the copy is all there is, so it stays.
    if (backend && WriteOnly()) std::vector<uint8_t>().swap(data_[i]);
    return D3D_OK;
}

Surface* BaseTexture::SurfaceOf(int face, int level) {
    if (face < 0 || face >= FaceCount() || level < 0 || level >= levels_) return nullptr;
    std::unique_ptr<Surface>& surface = surfaces_[size_t(face * levels_ + level)];
    if (!surface) {
        Backend* backend = LiveBackend();
        if (!backend) return nullptr;
        surface = std::make_unique<Surface>(Link(), this, face, level);
        backend->InitSurface(*surface);
    }
    return surface.get();
}

Texture::Texture(std::shared_ptr<DeviceLink> link, int width, int height, int levels,
                 uint32_t usage, D3DFORMAT format, D3DPOOL pool)
    : BaseTexture(std::move(link), false, width, height, levels, usage, format, pool) {}

CubeTexture::CubeTexture(std::shared_ptr<DeviceLink> link, int edge, int levels, uint32_t usage,
                         D3DFORMAT format, D3DPOOL pool)
    : BaseTexture(std::move(link), true, edge, edge, levels, usage, format, pool) {}

// ---- programs ----

Program::Program(std::shared_ptr<DeviceLink> link, std::string vertexSource,
                 std::string fragmentSource)
    : Resource(std::move(link)), vertexSource_(std::move(vertexSource)),
      fragmentSource_(std::move(fragmentSource)) {}

Program::~Program() {
    Release();
}

void Program::ReleaseFromBackend(Backend& backend) {
    backend.ReleaseProgram(*this);
}

void Program::SetFloats(const std::string& name, const float* values, int count) {
    if (!values || count <= 0) return;
    Uniform& u = uniforms_[name];
    u.kind = Uniform::Kind::Floats;
    u.floats.assign(values, values + count);
    u.dirty = true;
}

void Program::SetInt(const std::string& name, int value) {
    Uniform& u = uniforms_[name];
    u.kind = Uniform::Kind::Ints;
    u.ints.assign(1, value);
    u.dirty = true;
}

void Program::SetMatrix(const std::string& name, const D3DMATRIX& m) {
    Uniform& u = uniforms_[name];
    u.kind = Uniform::Kind::Matrix;
    u.floats.assign(&m.m[0][0], &m.m[0][0] + 16);
    u.dirty = true;
}

void Program::SetSampler(const std::string& name, int stage) {
    if (stage < 0 || stage >= kMaxTextureStages) return;
    samplers_[name] = stage;
    samplersDirty = true;
}

const Program::Uniform* Program::FindUniform(const std::string& name) const {
    auto it = uniforms_.find(name);
    return it == uniforms_.end() ? nullptr : &it->second;
}

} // namespace platform::render
