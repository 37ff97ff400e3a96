// The benchmark's shared sphere and how a node draws it.
#include "bench_geo_parts.h"

#include <cstring>

#include "Jentra/render/sphere_mesh.h"

bool BenchGeoParts::Prepare(JTDisplay& display) {
    std::vector<Vert1> v;
    std::vector<uint16_t> i;
    JTBuildSphere(1.0f, 16, 16, v, i);
    auto* device = display.GetDevice();
    vertices =
        device->CreateVertexBuffer(uint32_t(v.size() * sizeof(Vert1)), D3DUSAGE_WRITEONLY,
                                   D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, D3DPOOL_DEFAULT);
    indices = device->CreateIndexBuffer(uint32_t(i.size() * 2), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                        D3DPOOL_DEFAULT);
    uint8_t* bytes = nullptr;
    if (!vertices || !indices || vertices->Lock(0, 0, &bytes, 0) != D3D_OK) return false;
    std::memcpy(bytes, v.data(), v.size() * sizeof(Vert1));
    vertices->Unlock();
    if (indices->Lock(0, 0, &bytes, 0) != D3D_OK) return false;
    std::memcpy(bytes, i.data(), i.size() * 2);
    indices->Unlock();
    vertexCount = int(v.size());
    faceCount = int(i.size() / 3);
    return true;
}

void BenchGeoParts::Release() {
    vertices.reset();
    indices.reset();
}

void BenchGeoParts::EffectRender(JTEffect*, JTDrawQueue* queue, JTGeoNode* node) {
    auto* display = static_cast<JTDisplay*>(queue);
    D3DMATERIAL8 material{};
    if (node->GetMesh()) material.Diffuse = reinterpret_cast<BenchMesh*>(node->GetMesh())->color;
    material.Ambient = {0.2f, 0.2f, 0.2f, 1.0f};
    display->SetMaterial(material);
    node->DrawPrimitives(display);
}

void BenchGeoParts::MeshDrawPrimitives(JTMesh*, JTDrawQueue* queue, bool, JTGeoNode* node) {
    auto* display = static_cast<JTDisplay*>(queue);
    auto* device = display->GetDevice();
    D3DMATRIX world;
    const JTMatrix& m = node->GetRenderMatrix();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            world.m[r][c] = m.m[r][c];
    device->SetTransform(D3DTS_WORLD, world);
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    device->SetStreamSource(0, vertices.get(), sizeof(Vert1));
    device->SetIndices(indices.get(), 0);
    display->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, unsigned(vertexCount), 0,
                                  unsigned(faceCount));
}
