// The display's shared dynamic buffers for per-frame geometry (animated
// meshes, particles, text): a byte buffer of vertices that every lock
// starts again from the beginning, and a buffer of 16-bit indices that
// appends while the data fits and starts again when it does not. Locking
// never allocates. A lock larger than the whole buffer answers null: every
// caller must then split its data or skip it.
#pragma once

#include <memory>

#include "platform/render/resources.h"

template <typename T, typename Resource> class JTDynamicBuffer {
public:
    // restartEachLock: every lock starts at 0 and discards (the vertices).
    JTDynamicBuffer(std::unique_ptr<Resource> buffer, bool restartEachLock)
        : buffer(std::move(buffer)), restartEachLock(restartEachLock) {}
    ~JTDynamicBuffer() { Unlock(); }
    JTDynamicBuffer(const JTDynamicBuffer&) = delete;
    JTDynamicBuffer& operator=(const JTDynamicBuffer&) = delete;

    // Room for count elements; start receives where they begin (in
    // elements). Null when count exceeds the buffer or the lock fails.
    T* Lock(unsigned count, unsigned& start) {
        start = 0;
        if (!buffer || locked || count > unsigned(GetCapacity())) return nullptr;
        if (restartEachLock) discardNext = true;
        uint32_t flags = D3DLOCK_NOSYSLOCK | D3DLOCK_NOOVERWRITE;
        if (discardNext || next + count >= unsigned(GetCapacity())) {
            flags = D3DLOCK_NOSYSLOCK | D3DLOCK_DISCARD;
            discardNext = false;
            next = 0;
        }
        uint8_t* bytes = nullptr;
        if (buffer->Lock(next * sizeof(T), count * sizeof(T), &bytes, flags) != D3D_OK)
            return nullptr;
        locked = true;
        start = next;
        next += count;
        return reinterpret_cast<T*>(bytes);
    }

    void Unlock() {
        if (!locked) return;
        buffer->Unlock();
        locked = false;
    }

    // The next lock starts again at 0 (once per frame).
    void SetDiscard() { discardNext = true; }
    bool IsLocked() const { return locked; }
    int GetCapacity() const { return buffer ? int(buffer->Size() / sizeof(T)) : 0; }
    Resource* GetBuffer() const { return buffer.get(); }

private:
    std::unique_ptr<Resource> buffer;
    bool restartEachLock;
    unsigned next = 0;
    bool locked = false;
    bool discardNext = true;
};

using DynamicVB = JTDynamicBuffer<unsigned char, platform::render::VertexBuffer>;
using DynamicIB = JTDynamicBuffer<unsigned short, platform::render::IndexBuffer>;
