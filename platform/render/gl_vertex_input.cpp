// Vertex input in GL: attribute pointers for the device's layout over its
// stream buffers (set again only when the layout or streams change), and
// streaming buffers for draws from the caller's memory.
#include "platform/render/gl_backend.h"

#include <algorithm>
#include <cstring>

namespace platform::render {

namespace {

struct AttributeFormat {
    GLint size;
    GLenum type;
    GLboolean normalized;
};

// The streams' storage, and where each copy starts (a multiple of this).
constexpr GLsizeiptr kStreamCapacity = 1 << 20;
constexpr GLsizeiptr kStreamAlignment = 16;

AttributeFormat FormatOf(VertexElementType type) {
    switch (type) {
    case VertexElementType::Float1:
        return {1, GL_FLOAT, GL_FALSE};
    case VertexElementType::Float2:
        return {2, GL_FLOAT, GL_FALSE};
    case VertexElementType::Float3:
        return {3, GL_FLOAT, GL_FALSE};
    case VertexElementType::Float4:
        return {4, GL_FLOAT, GL_FALSE};
    case VertexElementType::Color:
        // Bytes blue, green, red, alpha: GL reads them in that order.
        return {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE};
    }
    return {4, GL_FLOAT, GL_FALSE};
}

} // namespace

size_t GlBackend::StreamUpload(GlStreamBuffer& stream, GLenum target, const void* data,
                               size_t size) {
    if (!stream.buffer) glGenBuffers(1, &stream.buffer);
    glBindBuffer(target, stream.buffer);
    GLsizeiptr offset = (stream.used + kStreamAlignment - 1) / kStreamAlignment * kStreamAlignment;
    if (offset + GLsizeiptr(size) > stream.capacity) {
        // Fresh storage: draws made before keep reading the old one.
        stream.capacity = std::max({stream.capacity, kStreamCapacity, GLsizeiptr(size)});
        glBufferData(target, stream.capacity, nullptr, GL_STREAM_DRAW);
        offset = 0;
    }
    // No draw has read this range since the storage was fresh, so it is
    // written without waiting for (or flushing) the draws queued before.
    void* range = glMapBufferRange(target, offset, GLsizeiptr(size),
                                   GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT |
                                       GL_MAP_UNSYNCHRONIZED_BIT);
    if (range) {
        std::memcpy(range, data, size);
        glUnmapBuffer(target);
    } else {
        glBufferSubData(target, offset, GLsizeiptr(size), data);
    }
    stream.used = offset + GLsizeiptr(size);
    return size_t(offset);
}

void GlBackend::SetupAttributes(const DeviceState& state, const GLuint (&buffers)[kMaxStreams],
                                const uint32_t (&strides)[kMaxStreams],
                                const size_t (&bases)[kMaxStreams]) {
    bool used[kMaxVertexElements] = {};
    const VertexLayout& layout = state.layout;
    for (int i = 0; i < layout.count; ++i) {
        const VertexElement& e = layout.elements[i];
        const AttributeFormat f = FormatOf(e.type);
        glBindBuffer(GL_ARRAY_BUFFER, buffers[e.stream]);
        glVertexAttribPointer(e.location, f.size, f.type, f.normalized, GLsizei(strides[e.stream]),
                              reinterpret_cast<const void*>(bases[e.stream] + e.offset));
        used[e.location] = true;
    }
    for (int location = 0; location < kMaxVertexElements; ++location) {
        if (used[location] == attributeEnabled_[location]) continue;
        if (used[location])
            glEnableVertexAttribArray(GLuint(location));
        else
            glDisableVertexAttribArray(GLuint(location));
        attributeEnabled_[location] = used[location];
    }
}

bool GlBackend::BindVertexInput(const DeviceState& state, const DrawCall& call) {
    if (call.userVertices) {
        const size_t vertices =
            call.indexed ? size_t(call.minIndex) + call.numVertices : size_t(call.vertexCount);
        const size_t base = StreamUpload(streamVertices_, GL_ARRAY_BUFFER, call.userVertices,
                                         vertices * call.userStride);
        const GLuint buffers[kMaxStreams] = {streamVertices_.buffer, 0};
        const uint32_t strides[kMaxStreams] = {call.userStride, 0};
        const size_t bases[kMaxStreams] = {base, 0};
        SetupAttributes(state, buffers, strides, bases);
        if (call.indexed) {
            const size_t width = call.userIndexFormat == D3DFMT_INDEX32 ? 4 : 2;
            streamIndexOffset_ = StreamUpload(streamIndices_, GL_ELEMENT_ARRAY_BUFFER,
                                              call.userIndices, size_t(call.vertexCount) * width);
        }
        inputVersion_ = 0; // the next buffer draw sets its pointers again
        return true;
    }
    if (inputVersion_ == state.layoutVersion) return true;
    GLuint buffers[kMaxStreams] = {};
    uint32_t strides[kMaxStreams] = {};
    const size_t bases[kMaxStreams] = {0, 0};
    for (int s = 0; s < kMaxStreams; ++s) {
        const StreamSource& source = state.streams[s];
        buffers[s] = source.buffer ? GLuint(source.buffer->handle) : 0;
        strides[s] = source.stride;
    }
    for (int i = 0; i < state.layout.count; ++i)
        if (!buffers[state.layout.elements[i].stream]) return false;
    SetupAttributes(state, buffers, strides, bases);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, state.indices ? GLuint(state.indices->handle) : 0);
    inputVersion_ = state.layoutVersion;
    return true;
}

} // namespace platform::render
