// Vertex input in GL: attribute pointers for the device's layout over its
// stream buffers (set again only when the layout or streams change), and
// streaming buffers for draws from the caller's memory.
#include "platform/render/gl_backend.h"

#include <algorithm>

namespace platform::render {

namespace {

struct AttributeFormat {
    GLint size;
    GLenum type;
    GLboolean normalized;
};

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

GLuint GlBackend::StreamUpload(GLuint& buffer, GLsizeiptr& capacity, GLenum target,
                               const void* data, size_t size) {
    if (!buffer) glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    // Fresh storage each time, so no draw in flight is waited for.
    capacity = std::max(capacity, GLsizeiptr(size));
    glBufferData(target, capacity, nullptr, GL_STREAM_DRAW);
    glBufferSubData(target, 0, GLsizeiptr(size), data);
    return buffer;
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
        const GLuint buffers[kMaxStreams] = {StreamUpload(streamVertices_, streamVerticesSize_,
                                                          GL_ARRAY_BUFFER, call.userVertices,
                                                          vertices * call.userStride),
                                             0};
        const uint32_t strides[kMaxStreams] = {call.userStride, 0};
        const size_t bases[kMaxStreams] = {0, 0};
        SetupAttributes(state, buffers, strides, bases);
        if (call.indexed) {
            const size_t width = call.userIndexFormat == D3DFMT_INDEX32 ? 4 : 2;
            StreamUpload(streamIndices_, streamIndicesSize_, GL_ELEMENT_ARRAY_BUFFER,
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
