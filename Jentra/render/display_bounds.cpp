// The developer overlay of bounding spheres: a faint additive sphere around
// every entity of the scene that has a bound.
#include "Jentra/JTDisplay.h"

#include <cmath>

#include "Jentra/JTEntity.h"
#include "Jentra/JTScene.h"

namespace {

constexpr int kSlices = 16;
constexpr int kStacks = 16;
constexpr float kPi = 3.14159265358979f;

// A unit sphere about the z axis, its faces turned outwards (clockwise seen
// from outside, as front faces are).
void BuildSphere(std::vector<Vert1>& vertices, std::vector<uint16_t>& indices) {
    vertices.clear();
    indices.clear();
    auto add = [&](float x, float y, float z) {
        vertices.push_back(Vert1{x, y, z, x, y, z, 0.0f, 0.0f});
    };
    add(0, 0, 1);
    for (int stack = 1; stack < kStacks; ++stack) {
        const float phi = kPi * float(stack) / float(kStacks);
        for (int slice = 0; slice < kSlices; ++slice) {
            const float theta = 2.0f * kPi * float(slice) / float(kSlices);
            add(std::sin(phi) * std::cos(theta), std::sin(phi) * std::sin(theta), std::cos(phi));
        }
    }
    add(0, 0, -1);
    const uint16_t bottom = uint16_t(vertices.size() - 1);
    auto ring = [](int stack, int slice) {
        return uint16_t(1 + (stack - 1) * kSlices + (slice % kSlices));
    };
    auto face = [&](uint16_t a, uint16_t b, uint16_t c) {
        const Vert1 &p = vertices[a], &q = vertices[b], &r = vertices[c];
        const JTVec3 n = JTVec3Cross(JTVec3(q.x - p.x, q.y - p.y, q.z - p.z),
                                     JTVec3(r.x - p.x, r.y - p.y, r.z - p.z));
        const JTVec3 centre(p.x + q.x + r.x, p.y + q.y + r.y, p.z + q.z + r.z);
        if (JTVec3Dot(n, centre) < 0.0f) std::swap(b, c);
        indices.insert(indices.end(), {a, b, c});
    };
    for (int slice = 0; slice < kSlices; ++slice) {
        face(0, ring(1, slice), ring(1, slice + 1));
        face(bottom, ring(kStacks - 1, slice + 1), ring(kStacks - 1, slice));
        for (int stack = 1; stack < kStacks - 1; ++stack) {
            face(ring(stack, slice), ring(stack + 1, slice), ring(stack + 1, slice + 1));
            face(ring(stack, slice), ring(stack + 1, slice + 1), ring(stack, slice + 1));
        }
    }
}

} // namespace

void JTDisplay::DrawBounds(JTScene* scene) {
    if (!scene || !device) return;
    if (sphereVertices.empty()) BuildSphere(sphereVertices, sphereIndices);
    SetDefaultStates();
    SetAdditiveBlend();
    SetCullMode(D3DCULL_CCW);
    SetZWriteEnable(false);
    D3DMATERIAL8 material = defaultMaterial;
    material.Diffuse.a = 0.1f;
    SetMaterial(material);
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    const JTMatrix upright = JTMatrixRotationX(kPi / 2.0f);
    for (int i = 0; i < scene->GetNumChildren(); ++i) {
        JTEntity* entity = scene->GetChild(i);
        const float radius = entity ? entity->GetBound() : 0.0f;
        if (!(radius > 0.0f)) continue;
        const JTVec3& p = entity->GetPos();
        SetTransform(D3DTS_WORLD, upright * JTMatrixScaling(radius, radius, radius) *
                                      JTMatrixTranslation(p.x, p.y, p.z));
        device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, uint32_t(sphereVertices.size()),
                                       uint32_t(sphereIndices.size() / 3), sphereIndices.data(),
                                       D3DFMT_INDEX16, sphereVertices.data(), sizeof(Vert1));
    }
    RenderState(D3DRS_FILLMODE, wireframe && !edgedFaces ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
}
