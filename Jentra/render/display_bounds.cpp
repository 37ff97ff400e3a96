// The developer overlay of bounding spheres: a faint additive sphere around
// every entity of the scene that has a bound.
#include "Jentra/JTDisplay.h"

#include "Jentra/JTEntity.h"
#include "Jentra/JTScene.h"
#include "Jentra/render/sphere_mesh.h"

namespace {

constexpr float kPi = 3.14159265358979f;

} // namespace

void JTDisplay::DrawBounds(JTScene* scene) {
    if (!scene || !device) return;
    if (sphereVertices.empty()) JTBuildSphere(1.0f, 16, 16, sphereVertices, sphereIndices);
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
