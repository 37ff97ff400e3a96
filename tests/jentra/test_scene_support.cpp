// The sample model shared by the node, file and animation tests.
#include "tests/jentra/test_scene_support.h"

#include "Jentra/JTChannel.h"
#include "Jentra/JTLight.h"
#include "Jentra/JTSequencer.h"
#include "Jentra/JTTransNode.h"

JT_CLASS_IMPL(TestMesh)

namespace {
void* Key(const JTMatrix& m) {
    void* p = std::malloc(sizeof m.m);
    std::memcpy(p, &m.m[0][0], sizeof m.m);
    return p;
}
void* Key(float v) {
    void* p = std::malloc(sizeof v);
    std::memcpy(p, &v, sizeof v);
    return p;
}
} // namespace

JTTransNode* BuildSampleTree() {
    auto* root = new JTTransNode;
    root->SetName("sample");
    auto* sequencer = new JTSequencer;
    sequencer->AddSequence("idle", 2.0f, 0.0f);
    sequencer->AddSequence("wave", 1.0f, 2.0f);
    root->SetSequencer(sequencer);

    auto* arm = new JTTransNode;
    arm->SetName("arm");
    auto* frames = new JTFrameChannel;
    frames->SetNumSequences(2);
    frames->AddKey(0, 0.0f, Key(JTMatrixTranslation(0, 0, 0)));
    frames->AddKey(0, 1.0f, Key(JTMatrixTranslation(0, 2, 0)));
    frames->AddKey(0, 2.0f, Key(JTMatrixTranslation(0, 0, 0)));
    frames->AddKey(1, 0.0f, Key(JTMatrixRotationZ(0.5f)));
    arm->AddChannel(frames);
    root->AddChild(arm);

    auto* hand = new JTGeoNode;
    hand->SetName("hand");
    auto* mesh = new TestMesh;
    mesh->AddFace(JTVec3(-1, -1, 0), JTVec3(-1, 1, 0), JTVec3(1, 1, 0));
    hand->SetMesh(AsJTMesh(mesh));
    auto* vis = new JTVisChannel;
    vis->SetNumSequences(2);
    vis->AddKey(0, 0.0f, Key(1.0f));
    vis->AddKey(0, 1.0f, Key(0.0f));
    hand->AddChannel(vis);
    arm->AddChild(hand);

    auto* lamp = new JTLight;
    lamp->SetName("lamp");
    lamp->SetPos(JTVec3(0, 10, 0));
    lamp->SetScale(2.0f);
    root->AddChild(lamp);

    auto* body = new JTGeoNode;
    body->SetName("body");
    body->SetOpacity(0.5f);
    root->AddChild(body);
    return root;
}
