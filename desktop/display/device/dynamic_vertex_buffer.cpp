// The dynamic vertex buffer.
#include "desktop/display/device/dynamic_vertex_buffer.h"

#include "platform/render/device.h"

namespace lumivane {

DynamicVertexBuffer::DynamicVertexBuffer(platform::render::Device& device, uint32_t format,
                                         uint32_t capacity, uint32_t stride, bool deviceMemory)
    : format_(format), capacity_(capacity), stride_(stride) {
    buffer_ = device.CreateVertexBuffer(capacity * stride, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                        format, deviceMemory ? D3DPOOL_DEFAULT : D3DPOOL_SYSTEMMEM);
}

DynamicVertexBuffer::~DynamicVertexBuffer() {
    Unlock();
}

void* DynamicVertexBuffer::Lock(uint32_t count, uint32_t* start) {
    if (!buffer_ || locked_ || count == 0 || count > capacity_) return nullptr;
    uint32_t flags = kLockNoOverwriteFlags;
    if (discardNext_ || position_ + count > capacity_) {
        position_ = 0;
        flags = kLockDiscardFlags;
    }
    uint8_t* data = nullptr;
    if (buffer_->Lock(position_ * stride_, count * stride_, &data, flags) != D3D_OK) return nullptr;
    discardNext_ = false;
    locked_ = true;
    lastLockFlags_ = flags;
    if (start) *start = position_;
    position_ += count;
    return data;
}

void DynamicVertexBuffer::Unlock() {
    if (!locked_) return;
    buffer_->Unlock();
    locked_ = false;
}

} // namespace lumivane
