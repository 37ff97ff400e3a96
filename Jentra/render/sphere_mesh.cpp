// Building a sphere of engine vertices (the bounding-sphere overlay, and
// test and benchmark scenes).
#include "Jentra/render/sphere_mesh.h"

#include <algorithm>
#include <cmath>

void JTBuildSphere(float radius, int slices, int stacks, std::vector<Vert1>& vertices,
                   std::vector<uint16_t>& indices) {
    vertices.clear();
    indices.clear();
    slices = std::max(slices, 3);
    stacks = std::max(stacks, 2);
    if (2 + int64_t(stacks - 1) * slices > 65536) return;
    const float pi = 3.14159265358979f;
    auto add = [&](float x, float y, float z, float u, float v) {
        vertices.push_back(Vert1{radius * x, radius * y, radius * z, x, y, z, u, v});
    };
    add(0, 0, 1, 0.5f, 0.0f);
    for (int stack = 1; stack < stacks; ++stack) {
        const float phi = pi * float(stack) / float(stacks);
        for (int slice = 0; slice < slices; ++slice) {
            const float theta = 2.0f * pi * float(slice) / float(slices);
            add(std::sin(phi) * std::cos(theta), std::sin(phi) * std::sin(theta), std::cos(phi),
                float(slice) / float(slices), float(stack) / float(stacks));
        }
    }
    add(0, 0, -1, 0.5f, 1.0f);
    const auto bottom = uint16_t(vertices.size() - 1);
    auto ring = [slices](int stack, int slice) {
        return uint16_t(1 + (stack - 1) * slices + (slice % slices));
    };
    // Each face is turned so that its normal (by the engine's left-handed
    // cross product) points away from the centre.
    auto face = [&](uint16_t a, uint16_t b, uint16_t c) {
        const Vert1 &p = vertices[a], &q = vertices[b], &r = vertices[c];
        const JTVec3 n = JTVec3Cross(JTVec3(q.x - p.x, q.y - p.y, q.z - p.z),
                                     JTVec3(r.x - p.x, r.y - p.y, r.z - p.z));
        const JTVec3 centre(p.x + q.x + r.x, p.y + q.y + r.y, p.z + q.z + r.z);
        if (JTVec3Dot(n, centre) < 0.0f) std::swap(b, c);
        indices.insert(indices.end(), {a, b, c});
    };
    for (int slice = 0; slice < slices; ++slice) {
        face(0, ring(1, slice), ring(1, slice + 1));
        face(bottom, ring(stacks - 1, slice + 1), ring(stacks - 1, slice));
        for (int stack = 1; stack < stacks - 1; ++stack) {
            face(ring(stack, slice), ring(stack + 1, slice), ring(stack + 1, slice + 1));
            face(ring(stack, slice), ring(stack + 1, slice + 1), ring(stack, slice + 1));
        }
    }
}
