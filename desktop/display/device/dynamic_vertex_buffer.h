// The display's vertex buffer for geometry made each frame (particles,
// text, animated vertices): filled front to back without waiting for the
// drawing of earlier ranges, and started over (its old contents dropped)
// when full or at the first lock of a frame.
#pragma once

#include "platform/render/device_types.h"

#include <cstdint>
#include <memory>

namespace platform::render {
class Device;
class VertexBuffer;
} // namespace platform::render

namespace lumivane {

// Lock flags as the older device took them: write-only, with either
// "discard the contents" or "no overwrite of what is being drawn".
inline constexpr uint32_t kLockWriteOnly = 0x20;
inline constexpr uint32_t kLockDiscardFlags = D3DLOCK_DISCARD | kLockWriteOnly;         // 0x2020
inline constexpr uint32_t kLockNoOverwriteFlags = D3DLOCK_NOOVERWRITE | kLockWriteOnly; // 0x1020

class DynamicVertexBuffer {
public:
    // A write-only buffer of `capacity` vertices of `stride` bytes, in
    // system memory unless the display transforms on the device.
    DynamicVertexBuffer(platform::render::Device& device, uint32_t format, uint32_t capacity,
                        uint32_t stride, bool deviceMemory);
    ~DynamicVertexBuffer();
    DynamicVertexBuffer(const DynamicVertexBuffer&) = delete;
    DynamicVertexBuffer& operator=(const DynamicVertexBuffer&) = delete;

    bool Valid() const { return buffer_ != nullptr; }
    // Room for `count` vertices: the first byte, and the index of the first
    // vertex in *start. Null for 0 vertices, more than the capacity, or when
    // a lock is still held.
    void* Lock(uint32_t count, uint32_t* start);
    void Unlock();
    // The next lock starts over from the front.
    void DiscardNext() { discardNext_ = true; }

    platform::render::VertexBuffer* Buffer() const { return buffer_.get(); }
    uint32_t Capacity() const { return capacity_; }
    uint32_t Stride() const { return stride_; }
    uint32_t Format() const { return format_; }
    uint32_t Position() const { return position_; }
    bool Locked() const { return locked_; }
    uint32_t LastLockFlags() const { return lastLockFlags_; }

private:
    std::unique_ptr<platform::render::VertexBuffer> buffer_;
    uint32_t format_;
    uint32_t capacity_;
    uint32_t stride_;
    uint32_t position_ = 0;
    bool locked_ = false;
    bool discardNext_ = false;
    uint32_t lastLockFlags_ = 0;
};

} // namespace lumivane
