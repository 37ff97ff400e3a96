// The device's resources: vertex and index buffers, textures and cube
// textures with their levels, surfaces (render targets, depth buffers,
// texture levels) and effect programs. Each keeps its data on the CPU in the
// Direct3D byte layout and hands it to the backend when it is unlocked.
//
// A resource belongs to the device that made it. When the device goes first,
// its resources keep their CPU data and silently lose their GPU objects;
// using them with another device is not possible.
#pragma once

#include "platform/render/device_types.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform::render {

class Backend;
class Device;
struct DeviceLink;

class Resource {
public:
    virtual ~Resource();
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;

    // The backend's object for this resource (a GL name); 0 when it has none.
    uintptr_t handle = 0;

protected:
    explicit Resource(std::shared_ptr<DeviceLink> link);
    // The backend of the live device, or null once the device is gone.
    Backend* LiveBackend() const;
    const std::shared_ptr<DeviceLink>& Link() const { return link_; }
    // Gives the GPU object back; called by the destructor of the class that
    // implements ReleaseFromBackend, while that part is still whole.
    void Release();

private:
    friend class Device;
    virtual void ReleaseFromBackend(Backend& backend) = 0;
    std::shared_ptr<DeviceLink> link_;
    bool released_ = false;
};

// Locked bytes of a texture level: the first byte and the bytes per row (for
// DXT formats, per row of 4 x 4 blocks).
struct D3DLOCKED_RECT {
    int Pitch;
    void* pBits;
};

// A buffer of bytes the device draws from. Lock hands out the CPU copy;
// Unlock sends the locked range to the backend.
class Buffer : public Resource {
public:
    uint32_t Size() const { return uint32_t(data_.size()); }
    uint32_t Usage() const { return usage_; }
    D3DPOOL Pool() const { return pool_; }
    bool IsLocked() const { return locked_; }
    const uint8_t* Data() const { return data_.data(); }

    // The bytes [offset, offset + size) (size 0: to the end). Refused with
    // D3DERR_INVALIDCALL when the range does not fit or the buffer is
    // already locked; *data is then null. D3DLOCK_DISCARD lets the backend
    // drop what the GPU still holds.
    int32_t Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags);
    int32_t Unlock();

    // The part locked last (for the backend).
    uint32_t LockedOffset() const { return lockOffset_; }
    uint32_t LockedSize() const { return lockSize_; }
    bool LockedDiscard() const { return lockDiscard_; }

    ~Buffer() override;

protected:
    Buffer(std::shared_ptr<DeviceLink> link, uint32_t size, uint32_t usage, D3DPOOL pool);

private:
    void ReleaseFromBackend(Backend& backend) override;
    std::vector<uint8_t> data_;
    uint32_t usage_;
    D3DPOOL pool_;
    bool locked_ = false;
    bool lockDiscard_ = false;
    bool lockReadOnly_ = false;
    uint32_t lockOffset_ = 0;
    uint32_t lockSize_ = 0;
};

class VertexBuffer : public Buffer {
public:
    VertexBuffer(std::shared_ptr<DeviceLink> link, uint32_t size, uint32_t usage, uint32_t fvf,
                 D3DPOOL pool);
    uint32_t FVF() const { return fvf_; }

private:
    uint32_t fvf_;
};

class IndexBuffer : public Buffer {
public:
    IndexBuffer(std::shared_ptr<DeviceLink> link, uint32_t size, uint32_t usage, D3DFORMAT format,
                D3DPOOL pool);
    D3DFORMAT Format() const { return format_; }
    uint32_t IndexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }

private:
    D3DFORMAT format_;
};

class BaseTexture;

// One level of a texture (a face level for cube textures), a render target
// or a depth buffer of its own, or the device's back buffer.
class Surface : public Resource {
public:
    enum class Kind { TextureLevel, RenderTarget, DepthStencil, BackBuffer, AutoDepthStencil };

    Surface(std::shared_ptr<DeviceLink> link, Kind kind, int width, int height, D3DFORMAT format,
            int samples);
    Surface(std::shared_ptr<DeviceLink> link, BaseTexture* texture, int face, int level);
    ~Surface() override;

    Kind GetKind() const { return kind_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    D3DFORMAT Format() const { return format_; }
    int Samples() const { return samples_; }
    // For a texture level: its texture, face and level.
    BaseTexture* Texture() const { return texture_; }
    int Face() const { return face_; }
    int Level() const { return level_; }
    bool IsDepth() const { return kind_ == Kind::DepthStencil || kind_ == Kind::AutoDepthStencil; }

    // The device's own surfaces change size when it is reset.
    void Resize(int width, int height, int samples);

private:
    void ReleaseFromBackend(Backend& backend) override;
    Kind kind_;
    int width_, height_;
    D3DFORMAT format_;
    int samples_ = 0;
    BaseTexture* texture_ = nullptr;
    int face_ = 0, level_ = 0;
};

// A texture: one face (plain) or six (cube), each with a chain of levels.
class BaseTexture : public Resource {
public:
    ~BaseTexture() override;

    bool IsCube() const { return cube_; }
    D3DFORMAT Format() const { return format_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int LevelCount() const { return levels_; }
    uint32_t Usage() const { return usage_; }
    D3DPOOL Pool() const { return pool_; }
    bool IsRenderTarget() const { return (usage_ & D3DUSAGE_RENDERTARGET) != 0; }
    // Write-only: every lock writes the whole level and nothing reads it
    // back, so a level's CPU copy is dropped once the device has it and a
    // lock hands out zeroed texels.
    bool WriteOnly() const { return (usage_ & D3DUSAGE_WRITEONLY) != 0; }
    int FaceCount() const { return cube_ ? 6 : 1; }
    int LevelWidth(int level) const;
    int LevelHeight(int level) const;
    // Bytes per row (per row of blocks) and bytes of one level.
    int LevelPitch(int level) const;
    size_t LevelBytes(int level) const;
    // The CPU copy of a level (empty for render targets, and for write-only
    // textures outside a lock).
    const std::vector<uint8_t>& LevelData(int face, int level) const;
    // Bytes of all levels and faces; counted against the device's texture
    // budget unless the texture lives in system memory.
    uint64_t TotalBytes() const;

protected:
    BaseTexture(std::shared_ptr<DeviceLink> link, bool cube, int width, int height, int levels,
                uint32_t usage, D3DFORMAT format, D3DPOOL pool);
    int32_t LockLevel(int face, int level, D3DLOCKED_RECT* out, uint32_t flags);
    int32_t UnlockLevel(int face, int level);
    Surface* SurfaceOf(int face, int level);

private:
    void ReleaseFromBackend(Backend& backend) override;
    bool cube_;
    int width_, height_, levels_;
    uint32_t usage_;
    D3DFORMAT format_;
    D3DPOOL pool_;
    std::vector<std::vector<uint8_t>> data_; // face-major: face * levels + level
    std::vector<bool> locked_;
    std::vector<std::unique_ptr<Surface>> surfaces_;
    uint64_t budgetBytes_ = 0;
};

class Texture : public BaseTexture {
public:
    Texture(std::shared_ptr<DeviceLink> link, int width, int height, int levels, uint32_t usage,
            D3DFORMAT format, D3DPOOL pool);
    int32_t LockRect(int level, D3DLOCKED_RECT* out, uint32_t flags) {
        return LockLevel(0, level, out, flags);
    }
    int32_t UnlockRect(int level) { return UnlockLevel(0, level); }
    // The level as a surface (a render target texture's level 0 can be drawn
    // into); owned by the texture. Null for a level that does not exist.
    Surface* GetSurfaceLevel(int level) { return SurfaceOf(0, level); }
};

class CubeTexture : public BaseTexture {
public:
    CubeTexture(std::shared_ptr<DeviceLink> link, int edge, int levels, uint32_t usage,
                D3DFORMAT format, D3DPOOL pool);
    int32_t LockRect(D3DCUBEMAP_FACES face, int level, D3DLOCKED_RECT* out, uint32_t flags) {
        return LockLevel(int(face), level, out, flags);
    }
    int32_t UnlockRect(D3DCUBEMAP_FACES face, int level) { return UnlockLevel(int(face), level); }
    Surface* GetCubeMapSurface(D3DCUBEMAP_FACES face, int level) {
        return SurfaceOf(int(face), level);
    }
};

// An effect's own shader program, drawn with in place of the fixed-function
// pipeline while it is set on the device. Uniform values and sampler
// bindings are kept here and sent when the device draws with the program.
class Program : public Resource {
public:
    struct Uniform {
        enum class Kind { Floats, Ints, Matrix } kind = Kind::Floats;
        std::vector<float> floats;
        std::vector<int> ints;
        bool dirty = true;
    };

    Program(std::shared_ptr<DeviceLink> link, std::string vertexSource, std::string fragmentSource);
    ~Program() override;

    // Floats for a float, vecN or vecN array uniform (count floats).
    void SetFloats(const std::string& name, const float* values, int count);
    void SetFloat(const std::string& name, float value) { SetFloats(name, &value, 1); }
    void SetInt(const std::string& name, int value);
    // A row-vector matrix as the device keeps it; the shader multiplies
    // `m * v` with it.
    void SetMatrix(const std::string& name, const D3DMATRIX& m);
    // The sampler uniform reads the texture bound to this stage.
    void SetSampler(const std::string& name, int stage);

    const std::string& VertexSource() const { return vertexSource_; }
    const std::string& FragmentSource() const { return fragmentSource_; }
    // Null when the uniform was never set.
    const Uniform* FindUniform(const std::string& name) const;
    std::map<std::string, Uniform>& Uniforms() { return uniforms_; }
    const std::map<std::string, int>& Samplers() const { return samplers_; }
    bool samplersDirty = true;

private:
    void ReleaseFromBackend(Backend& backend) override;
    std::string vertexSource_, fragmentSource_;
    std::map<std::string, Uniform> uniforms_;
    std::map<std::string, int> samplers_;
};

} // namespace platform::render
