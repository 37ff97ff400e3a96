// JTTransNode: a node with a local transform and an optional sequencer that
// drives the channels below it, plus the procedural sway and view-angle
// fade selected by node name.
#pragma once

#include "Jentra/JTNode.h"

class JTTransNode : public JTNode {
    JT_CLASS(JTTransNode, JTNode)
public:
    JTTransNode();
    ~JTTransNode() override;
    JTTransNode(const JTTransNode&) = default;
    JTTransNode& operator=(const JTTransNode&) = default;

    void InitClone(JTUnknown* source) override;
    bool SaveLoad(JTFile& f) override;
    float RecomputeBound(JTMatrix m) override;
    void Update(JTSequencer* sequencer) override;
    void RenderPreProcess(JTDrawQueue* display, JTSequencer* sequencer, float opacity) override;

    JTMatrix& GetMatrix() { return local; }
    const JTMatrix& GetMatrix() const { return local; }
    void SetMatrix(const JTMatrix& m) { local = m; }
    // Puts the base node's local matrix (the rest pose) back.
    void ResetMatrix();
    JTSequencer* GetSequencer() const { return sequencer; }
    // Takes ownership; the previous sequencer is deleted.
    void SetSequencer(JTSequencer* s);
    // Local matrix times the local matrices of the transform ancestors.
    JTMatrix GetConcatMatrix() const;

private:
    void Sway(bool leaf);
    void AngleFade();

    JTMatrix local;
    JTSequencer* sequencer = nullptr;
    float swayOffset = 0.0f;
    float swayPhase = 0.0f;
};
