// JTTransNode: local transform, owned sequencer, world matrix, the matrix
// stack during render preparation, and the transform node record.
#include "Jentra/JTTransNode.h"

#include <cstring>
#include <strings.h>

#include "Jentra/JTFile.h"
#include "Jentra/JTSequencer.h"
#include "Jentra/core/scene/draw_queue.h"
#include "Jentra/core/scene/load_owned.h"

JT_CLASS_IMPL(JTTransNode)

JTTransNode::JTTransNode() = default;

JTTransNode::~JTTransNode() {
    delete sequencer;
}

void JTTransNode::InitClone(JTUnknown* source) {
    JTNode::InitClone(source);
    if (sequencer) sequencer = static_cast<JTSequencer*>(sequencer->Clone());
}

void JTTransNode::ResetMatrix() {
    if (base && base->IsDerived(JTTransNode::nType)) local = static_cast<JTTransNode*>(base)->local;
}

void JTTransNode::SetSequencer(JTSequencer* s) {
    if (s == sequencer) return;
    delete sequencer;
    sequencer = s;
}

JTMatrix JTTransNode::GetConcatMatrix() const {
    JTMatrix m = local;
    for (JTNode* p = GetParent(); p; p = p->GetParent())
        if (p->IsDerived(JTTransNode::nType)) m = m * static_cast<JTTransNode*>(p)->local;
    return m;
}

float JTTransNode::RecomputeBound(JTMatrix m) {
    return JTNode::RecomputeBound(local * m);
}

void JTTransNode::RenderPreProcess(JTDrawQueue* display, JTSequencer* given, float parentOpacity) {
    // The channels below sample the clocks of this node's own sequencer, as
    // in the update pass; otherwise visibility keys would never be seen.
    JTSequencer* seq = sequencer ? sequencer : given;
    UpdateChannels(seq, true);
    float o = opacity * parentOpacity;
    if (o <= 0.0f) return;
    display->PushMatrix(local * display->GetMatrix());
    for (int i = 0; i < children.GetCount(); i++)
        children[i]->RenderPreProcess(display, seq, o);
    if (!display->MatrixStackEmpty()) display->PopMatrix();
}

void JTTransNode::Update(JTSequencer* given) {
    JTSequencer* use = given;
    if (sequencer) {
        if (JTSequence* idle = sequencer->GetSequence("idle")) {
            idle->SetActive(true);
            idle->SetPlaying(true);
            idle->SetLooping(true);
        }
        sequencer->Update();
        use = sequencer;
    }
    if (name) {
        if (std::strncmp(name, "GrassBlade", 10) == 0)
            Sway(false);
        else if (std::strncmp(name, "leaf", 4) == 0)
            Sway(true);
        else if (strcasecmp(name, "anglefade") == 0)
            AngleFade();
    }
    JTNode::Update(use);
}

bool JTTransNode::SaveLoad(JTFile& f) {
    if (!JTNode::SaveLoad(f)) return false;
    uint16_t version = 2;
    if (!SaveLoadField(f, version)) return false;
    if (!SaveLoadMatrix(f, local)) return false;
    if (version < 2) return true;
    uint32_t present = sequencer ? 1 : 0;
    if (!SaveLoadField(f, present)) return false;
    if (!present) return true;
    if (f.Saving()) return sequencer->SaveLoad(f);
    JTSequencer* loaded = LoadOwned<JTSequencer>(f);
    if (!loaded) return false;
    SetSequencer(loaded);
    return true;
}
