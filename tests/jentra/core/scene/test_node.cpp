// Node trees: child handling, names, matrices, opacity in the passes,
// cloning, the sway and view-angle rules, and playing "idle".
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "Jentra/JTChannel.h"
#include "Jentra/JTLight.h"
#include "Jentra/JTRandom.h"
#include "Jentra/JTSequencer.h"
#include "Jentra/JTTransNode.h"
#include "Jentra/core/scene/scene_hooks.h"
#include "tests/jentra/test_scene_support.h"

namespace {

class NodeTest : public SceneTest {};

class CountingNode : public JTNode {
public:
    int updates = 0;
    void Update(JTSequencer* s) override {
        updates++;
        JTNode::Update(s);
    }
};

JTNode* Named(const char* name) {
    auto* n = new JTNode;
    n->SetName(name);
    return n;
}

TEST_F(NodeTest, FindChildLooksAtItselfFirstIgnoringCase) {
    JTNode root;
    root.SetName("X");
    JTNode* a = Named("x");
    JTNode* b = Named("deep");
    root.AddChild(a);
    a->AddChild(b);
    root.AddChild(new JTNode); // unnamed never matches
    EXPECT_EQ(root.FindChild("x"), &root);
    EXPECT_EQ(root.FindChild("DEEP"), nullptr);
    EXPECT_EQ(root.FindChildRecursive("DEEP"), b);
    EXPECT_EQ(b->GetParent(), a);
    EXPECT_EQ(root.FindChild(a), 0);
    EXPECT_EQ(root.GetChild(3), nullptr);
    EXPECT_EQ(root.GetChild(-1), nullptr);
}

TEST_F(NodeTest, RemovingANodeThatIsNotAChildDeletesNothing) {
    JTNode parent, other;
    JTNode* stranger = Named("stranger");
    other.AddChild(stranger);
    EXPECT_FALSE(parent.RemoveChild(stranger));
    EXPECT_EQ(other.GetChild(0), stranger); // still alive in its own parent
    EXPECT_STREQ(stranger->GetName(), "stranger");
    EXPECT_FALSE(parent.RemoveChild(5));

    JTNode* a = Named("a");
    JTNode* b = Named("b");
    parent.AddChild(a);
    parent.AddChild(b);
    parent.InsertChild(Named("first"), 0);
    EXPECT_STREQ(parent.GetChild(0)->GetName(), "first");
    EXPECT_TRUE(parent.SetChild(1, a)); // the node already there: nothing happens
    EXPECT_EQ(parent.GetChild(1), a);
    EXPECT_FALSE(parent.SetChild(1, nullptr)); // no hole in the list
    EXPECT_EQ(parent.GetChild(1), a);
    JTNode* spare = Named("spare");
    EXPECT_FALSE(parent.SetChild(7, spare));
    delete spare;
    a->RemoveFromParent();
    EXPECT_EQ(parent.GetNumChildren(), 2);
    EXPECT_EQ(parent.GetChild(1), b);
    parent.RemoveAllChildren();
    EXPECT_EQ(parent.GetNumChildren(), 0);
}

TEST_F(NodeTest, SetNameCutsAt127Characters) {
    JTNode node;
    std::string longName(200, 'n');
    node.SetName(longName.c_str());
    EXPECT_EQ(std::strlen(node.GetName()), 127u);
    node.SetName("short");
    EXPECT_STREQ(node.GetName(), "short");
}

TEST_F(NodeTest, ConcatMatrixMultipliesTransformAncestorsOnly) {
    JTTransNode root;
    root.SetMatrix(JTMatrixTranslation(1, 0, 0));
    auto* plain = new JTNode;
    root.AddChild(plain);
    auto* leaf = new JTTransNode;
    leaf->SetMatrix(JTMatrixScaling(2, 2, 2));
    plain->AddChild(leaf);
    JTVec3 p = JTVec3TransformCoord(JTVec3(1, 0, 0), leaf->GetConcatMatrix());
    EXPECT_FLOAT_EQ(p.x, 3.0f); // scaled first, then moved
}

TEST_F(NodeTest, OpacityFadesSubtreesInRenderButNotInUpdate) {
    JTTransNode root;
    auto* hidden = new JTNode;
    hidden->SetOpacity(0.0f);
    auto* counted = new CountingNode;
    hidden->AddChild(counted);
    auto* hiddenGeo = new JTGeoNode;
    hidden->AddChild(hiddenGeo);
    root.AddChild(hidden);

    auto* half = new JTNode;
    half->SetOpacity(0.5f);
    auto* geo = new JTGeoNode;
    geo->SetOpacity(0.5f);
    half->AddChild(geo);
    root.AddChild(half);

    RecordingDrawQueue queue;
    root.RenderPreProcess(&queue, nullptr, 1.0f);
    ASSERT_EQ(queue.queued.size(), 1u);
    EXPECT_EQ(queue.queued[0].first, geo);
    EXPECT_TRUE(queue.queued[0].second);
    EXPECT_FLOAT_EQ(geo->GetRenderOpacity(), 0.25f);
    EXPECT_EQ(queue.stack.size(), 1u); // pushed and popped

    root.Update(nullptr);
    EXPECT_EQ(counted->updates, 1);

    auto* mesh = new TestMesh;
    mesh->AddFace(JTVec3(0, 0, 0), JTVec3(0, 1, 0), JTVec3(1, 0, 0));
    hiddenGeo->SetMesh(AsJTMesh(mesh));
    int verts = 0, polys = 0;
    root.CountVertPoly(verts, polys);
    EXPECT_EQ(verts, 0);
    hidden->SetVisible(true);
    root.CountVertPoly(verts, polys);
    EXPECT_EQ(verts, 3);
    EXPECT_EQ(polys, 1);
}

TEST_F(NodeTest, CloneSharesNameChannelsAndMeshAndOwnsChildrenAndSequencer) {
    JTTransNode* model = BuildSampleTree();
    ASSERT_NE(model, nullptr);
    auto* clone = static_cast<JTTransNode*>(model->Clone());
    EXPECT_EQ(clone->GetBase(), model);
    EXPECT_EQ(clone->GetName(), model->GetName());
    EXPECT_EQ(clone->GetParent(), nullptr);
    ASSERT_NE(clone->GetSequencer(), nullptr);
    EXPECT_NE(clone->GetSequencer(), model->GetSequencer());

    JTNode* arm = clone->FindChild("arm");
    ASSERT_NE(arm, nullptr);
    EXPECT_NE(arm, model->FindChild("arm"));
    EXPECT_EQ(arm->GetParent(), clone);
    EXPECT_EQ(arm->GetChanData(), model->FindChild("arm")->GetChanData());
    auto* hand = static_cast<JTGeoNode*>(clone->FindChildRecursive("hand"));
    auto* modelHand = static_cast<JTGeoNode*>(model->FindChildRecursive("hand"));
    EXPECT_EQ(hand->GetMesh(), modelHand->GetMesh());
    EXPECT_FALSE(hand->OwnsMesh());
    // Handing a node the mesh it holds changes no ownership (the clone
    // taking the shared mesh would free it twice).
    hand->SetMesh(hand->GetMesh());
    EXPECT_FALSE(hand->OwnsMesh());
    modelHand->SetMesh(modelHand->GetMesh());
    EXPECT_TRUE(modelHand->OwnsMesh());
    EXPECT_EQ(AsTestMesh(modelHand->GetMesh())->corners.size(), 3u);

    // Replacing the shared mesh on the clone leaves the model's alone.
    hand->SetMesh(AsJTMesh(new TestMesh));
    EXPECT_NE(hand->GetMesh(), modelHand->GetMesh());
    EXPECT_EQ(AsTestMesh(modelHand->GetMesh())->corners.size(), 3u);

    auto* lamp = static_cast<JTLight*>(clone->FindChild("lamp"));
    auto* modelLamp = static_cast<JTLight*>(model->FindChild("lamp"));
    EXPECT_TRUE(lamp->GetID() != modelLamp->GetID());
    EXPECT_EQ(map->Find(&lamp->GetID()), nullptr);
    EXPECT_EQ(map->Find(&modelLamp->GetID()), modelLamp);

    int registered = map->GetNumUnks();
    delete clone;
    EXPECT_EQ(map->GetNumUnks(), registered);
    EXPECT_STREQ(model->FindChild("arm")->GetName(), "arm");
    delete model;
    EXPECT_EQ(map->GetNumUnks(), 0);
}

TEST_F(NodeTest, PlayingIdlePosesNodesAtKeyedValues) {
    JTTransNode* model = BuildSampleTree();
    ASSERT_NE(model, nullptr);
    auto* instance = static_cast<JTTransNode*>(model->Clone());
    auto* arm = static_cast<JTTransNode*>(instance->FindChild("arm"));
    auto* hand = static_cast<JTGeoNode*>(instance->FindChildRecursive("hand"));
    RecordingDrawQueue queue;

    struct Step {
        float dt, armY, handOpacity;
    };
    // idle runs 2 s and loops: the arm rises to 2 at 1 s and comes back,
    // the hand fades out over the first second and stays out.
    const Step steps[] = {{0.5f, 1.0f, 0.5f},
                          {0.5f, 2.0f, 0.0f},
                          {0.75f, 0.5f, 0.0f},
                          {0.25f, 0.0f, 1.0f},
                          {0.25f, 0.5f, 0.75f}};
    for (const Step& step : steps) {
        dt = step.dt;
        instance->Update(nullptr);
        instance->RenderPreProcess(&queue, nullptr, 1.0f);
        EXPECT_NEAR(arm->GetMatrix().GetTranslation().y, step.armY, 1e-5f);
        EXPECT_NEAR(hand->GetOpacity(), step.handOpacity, 1e-5f);
    }
    EXPECT_TRUE(instance->GetSequencer()->GetSequence("IDLE")->IsPlaying());
    // The model itself was not moved.
    EXPECT_EQ(static_cast<JTTransNode*>(model->FindChild("arm"))->GetMatrix().GetTranslation().y,
              0.0f);
    delete instance;
    delete model;
}

TEST_F(NodeTest, GrassBladeSwaysFromTheRestPoseEveryFrame) {
    JTTransNode model;
    model.SetName("GrassBlade7");
    model.SetMatrix(JTMatrixTranslation(0, 0, 4));
    JTTransNode lower;
    lower.SetName("grassblade7");
    auto* blade = static_cast<JTTransNode*>(model.Clone());
    auto* plain = static_cast<JTTransNode*>(lower.Clone());
    dt = 0.1f;
    gdwTime = 1000;
    for (int frame = 0; frame < 3; frame++) {
        blade->Update(nullptr);
        plain->Update(nullptr);
        EXPECT_NEAR(blade->GetMatrix().GetMaxScale(), 0.65f, 1e-4f);
        EXPECT_NEAR(blade->GetMatrix().GetTranslation().z, 4.0f, 1e-4f);
        EXPECT_TRUE(plain->GetMatrix().GetMaxScale() == 1.0f);
    }
    EXPECT_NE(blade->GetMatrix()(1, 1), 0.65f); // turned, not only scaled
    delete blade;
    delete plain;
}

TEST_F(NodeTest, EachSwayingInstanceDrawsItsPhaseOnceFromTheEngineGenerator) {
    JTTransNode model;
    model.SetName("leaf3");
    auto* first = static_cast<JTTransNode*>(model.Clone());
    auto* second = static_cast<JTTransNode*>(model.Clone());
    randseed = 12345;
    const uint32_t afterOneDraw = 12345u * 1664525u + 1013904223u;
    const uint32_t afterTwoDraws = afterOneDraw * 1664525u + 1013904223u;
    dt = 0.1f;
    gdwTime = 2000;
    first->Update(nullptr);
    EXPECT_EQ(randseed, afterOneDraw);
    second->Update(nullptr);
    EXPECT_EQ(randseed, afterTwoDraws);
    // Later frames keep the drawn phases.
    first->Update(nullptr);
    second->Update(nullptr);
    EXPECT_EQ(randseed, afterTwoDraws);
    // Different phases, different poses in the same frame.
    EXPECT_NE(first->GetMatrix()(1, 2), second->GetMatrix()(1, 2));
    delete first;
    delete second;
}

JTVec3 gViewDirection(0, 0, -1);
bool TestViewDirection(JTVec3& d) {
    d = gViewDirection;
    return true;
}

TEST_F(NodeTest, AngleFadeFollowsTheViewAngle) {
    gJTSceneHooks.mainViewDirection = TestViewDirection;
    JTTransNode node;
    node.SetName("AngleFade");
    const float pi = 3.14159265f;
    node.SetMatrix(JTMatrix());
    node.Update(nullptr);
    EXPECT_NEAR(node.GetOpacity(), 1.0f, 1e-4f);
    node.SetMatrix(JTMatrixRotationY(pi / 4));
    node.Update(nullptr);
    EXPECT_NEAR(node.GetOpacity(), std::sqrt(0.5f), 1e-3f);
    node.SetMatrix(JTMatrixRotationY(pi / 2));
    node.Update(nullptr);
    EXPECT_NEAR(node.GetOpacity(), 0.0f, 1e-3f);
    gJTSceneHooks.mainViewDirection = nullptr;
}

} // namespace
