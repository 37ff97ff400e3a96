// JTMesh: the engine's indexed triangle mesh. One array of Vert1 vertices,
// an index list and/or a triangle strip (with the faces the strip left over
// as a second list), and optional per-vertex bump (tangent-space) matrices.
//
// The CPU copies (the "system-memory" buffers) are the mesh's data: face
// queries, saving and dynamic drawing read them. The device buffers (the
// "video-memory" copies) are made from them on the display's device and
// drawn from; they are rebuilt whenever the CPU data changed or the mesh
// was copied, so every mesh owns its own buffers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMath.h"
#include "Jentra/JTUnknown.h"
#include "platform/render/resources.h"

class JTDisplay;
class JTFile;

static_assert(sizeof(Vert1) == 32, "Vert1 is the engine's 32-byte vertex");

class JTMesh : public JTUnknown {
    JT_CLASS(JTMesh, JTUnknown)
public:
    // Limits of a mesh: 16-bit indices address at most this many vertices.
    static constexpr unsigned kMaxVertices = 65536;
    // Floats a vertex carries in the bump-matrix stream (the upper 3 x 3).
    static constexpr unsigned kBumpStride = 36;

    JTMesh();
    ~JTMesh() override;
    // Copies take the data and make buffers of their own on first draw.
    JTMesh(const JTMesh& other);
    JTMesh& operator=(const JTMesh& other);

    bool SaveLoad(JTFile& f) override;

    bool HasList() const { return hasList; }
    bool HasStrip() const { return hasStrip; }
    bool GetUseStrip() const { return useStrip; }
    bool HasBumpMatrices() const { return hasBumpMatrices; }
    bool GetDynamic() const { return dynamic; }
    float GetBound() const { return bound; }
    unsigned GetNumVertices() const { return numVertices; }
    unsigned GetNumListIndices() const { return numListIndices; }
    unsigned GetNumStripIndices() const { return numStripIndices; }
    unsigned GetNumLeftoverIndices() const { return numLeftoverIndices; }
    // The locked CPU copies; valid between LockSMBuffers and UnlockSMBuffers.
    Vert1* GetSMVerts() const { return lockedVertices; }
    unsigned short* GetSMInds() const { return lockedList; }
    // One matrix a vertex, or null when there are none.
    const JTMatrix* GetBumpMatrices() const {
        return hasBumpMatrices && !bumpMatrices.empty() ? bumpMatrices.data() : nullptr;
    }
    // The device buffers; null until made (the first draw makes them) and
    // for a dynamic mesh, which has none.
    platform::render::VertexBuffer* GetVMVertices() const { return vmVertices.get(); }
    platform::render::IndexBuffer* GetVMStripIndices() const { return vmStrip.get(); }
    platform::render::VertexBuffer* GetVMBumpMatrices() const { return vmBump.get(); }
    // Must be set before the buffers are built.
    void SetDynamic(bool on) { dynamic = on; }

    // true needs a strip, false a list; otherwise false and nothing changes.
    bool SetUseStrip(bool on);
    unsigned GetNumIndices() const;
    unsigned GetNumFaces() const;

    // Points the Get*SM* accessors at the CPU copies of the current form.
    // Writes through them reach the device buffers at the next draw unless
    // the lock was read-only.
    void LockSMBuffers(bool readOnly);
    void UnlockSMBuffers();
    // Pointers to a face's three indices in the locked buffers; false for a
    // degenerate face or one that does not exist.
    bool GetFaceIndices(unsigned face, unsigned short** i0, unsigned short** i1,
                        unsigned short** i2) const;
    bool GetFaceVertices(unsigned face, Vert1** v0, Vert1** v1, Vert1** v2) const;
    // A vertex by number, read without a lock; false past the last.
    bool GetVertex(unsigned index, Vert1& out) const;

    void DeleteList();
    void DeleteStrip();
    float RecomputeBound();

    // Takes vertices and a triangle list. An index at or beyond the vertex
    // count or more than kMaxVertices vertices is refused (false, the mesh
    // unchanged).
    bool CreateBuffersFromData(JTDisplay* display, const Vert1* vertices, unsigned numVerts,
                               const unsigned short* indices, unsigned numIndices, bool dynamic,
                               bool bump);
    // Builds a strip (and the leftover faces) from the list; see mesh_strip.cpp.
    bool CreateStrip(JTDisplay* display);
    void GenerateBumpMatrices(JTDisplay* display);
    // Draws the current form; forceDynamic copies through the display's
    // dynamic buffers (and lets the node bend the copy).
    void DrawPrimitives(JTDisplay* display, bool forceDynamic, JTGeoNode* node);

    // Makes the device buffers that are missing or stale on this device;
    // false when the device could not make them.
    bool PrepareDeviceBuffers(platform::render::Device* device);

protected:
    bool CreateVertexBuffersFromData(JTDisplay* display, const Vert1* vertices, unsigned count);
    bool CreateIndexBuffersFromData(JTDisplay* display, const unsigned short* indices,
                                    unsigned count);
    bool CreateStripBuffersFromData(JTDisplay* display, const unsigned short* strip,
                                    unsigned stripCount, const unsigned short* leftovers,
                                    unsigned leftoverCount);
    void CreateBumpMatricesBuffer(JTDisplay* display);

    // The mesh's own greedy single-strip builder with two-level lookahead
    // (CreateStrip uses the cache-sized strips of stripify.h instead). The
    // strip comes back in `strip`; vertices are renumbered in first-use
    // order along it (unused ones after, in their old order), `indices`
    // remapped in place and `vertices` rearranged to match. False when an
    // index is past the vertices.
    static bool Stripify(unsigned short* indices, unsigned numIndices, Vert1* vertices,
                         unsigned numVerts, std::vector<unsigned short>& strip);

private:
    void ReleaseDeviceBuffers();
    // Whether the CPU arrays form a consistent mesh (counts, index range,
    // strip length); what loading insists on.
    bool IndicesValid() const;

    bool hasList = false;
    bool hasStrip = false;
    bool useStrip = false;
    bool hasBumpMatrices = false;
    bool dynamic = false;
    float bound = 0.0f;
    unsigned numVertices = 0;
    unsigned numListIndices = 0;
    unsigned numStripIndices = 0;
    unsigned numLeftoverIndices = 0;

    std::vector<Vert1> smVertices;
    std::vector<unsigned short> smList;
    std::vector<unsigned short> smStrip;
    std::vector<unsigned short> smLeftovers;
    std::vector<JTMatrix> bumpMatrices;

    Vert1* lockedVertices = nullptr;
    unsigned short* lockedList = nullptr;
    unsigned short* lockedStrip = nullptr;
    unsigned short* lockedLeftovers = nullptr;
    bool lockedForWriting = false;

    // Device copies and the device they live on.
    platform::render::Device* vmDevice = nullptr;
    bool vmStale = true;
    std::unique_ptr<platform::render::VertexBuffer> vmVertices;
    std::unique_ptr<platform::render::IndexBuffer> vmList;
    std::unique_ptr<platform::render::IndexBuffer> vmStrip;
    std::unique_ptr<platform::render::IndexBuffer> vmLeftovers;
    std::unique_ptr<platform::render::VertexBuffer> vmBump;
};

// Unit vectors as packed colours: each component c becomes
// trunc(c x 127 + 128); alpha trunc(255 x a).
uint32_t JTVectorToARGB(const JTVec3& v, float alpha);
uint16_t JTVectorToRGB565(const JTVec3& v);
