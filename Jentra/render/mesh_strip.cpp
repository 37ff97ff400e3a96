// JTMesh::CreateStrip: the list becomes strips (and leftover faces) sized
// for the vertex cache, vertices are renumbered in the order the strips
// first use them, and the strips are joined into one strip index sequence.
#include "Jentra/JTMesh.h"

#include <algorithm>

#include "Jentra/render/greedy_strip.h"
#include "Jentra/render/stripify.h"

namespace {

// The vertex cache the strips are cut for, and the shortest strip kept.
constexpr int kStripCacheSize = 16;
constexpr int kMinStripLength = 0;

} // namespace

bool JTMesh::CreateStrip(JTDisplay* display) {
    using jentra::strips::StripFace;
    if (!hasList || hasStrip || numListIndices < 3) return false;

    jentra::strips::StripifyResult result;
    jentra::strips::Stripify(smList.data(), int(numListIndices), kStripCacheSize, kMinStripLength,
                             result);
    bool anyStrip = false;
    for (const auto& strip : result.strips)
        anyStrip = anyStrip || !strip.empty();
    if (!anyStrip) return false; // nothing changes

    // New numbers in first-use order along the strips, then the leftovers.
    // Vertices no face uses (those of dropped duplicate or degenerate
    // triangles, or never indexed) follow in their old order, so every slot
    // holds a real vertex and every list index still has a number.
    std::vector<int> remap(numVertices, -1);
    std::vector<unsigned> order; // old number of each new slot
    order.reserve(numVertices);
    auto number = [&](int& v) {
        if (remap[size_t(v)] < 0) {
            remap[size_t(v)] = int(order.size());
            order.push_back(unsigned(v));
        }
        v = remap[size_t(v)];
    };
    for (auto& strip : result.strips)
        for (StripFace& face : strip) {
            number(face.a);
            number(face.b);
            number(face.c);
        }
    for (StripFace& face : result.leftovers) {
        number(face.a);
        number(face.b);
        number(face.c);
    }
    for (unsigned v = 0; v < numVertices; ++v)
        if (remap[v] < 0) {
            remap[v] = int(order.size());
            order.push_back(v);
        }

    std::vector<Vert1> vertices(numVertices);
    for (unsigned slot = 0; slot < numVertices; ++slot)
        vertices[slot] = smVertices[order[slot]];
    smVertices = std::move(vertices);
    for (unsigned short& index : smList)
        index = uint16_t(remap[index]);
    // Bump matrices belong to their vertices and move with them.
    if (hasBumpMatrices && bumpMatrices.size() == numVertices) {
        std::vector<JTMatrix> moved(numVertices);
        for (unsigned slot = 0; slot < numVertices; ++slot)
            moved[slot] = bumpMatrices[order[slot]];
        bumpMatrices = std::move(moved);
    }

    std::vector<uint16_t> strip = jentra::strips::JoinStrips(result.strips);
    std::vector<unsigned short> leftovers;
    leftovers.reserve(result.leftovers.size() * 3);
    for (const StripFace& face : result.leftovers) {
        leftovers.push_back(uint16_t(face.a));
        leftovers.push_back(uint16_t(face.b));
        leftovers.push_back(uint16_t(face.c));
    }
    useStrip = false;
    vmStale = true;
    if (strip.size() < 3) return false;
    CreateStripBuffersFromData(display, strip.data(), unsigned(strip.size()), leftovers.data(),
                               unsigned(leftovers.size()));
    useStrip = true;
    return true;
}

bool JTMesh::Stripify(unsigned short* indices, unsigned numIndices, Vert1* vertices,
                      unsigned numVerts, std::vector<unsigned short>& strip) {
    strip.clear();
    for (unsigned i = 0; i < numIndices; ++i)
        if (indices[i] >= numVerts) return false;
    strip = jentra::strips::GreedyStrip(indices, int(numIndices));
    std::vector<int> remap(numVerts, -1);
    std::vector<unsigned> order;
    order.reserve(numVerts);
    auto number = [&](unsigned v) {
        if (remap[v] < 0) {
            remap[v] = int(order.size());
            order.push_back(v);
        }
    };
    for (unsigned short v : strip)
        number(v);
    for (unsigned v = 0; v < numVerts; ++v)
        number(v);
    std::vector<Vert1> moved(numVerts);
    for (unsigned slot = 0; slot < numVerts; ++slot)
        moved[slot] = vertices[order[slot]];
    std::copy(moved.begin(), moved.end(), vertices);
    for (unsigned short& v : strip)
        v = uint16_t(remap[v]);
    for (unsigned i = 0; i < numIndices; ++i)
        indices[i] = uint16_t(remap[indices[i]]);
    return true;
}
