// Meshes for the renderer's tests: a flat grid, hand-written mesh records
// (good and damaged), and saving and loading through memory streams.
#pragma once

#include <cstdlib>
#include <cstring>
#include <vector>

#include "Jentra/JTFile.h"
#include "Jentra/JTMesh.h"
#include "Jentra/core/scene/load_owned.h"

namespace mesh_test {

struct GridData {
    std::vector<Vert1> vertices;
    std::vector<unsigned short> indices;
    unsigned VertexCount() const { return unsigned(vertices.size()); }
    unsigned IndexCount() const { return unsigned(indices.size()); }
};

// cells x cells quads in the xy plane from (-1, -1) to (1, 1), facing -z,
// u across and v down, wound clockwise as seen from -z.
inline GridData Grid(int cells) {
    GridData g;
    for (int y = 0; y <= cells; ++y)
        for (int x = 0; x <= cells; ++x) {
            float u = float(x) / float(cells), v = float(y) / float(cells);
            g.vertices.push_back({-1 + 2 * u, 1 - 2 * v, 0, 0, 0, -1, u, v});
        }
    auto at = [cells](int x, int y) { return (unsigned short)(y * (cells + 1) + x); };
    for (int y = 0; y < cells; ++y)
        for (int x = 0; x < cells; ++x) {
            g.indices.insert(g.indices.end(), {at(x, y), at(x + 1, y), at(x, y + 1)});
            g.indices.insert(g.indices.end(), {at(x, y + 1), at(x + 1, y), at(x + 1, y + 1)});
        }
    return g;
}

inline std::vector<unsigned char> TakeBytes(JTFile& f) {
    unsigned char* data = f.GetCurrentMemBuffer();
    return std::vector<unsigned char>(data, data + f.GetCurrentMemBufferUsed());
}

inline std::vector<unsigned char> SaveMesh(JTMesh& mesh) {
    JTFile f(nullptr, nullptr, 0, true);
    EXPECT_TRUE(mesh.SaveLoad(f));
    return TakeBytes(f);
}

// The mesh a record holds, or null when it is refused.
inline JTMesh* LoadMesh(const std::vector<unsigned char>& bytes) {
    auto* buffer = static_cast<unsigned char*>(std::malloc(bytes.size() ? bytes.size() : 1));
    if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
    JTFile f(nullptr, buffer, unsigned(bytes.size()), false);
    JTMesh* mesh = LoadOwned<JTMesh>(f);
    if (mesh && f.Failed()) {
        delete mesh;
        return nullptr;
    }
    return mesh;
}

// The start of a mesh record: object header, version, bound.
inline void WriteRecordHead(JTFile& f) {
    JTMesh header;
    header.JTUnknown::SaveLoad(f);
    uint16_t version = 1;
    float bound = 1.0f;
    f.SaveLoadValue(version);
    f.SaveLoadValue(bound);
}

inline void WriteIndices(JTFile& f, std::vector<unsigned short> indices) {
    uint32_t n = uint32_t(indices.size());
    f.SaveLoadValue(n);
    for (unsigned short& i : indices)
        f.SaveLoadValue(i);
}

// A record written field by field; an empty list or strip is left out.
inline std::vector<unsigned char> MeshRecord(std::vector<Vert1> vertices,
                                             std::vector<unsigned short> list,
                                             std::vector<unsigned short> strip,
                                             std::vector<unsigned short> leftovers, bool useStrip) {
    JTFile f(nullptr, nullptr, 0, true);
    WriteRecordHead(f);
    uint32_t count = uint32_t(vertices.size());
    f.SaveLoadValue(count);
    for (Vert1& v : vertices)
        for (float* p : {&v.x, &v.y, &v.z, &v.nx, &v.ny, &v.nz, &v.u, &v.v})
            f.SaveLoadValue(*p);
    uint8_t flag = list.empty() ? 0 : 1;
    f.SaveLoadValue(flag);
    if (flag) WriteIndices(f, list);
    flag = strip.empty() ? 0 : 1;
    f.SaveLoadValue(flag);
    if (flag) {
        WriteIndices(f, strip);
        WriteIndices(f, leftovers);
    }
    uint8_t none = 0, use = useStrip ? 1 : 0;
    f.SaveLoadValue(none);
    f.SaveLoadValue(use);
    return TakeBytes(f);
}

// A record that claims `count` vertices and holds two.
inline std::vector<unsigned char> VertexCountRecord(uint32_t count) {
    JTFile f(nullptr, nullptr, 0, true);
    WriteRecordHead(f);
    f.SaveLoadValue(count);
    float zero = 0.0f;
    for (int i = 0; i < 16; ++i)
        f.SaveLoadValue(zero);
    return TakeBytes(f);
}

} // namespace mesh_test
