// The benchmark's stand-in for meshes and effects: every geometry node
// draws one shared sphere through the display, lit by the scene's lights
// with its own colour.
#pragma once

#include <memory>
#include <vector>

#include "Jentra/JTDisplay.h"
#include "Jentra/core/scene/geo_parts.h"

// A node's mesh: which shared shape it shows. A plain object the geometry
// node can own and delete.
class BenchMesh : public JTUnknown {
public:
    D3DCOLORVALUE color{1, 1, 1, 1};
};

// The one effect every node shares (the nodes do not own it).
class BenchEffect : public JTUnknown {};

class BenchGeoParts : public JTGeoParts {
public:
    // The sphere's buffers on the display's device.
    bool Prepare(JTDisplay& display);
    void Release();

    // Benchmark meshes and effects are never saved or loaded by class.
    int MeshClassType() override { return -1; }
    int EffectClassType() override { return -1; }
    JTUnknown* MeshObject(JTMesh* mesh) override { return reinterpret_cast<BenchMesh*>(mesh); }
    JTMesh* AsMesh(JTUnknown*) override { return nullptr; }
    JTUnknown* EffectObject(JTEffect* effect) override {
        return reinterpret_cast<BenchEffect*>(effect);
    }
    JTEffect* AsEffect(JTUnknown*) override { return nullptr; }
    int MeshVertexCount(JTMesh*) override { return vertexCount; }
    int MeshFaceCount(JTMesh*) override { return faceCount; }
    float MeshBoundRadius(JTMesh*) override { return 1.0f; }
    bool MeshFace(JTMesh*, int, JTVec3[3]) override { return false; }
    bool MeshVertex(JTMesh*, int, JTVec3&) override { return false; }
    void MeshDrawPrimitives(JTMesh* mesh, JTDrawQueue* display, bool, JTGeoNode* node) override;
    void MeshCreateStrip(JTMesh*) override {}
    void MeshSetUseStrips(JTMesh*, bool) override {}
    bool EffectTransparent(JTEffect*) override { return false; }
    void EffectRender(JTEffect*, JTDrawQueue* display, JTGeoNode* node) override;

private:
    std::unique_ptr<platform::render::VertexBuffer> vertices;
    std::unique_ptr<platform::render::IndexBuffer> indices;
    int vertexCount = 0;
    int faceCount = 0;
};
