// JTMesh: its data, copies, the list and strip forms, locking and face
// queries, the bound, and the device buffers made from the CPU copies.
#include "Jentra/JTMesh.h"

#include <algorithm>
#include <cmath>

#include "platform/render/device.h"

JT_CLASS_IMPL(JTMesh)

using platform::render::Device;

JTMesh::JTMesh() = default;

JTMesh::~JTMesh() {
    ReleaseDeviceBuffers();
}

JTMesh::JTMesh(const JTMesh& other) : JTUnknown(other) {
    *this = other;
}

JTMesh& JTMesh::operator=(const JTMesh& other) {
    if (this == &other) return *this;
    JTUnknown::operator=(other);
    hasList = other.hasList;
    hasStrip = other.hasStrip;
    useStrip = other.useStrip;
    hasBumpMatrices = other.hasBumpMatrices;
    dynamic = other.dynamic;
    bound = other.bound;
    numVertices = other.numVertices;
    numListIndices = other.numListIndices;
    numStripIndices = other.numStripIndices;
    numLeftoverIndices = other.numLeftoverIndices;
    smVertices = other.smVertices;
    smList = other.smList;
    smStrip = other.smStrip;
    smLeftovers = other.smLeftovers;
    bumpMatrices = other.bumpMatrices;
    // A copy is never locked and makes its own device buffers when drawn:
    // sharing the source's would free them twice.
    lockedVertices = nullptr;
    lockedList = lockedStrip = lockedLeftovers = nullptr;
    lockedForWriting = false;
    ReleaseDeviceBuffers();
    return *this;
}

void JTMesh::ReleaseDeviceBuffers() {
    vmVertices.reset();
    vmList.reset();
    vmStrip.reset();
    vmLeftovers.reset();
    vmBump.reset();
    vmDevice = nullptr;
    vmStale = true;
}

bool JTMesh::SetUseStrip(bool on) {
    if (on ? !hasStrip : !hasList) return false;
    useStrip = on;
    return true;
}

unsigned JTMesh::GetNumIndices() const {
    if (useStrip) return hasStrip ? numStripIndices + numLeftoverIndices : 0;
    return hasList ? numListIndices : 0;
}

unsigned JTMesh::GetNumFaces() const {
    if (useStrip) {
        if (!hasStrip || numStripIndices < 3) return 0;
        return numStripIndices - 2 + numLeftoverIndices / 3;
    }
    return hasList ? numListIndices / 3 : 0;
}

void JTMesh::LockSMBuffers(bool readOnly) {
    if (numVertices == 0) return;
    lockedVertices = smVertices.data();
    lockedForWriting = !readOnly;
    if (!useStrip) {
        lockedList = hasList ? smList.data() : nullptr;
    } else {
        lockedStrip = hasStrip ? smStrip.data() : nullptr;
        lockedLeftovers = numLeftoverIndices ? smLeftovers.data() : nullptr;
    }
}

void JTMesh::UnlockSMBuffers() {
    // Whatever was written through a writable lock reaches the device
    // buffers at the next draw.
    if (lockedForWriting) vmStale = true;
    lockedVertices = nullptr;
    lockedList = lockedStrip = lockedLeftovers = nullptr;
    lockedForWriting = false;
}

bool JTMesh::GetFaceIndices(unsigned face, unsigned short** i0, unsigned short** i1,
                            unsigned short** i2) const {
    unsigned short* p = nullptr;
    if (!useStrip) {
        if (!lockedList || face >= numListIndices / 3) return false;
        p = lockedList + 3 * size_t(face);
        *i0 = p;
        *i1 = p + 1;
        *i2 = p + 2;
    } else {
        if (!lockedStrip || numStripIndices < 3) return false;
        unsigned stripFaces = numStripIndices - 2;
        if (face < stripFaces) {
            // Odd strip faces are not turned round: callers want the corners.
            p = lockedStrip + face;
            *i0 = p;
            *i1 = p + 1;
            *i2 = p + 2;
        } else {
            unsigned k = face - stripFaces;
            if (!lockedLeftovers || k >= numLeftoverIndices / 3) return false;
            p = lockedLeftovers + 3 * size_t(k);
            *i0 = p;
            *i1 = p + 1;
            *i2 = p + 2;
        }
    }
    return **i0 != **i1 && **i1 != **i2 && **i0 != **i2;
}

bool JTMesh::GetFaceVertices(unsigned face, Vert1** v0, Vert1** v1, Vert1** v2) const {
    unsigned short *a = nullptr, *b = nullptr, *c = nullptr;
    if (!lockedVertices) return false;
    bool whole = GetFaceIndices(face, &a, &b, &c);
    if (!a) return false;
    // Indices were checked against the vertex count when they came in.
    *v0 = lockedVertices + *a;
    *v1 = lockedVertices + *b;
    *v2 = lockedVertices + *c;
    return whole;
}

bool JTMesh::GetVertex(unsigned index, Vert1& out) const {
    if (index >= numVertices) return false;
    out = smVertices[index];
    return true;
}

void JTMesh::DeleteList() {
    smList.clear();
    vmList.reset();
    numListIndices = 0;
    hasList = false;
    if (hasStrip) useStrip = true;
}

void JTMesh::DeleteStrip() {
    smStrip.clear();
    smLeftovers.clear();
    vmStrip.reset();
    vmLeftovers.reset();
    numStripIndices = numLeftoverIndices = 0;
    hasStrip = false;
    useStrip = false;
}

float JTMesh::RecomputeBound() {
    float largest = 0.0f;
    for (const Vert1& v : smVertices)
        largest = std::max(largest, v.x * v.x + v.y * v.y + v.z * v.z);
    bound = std::sqrt(largest);
    return bound;
}

bool JTMesh::IndicesValid() const {
    if (numVertices > kMaxVertices || smVertices.size() != numVertices) return false;
    auto inRange = [this](const std::vector<unsigned short>& list, unsigned count) {
        if (list.size() != count) return false;
        return std::all_of(list.begin(), list.end(),
                           [this](unsigned short i) { return i < numVertices; });
    };
    if (hasList && !inRange(smList, numListIndices)) return false;
    if (hasStrip) {
        if (numStripIndices < 3 || !inRange(smStrip, numStripIndices)) return false;
        if (!inRange(smLeftovers, numLeftoverIndices)) return false;
    }
    if (hasBumpMatrices && bumpMatrices.size() != numVertices) return false;
    return true;
}

bool JTMesh::CreateVertexBuffersFromData(JTDisplay*, const Vert1* vertices, unsigned count) {
    if (count > kMaxVertices || (count && !vertices)) return false;
    vmVertices.reset();
    numVertices = count;
    smVertices.assign(vertices, vertices + count);
    vmStale = true;
    return true;
}

bool JTMesh::CreateIndexBuffersFromData(JTDisplay*, const unsigned short* indices, unsigned count) {
    if (count && !indices) return false;
    vmList.reset();
    DeleteStrip();
    numListIndices = count;
    smList.assign(indices, indices + count);
    hasList = count > 0;
    vmStale = true;
    return true;
}

bool JTMesh::CreateStripBuffersFromData(JTDisplay*, const unsigned short* strip,
                                        unsigned stripCount, const unsigned short* leftovers,
                                        unsigned leftoverCount) {
    if ((stripCount && !strip) || (leftoverCount && !leftovers)) return false;
    vmStrip.reset();
    vmLeftovers.reset();
    numStripIndices = stripCount;
    numLeftoverIndices = leftoverCount;
    smStrip.assign(strip, strip + stripCount);
    smLeftovers.assign(leftovers, leftovers + leftoverCount);
    hasStrip = true;
    vmStale = true;
    return true;
}

bool JTMesh::CreateBuffersFromData(JTDisplay* display, const Vert1* vertices, unsigned numVerts,
                                   const unsigned short* indices, unsigned numIndices,
                                   bool isDynamic, bool bump) {
    // Refused before anything changes: an index past the vertices would be
    // read out of bounds by every face query and draw.
    if (numVerts > kMaxVertices) return false;
    if ((numVerts && !vertices) || (numIndices && !indices)) return false;
    for (unsigned i = 0; i < numIndices; ++i)
        if (indices[i] >= numVerts) return false;

    bumpMatrices.clear();
    hasBumpMatrices = false;
    vmBump.reset();
    dynamic = isDynamic;
    CreateVertexBuffersFromData(display, vertices, numVerts);
    CreateIndexBuffersFromData(display, indices, numIndices);
    RecomputeBound();
    if (bump) GenerateBumpMatrices(display);
    return true;
}

bool JTMesh::PrepareDeviceBuffers(Device* device) {
    using namespace platform::render;
    if (!device) return false;
    if (device != vmDevice) {
        ReleaseDeviceBuffers();
        vmDevice = device;
    }
    if (!vmStale) return true;

    auto makeVertices = [&](std::unique_ptr<VertexBuffer>& buffer, const void* data,
                            uint32_t bytes) {
        buffer.reset();
        if (bytes == 0) return true;
        buffer = device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED);
        uint8_t* out = nullptr;
        if (!buffer || buffer->Lock(0, 0, &out, 0) != D3D_OK) return false;
        std::memcpy(out, data, bytes);
        return buffer->Unlock() == D3D_OK;
    };
    auto makeIndices = [&](std::unique_ptr<IndexBuffer>& buffer,
                           const std::vector<unsigned short>& data) {
        buffer.reset();
        if (data.empty()) return true;
        uint32_t bytes = uint32_t(data.size() * sizeof(unsigned short));
        buffer =
            device->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED);
        uint8_t* out = nullptr;
        if (!buffer || buffer->Lock(0, 0, &out, 0) != D3D_OK) return false;
        std::memcpy(out, data.data(), bytes);
        return buffer->Unlock() == D3D_OK;
    };

    bool ok = true;
    if (!dynamic) {
        ok = makeVertices(vmVertices, smVertices.data(), uint32_t(numVertices * sizeof(Vert1))) &&
             ok;
        ok = makeIndices(vmList, hasList ? smList : std::vector<unsigned short>{}) && ok;
        ok = makeIndices(vmStrip, hasStrip ? smStrip : std::vector<unsigned short>{}) && ok;
        ok = makeIndices(vmLeftovers, hasStrip ? smLeftovers : std::vector<unsigned short>{}) && ok;
    }
    // The bump stream: the upper 3 x 3 of each transposed matrix, row after
    // row (the matrix's columns 0, 1 and 2).
    std::vector<float> bumpStream;
    if (hasBumpMatrices && bumpMatrices.size() == numVertices) {
        bumpStream.reserve(size_t(numVertices) * 9);
        for (const JTMatrix& m : bumpMatrices)
            for (int column = 0; column < 3; ++column)
                for (int row = 0; row < 3; ++row)
                    bumpStream.push_back(m.m[row][column]);
    }
    ok = makeVertices(vmBump, bumpStream.data(), uint32_t(bumpStream.size() * sizeof(float))) && ok;
    vmStale = !ok;
    return ok;
}

uint32_t JTVectorToARGB(const JTVec3& v, float alpha) {
    uint32_t r = uint32_t(int(v.x * 127.0f + 128.0f)) & 0xFF;
    uint32_t g = uint32_t(int(v.y * 127.0f + 128.0f)) & 0xFF;
    uint32_t b = uint32_t(int(v.z * 127.0f + 128.0f)) & 0xFF;
    uint32_t a = uint32_t(int(255.0f * alpha)) & 0xFF;
    return a << 24 | r << 16 | g << 8 | b;
}

uint16_t JTVectorToRGB565(const JTVec3& v) {
    uint32_t r = uint32_t(int(v.x * 127.0f + 128.0f)) & 0xFF;
    uint32_t g = uint32_t(int(v.y * 127.0f + 128.0f)) & 0xFF;
    uint32_t b = uint32_t(int(v.z * 127.0f + 128.0f)) & 0xFF;
    return uint16_t((r & 0xF8) << 8 | (g & 0xFC) << 3 | b >> 3);
}
