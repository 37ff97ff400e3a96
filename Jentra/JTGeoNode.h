// JTGeoNode: the drawable leaf of the scene graph. It holds a mesh and the
// effect that draws it, takes the display's current matrix and the opacity
// accumulated down the tree while a frame is prepared, and queues itself
// for drawing. It also carries two vertex animations, a sink and a squash.
#pragma once

#include <cstdint>

#include "Jentra/JTNode.h"

class JTMesh;
class JTEffect;

// The engine's 32-byte vertex: position, normal, one texture pair.
struct Vert1 {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};

class JTGeoNode : public JTNode {
    JT_CLASS(JTGeoNode, JTNode)
public:
    JTGeoNode();
    ~JTGeoNode() override;
    JTGeoNode(const JTGeoNode&) = default;
    JTGeoNode& operator=(const JTGeoNode&) = default;

    void InitClone(JTUnknown* source) override;
    bool SaveLoad(JTFile& f) override;
    float RecomputeBound(JTMatrix m) override;
    void CountVertPoly(int& vertices, int& polygons) override;
    void RenderPreProcess(JTDrawQueue* display, JTSequencer* sequencer, float opacity) override;
    void Render(JTDrawQueue* display) override;
    float GetRenderDist() override { return renderDist; }

    virtual void DrawPrimitives(JTDrawQueue* display);
    // Bends a copy of the mesh's vertices while the sink or squash runs.
    virtual void AnimateVerts(Vert1* vertices, int count);
    virtual bool GetTransparent();

    // Takes ownership of the mesh; an owned previous mesh is deleted. The
    // mesh the node already holds is left as it is.
    void SetMesh(JTMesh* mesh);
    // Stores the effect and whether the node owns it; an owned previous
    // effect is deleted.
    // Stores the effect and whether the node owns (and so deletes) it. The
    // previous effect is not deleted, even when the node owned it: a caller
    // replacing it frees it first.
    void SetEffect(JTEffect* effect, bool owned);
    JTMesh* GetMesh() const { return mesh; }
    JTEffect* GetEffect() const { return effect; }
    bool OwnsMesh() const { return ownsMesh != 0; }
    bool OwnsEffect() const { return ownsEffect != 0; }
    const JTMatrix& GetRenderMatrix() const { return renderMatrix; }
    void SetRenderMatrix(const JTMatrix& m) { renderMatrix = m; }
    float GetRenderOpacity() const { return renderOpacity; }

    // Sink and squash: the user sets a flag together with the start time.
    void SetSink(bool on) { sink = on ? 1 : 0; }
    bool GetSink() const { return sink != 0; }
    void SetSquash(bool on) { squash = on ? 1 : 0; }
    bool GetSquash() const { return squash != 0; }
    void SetAnimStart(uint32_t time) { animStart = time; }
    uint32_t GetAnimStart() const { return animStart; }
    // A flat text's quads cover only the ink of its letters; a ray is tested
    // against the rectangle round them, so a click between letters or above
    // a small one still lands on the text.
    void SetPickedByBox(bool on) { pickedByBox = on ? 1 : 0; }
    bool GetPickedByBox() const { return pickedByBox != 0; }

private:
    unsigned char sink = 0;
    unsigned char pickedByBox = 0;
    unsigned char squash = 0;
    uint32_t animStart = 0;
    JTMesh* mesh = nullptr;
    JTEffect* effect = nullptr;
    unsigned char ownsMesh = 0;
    unsigned char ownsEffect = 0;
    JTMatrix renderMatrix;
    float renderDist = 0.0f;
    float renderOpacity = 1.0f;
};
