// JTMesh's record in model files: bound, vertices, the list, the strip with
// its leftover faces, the bump matrices and the form in use. Every count is
// checked against the bytes really there and every index against the
// vertices before the mesh takes anything.
#include "Jentra/JTMesh.h"

#include "Jentra/JTFile.h"

namespace {

constexpr uint16_t kMeshVersion = 1;
constexpr unsigned kVertexFloats = 8;
constexpr unsigned kBumpRecordBytes = 64;

// Whether `count` items of `itemBytes` each can still be read; when the
// stream cannot tell, only the caller's own limit holds.
bool Fits(JTFile& f, uint64_t count, uint64_t itemBytes) {
    uint64_t rest = 0;
    if (!f.Remaining(&rest)) return true;
    return count * itemBytes <= rest;
}

bool SaveLoadVertex(JTFile& f, Vert1& v) {
    float* fields[kVertexFloats] = {&v.x, &v.y, &v.z, &v.nx, &v.ny, &v.nz, &v.u, &v.v};
    for (float* field : fields)
        if (!f.SaveLoadValue(*field)) return false;
    return true;
}

bool SaveLoadIndices(JTFile& f, std::vector<unsigned short>& indices) {
    for (unsigned short& i : indices)
        if (!f.SaveLoadValue(i)) return false;
    return true;
}

// A count followed by that many 16-bit indices.
bool LoadIndexBlock(JTFile& f, std::vector<unsigned short>& out) {
    uint32_t count = 0;
    if (!f.SaveLoadValue(count)) return false;
    // No mesh needs more than four billion indices, but a damaged count
    // must not allocate what the file cannot hold.
    if (!Fits(f, count, sizeof(unsigned short)) || count > (1u << 28)) return false;
    out.resize(count);
    return SaveLoadIndices(f, out);
}

} // namespace

bool JTMesh::SaveLoad(JTFile& f) {
    if (!JTUnknown::SaveLoad(f)) return false;
    uint16_t version = kMeshVersion;
    if (!f.SaveLoadValue(version)) return false;

    if (f.Saving()) {
        if (!f.SaveLoadValue(bound)) return false;
        uint32_t count = numVertices;
        if (!f.SaveLoadValue(count)) return false;
        for (Vert1& v : smVertices)
            if (!SaveLoadVertex(f, v)) return false;
        uint8_t flag = hasList ? 1 : 0;
        if (!f.SaveLoadValue(flag)) return false;
        if (hasList) {
            uint32_t n = numListIndices;
            if (!f.SaveLoadValue(n) || !SaveLoadIndices(f, smList)) return false;
        }
        flag = hasStrip ? 1 : 0;
        if (!f.SaveLoadValue(flag)) return false;
        if (hasStrip) {
            uint32_t n = numStripIndices;
            if (!f.SaveLoadValue(n) || !SaveLoadIndices(f, smStrip)) return false;
            n = numLeftoverIndices;
            if (!f.SaveLoadValue(n) || !SaveLoadIndices(f, smLeftovers)) return false;
        }
        flag = hasBumpMatrices ? 1 : 0;
        if (!f.SaveLoadValue(flag)) return false;
        if (hasBumpMatrices) {
            for (JTMatrix& m : bumpMatrices)
                for (int r = 0; r < 4; ++r)
                    for (int c = 0; c < 4; ++c)
                        if (!f.SaveLoadValue(m.m[r][c])) return false;
        }
        flag = useStrip ? 1 : 0;
        return f.SaveLoadValue(flag);
    }

    // Loading: everything is read and checked first, then handed over, so a
    // refused record leaves the mesh as it was.
    float storedBound = 0.0f;
    uint32_t vertexCount = 0;
    if (!f.SaveLoadValue(storedBound) || !f.SaveLoadValue(vertexCount)) return false;
    if (vertexCount > kMaxVertices || !Fits(f, vertexCount, sizeof(Vert1))) {
        f.Fail();
        return false;
    }
    std::vector<Vert1> vertices(vertexCount);
    for (Vert1& v : vertices)
        if (!SaveLoadVertex(f, v)) return false;

    uint8_t listFlag = 0, stripFlag = 0, bumpFlag = 0, useFlag = 0;
    std::vector<unsigned short> list, strip, leftovers;
    if (!f.SaveLoadValue(listFlag)) return false;
    if (listFlag && !LoadIndexBlock(f, list)) {
        f.Fail();
        return false;
    }
    if (!f.SaveLoadValue(stripFlag)) return false;
    if (stripFlag && (!LoadIndexBlock(f, strip) || !LoadIndexBlock(f, leftovers))) {
        f.Fail();
        return false;
    }
    if (!f.SaveLoadValue(bumpFlag)) return false;
    std::vector<JTMatrix> bumps;
    if (bumpFlag) {
        if (!Fits(f, vertexCount, kBumpRecordBytes)) {
            f.Fail();
            return false;
        }
        bumps.resize(vertexCount);
        for (JTMatrix& m : bumps)
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c)
                    if (!f.SaveLoadValue(m.m[r][c])) return false;
    }
    if (!f.SaveLoadValue(useFlag)) return false;

    JTMesh loaded;
    loaded.bound = storedBound;
    loaded.numVertices = vertexCount;
    loaded.smVertices = std::move(vertices);
    loaded.hasList = listFlag != 0;
    loaded.numListIndices = unsigned(list.size());
    loaded.smList = std::move(list);
    loaded.hasStrip = stripFlag != 0;
    loaded.numStripIndices = unsigned(strip.size());
    loaded.smStrip = std::move(strip);
    loaded.numLeftoverIndices = unsigned(leftovers.size());
    loaded.smLeftovers = std::move(leftovers);
    loaded.hasBumpMatrices = bumpFlag != 0;
    loaded.bumpMatrices = std::move(bumps);
    loaded.useStrip = useFlag != 0;
    // A strip shorter than one face, an index past the vertices or a form
    // in use that does not exist would be read out of bounds later.
    if (!loaded.IndicesValid() || (loaded.useStrip && !loaded.hasStrip)) {
        f.Fail();
        return false;
    }
    bool keepDynamic = dynamic;
    *this = loaded;
    dynamic = keepDynamic;
    return true;
}
