// Entities: links, picking by ray, motion, clones, lights.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "Jentra/JTEntity.h"
#include "Jentra/JTLight.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTSequencer.h"
#include "tests/jentra/test_scene_support.h"

namespace {

class EntityTest : public SceneTest {};

// An entity whose model is one big square facing -Z, 2 units across.
JTEntity* SquareEntity(JTVec3 pos) {
    auto* e = new JTEntity;
    auto* geo = new JTGeoNode;
    auto* mesh = new TestMesh;
    mesh->AddFace(JTVec3(-1, -1, 0), JTVec3(-1, 1, 0), JTVec3(1, 1, 0));
    mesh->AddFace(JTVec3(-1, -1, 0), JTVec3(1, 1, 0), JTVec3(1, -1, 0));
    geo->SetMesh(AsJTMesh(mesh));
    e->AddChild(geo);
    e->RecomputeBound();
    e->SetPos(pos);
    e->ComputeMatrix();
    return e;
}

HTInfo FreshInfo() {
    HTInfo info;
    info.distance = info.centerDistance = info.unused = FLT_MAX;
    return info;
}

TEST_F(EntityTest, IntersectPicksTheNearerEntityInEitherOrder) {
    JTEntity* far = SquareEntity(JTVec3(0, 0, 10));
    JTEntity* near = SquareEntity(JTVec3(0.5f, 0, 5));
    EXPECT_GT(near->GetBound(), 1.0f);
    const JTVec3 origin(0, 0, 0), dir(0, 0, 1);
    for (bool nearFirst : {true, false}) {
        HTInfo info = FreshInfo();
        if (nearFirst) {
            near->Intersect(origin, dir, &info, false);
            far->Intersect(origin, dir, &info, false);
        } else {
            far->Intersect(origin, dir, &info, false);
            near->Intersect(origin, dir, &info, false);
        }
        EXPECT_EQ(info.entity, near);
        EXPECT_TRUE(info.hit);
        EXPECT_NE(info.node, nullptr);
        EXPECT_NEAR(info.centerDistance, std::sqrt(25.25f), 1e-4f);
        EXPECT_NEAR(info.point.x, -0.5f, 1e-4f); // in the model's own frame
    }
    // A ray that points away never hits, even from inside the bound.
    HTInfo away = FreshInfo();
    near->Intersect(JTVec3(0.5f, 0, 5.5f), JTVec3(0, 0, 1), &away, false);
    EXPECT_EQ(away.entity, nullptr);
    // Nor does one that passes beside the model.
    HTInfo beside = FreshInfo();
    far->Intersect(JTVec3(5, 0, 0), dir, &beside, false);
    EXPECT_EQ(beside.entity, nullptr);
    near->SetPickable(false);
    HTInfo off = FreshInfo();
    near->Intersect(origin, JTVec3Normalize(JTVec3(0.5f, 0, 5)), &off, false);
    EXPECT_EQ(off.entity, nullptr);
    delete far;
    delete near;
}

// A text's quads cover only its letters' ink: a ray through the gap
// between two letters, or above a small one, still picks the text.
TEST_F(EntityTest, ATextIsPickedAnywhereInTheRectangleRoundItsLetters) {
    auto* e = new JTEntity;
    auto* geo = new JTGeoNode;
    auto* mesh = new TestMesh;
    // A tall letter from x -2 to -1 and a short one from 1 to 2, facing -Z.
    mesh->AddFace(JTVec3(-2, -1, 0), JTVec3(-2, 1, 0), JTVec3(-1, 1, 0));
    mesh->AddFace(JTVec3(-2, -1, 0), JTVec3(-1, 1, 0), JTVec3(-1, -1, 0));
    mesh->AddFace(JTVec3(1, -1, 0), JTVec3(1, 0, 0), JTVec3(2, 0, 0));
    mesh->AddFace(JTVec3(1, -1, 0), JTVec3(2, 0, 0), JTVec3(2, -1, 0));
    geo->SetMesh(AsJTMesh(mesh));
    e->AddChild(geo);
    e->RecomputeBound();
    e->SetPos(JTVec3(0, 0, 5));
    e->ComputeMatrix();
    const JTVec3 gap(0, 0, 0), aboveShort(1.5f, 0.5f, 0), outside(3, 0, 0);
    auto picks = [&](const JTVec3& from) {
        HTInfo info = FreshInfo();
        e->Intersect(from, JTVec3(0, 0, 1), &info, false);
        return info.entity == e;
    };
    EXPECT_FALSE(picks(gap));
    EXPECT_FALSE(picks(aboveShort));
    geo->SetPickedByBox(true);
    EXPECT_TRUE(picks(gap));
    EXPECT_TRUE(picks(aboveShort));
    EXPECT_TRUE(picks(JTVec3(-1.5f, 0, 0)));
    EXPECT_FALSE(picks(outside));
    delete e;
}

TEST_F(EntityTest, LinkChainResolvesFromItsHead) {
    JTEntity head, middle, tail;
    head.SetPos(JTVec3(1, 2, 3));
    head.SetScale(2.0f);
    head.ComputeMatrix();
    middle.SetLink(head.GetID(), nullptr, JTVec3(0, 1, 0));
    middle.SetLinkEffect(true, false, true);
    tail.SetLink(middle.GetID(), nullptr, JTVec3(0, 0, 1));
    tail.SetLinkEffect(true, false, false);
    gdwTime = 100;
    tail.UpdateLinks(true);                      // pulls the middle first
    EXPECT_NEAR(middle.GetPos().y, 4.0f, 1e-5f); // offset scaled by the head
    EXPECT_FLOAT_EQ(middle.GetLinkScale(), 2.0f);
    JTVec3 p = tail.GetPos();
    EXPECT_NEAR(p.x, 1.0f, 1e-5f);
    EXPECT_NEAR(p.y, 4.0f, 1e-5f);
    EXPECT_NEAR(p.z, 3.0f + 2.0f * 1.0f * 1.0f, 1e-4f);
}

TEST_F(EntityTest, SelfMissingAndCyclicLinksEndWithoutMoving) {
    JTEntity self, lost, a, b;
    self.SetPos(JTVec3(1, 1, 1));
    self.SetLink(self.GetID(), nullptr, JTVec3(5, 5, 5));
    JTID nobody;
    lost.SetLink(nobody, nullptr, JTVec3(5, 5, 5));
    gdwTime = 7;
    self.UpdateLinks(true);
    lost.UpdateLinks(true);
    EXPECT_EQ(self.GetPos().x, 1.0f);
    EXPECT_EQ(lost.GetPos().x, 0.0f);

    a.SetLink(b.GetID(), nullptr, JTVec3(1, 0, 0));
    b.SetLink(a.GetID(), nullptr, JTVec3(1, 0, 0));
    a.UpdateLinks(true); // returns: each updates once this frame
    float ax = a.GetPos().x, bx = b.GetPos().x;
    a.UpdateLinks(true);
    b.UpdateLinks(true);
    EXPECT_EQ(a.GetPos().x, ax);
    EXPECT_EQ(b.GetPos().x, bx);

    // A link node that is not in the target's tree is not followed.
    JTEntity target, follower;
    JTTransNode elsewhere;
    elsewhere.SetMatrix(JTMatrixTranslation(9, 9, 9));
    follower.SetLink(target.GetID(), &elsewhere, JTVec3());
    follower.UpdateLinks(true);
    EXPECT_EQ(follower.GetPos().x, 0.0f);
}

TEST_F(EntityTest, MotionIntegratesVelocityAndSpin) {
    JTEntity e;
    e.SetVelocity(JTVec3(1, 0, 0));
    e.SetAcceleration(JTVec3(0, 2, 0));
    e.SetAngularVelocity(JTVec3(0, 1, 0));
    dt = 0.001f;
    for (int i = 0; i < 1000; i++)
        e.Update(nullptr);
    EXPECT_NEAR(e.GetPos().x, 1.0f, 1e-3f);
    EXPECT_NEAR(e.GetPos().y, 1.0f, 5e-3f); // v = 2t, so y = t^2
    JTVec3 d = e.GetDir();
    EXPECT_NEAR(d.z, std::cos(1.0f), 1e-3f);
    EXPECT_NEAR(std::fabs(d.x), std::sin(1.0f), 1e-3f);
    EXPECT_NEAR(d.y, 0.0f, 1e-4f);
    EXPECT_NEAR(e.GetMatrix().GetTranslation().x, e.GetPos().x, 1e-6f);
}

TEST_F(EntityTest, CloneGetsAFreshUnregisteredId) {
    auto* source = new JTEntity;
    source->AddChild(new JTTransNode);
    auto* clone = static_cast<JTEntity*>(source->Clone());
    EXPECT_TRUE(clone->GetID() != source->GetID());
    EXPECT_EQ(map->Find(&clone->GetID()), nullptr);
    EXPECT_EQ(map->Find(&source->GetID()), source);
    EXPECT_EQ(map->GetNumUnks(), 1);
    EXPECT_EQ(clone->GetCommunicator().owner, clone);
    delete clone;
    delete source;
    EXPECT_EQ(map->GetNumUnks(), 0);
}

TEST_F(EntityTest, SequencerComesFromASingleModelRoot) {
    JTEntity e;
    auto* model = new JTTransNode;
    auto* sequencer = new JTSequencer;
    model->SetSequencer(sequencer);
    e.AddChild(model);
    EXPECT_EQ(e.GetSequencer(), sequencer);
    e.AddChild(new JTTransNode);
    EXPECT_EQ(e.GetSequencer(), nullptr);
}

TEST_F(EntityTest, SceneIsTheParentOnlyWhenThatIsAScene) {
    JTScene scene;
    auto* inScene = new JTEntity;
    scene.Add(inScene);
    EXPECT_EQ(inScene->GetScene(), &scene);
    // Below a model node the entity belongs to no scene.
    JTTransNode model;
    auto* inModel = new JTEntity;
    model.AddChild(inModel);
    EXPECT_EQ(inModel->GetScene(), nullptr);
}

TEST_F(EntityTest, LightAimsAtTheOrigin) {
    JTLight light;
    EXPECT_FALSE(light.GetPickable());
    light.SetPos(JTVec3(0, 10, 0));
    light.Update(nullptr);
    JTVec3 d = light.GetLight().direction;
    EXPECT_NEAR(d.x, 0.0f, 1e-6f);
    EXPECT_NEAR(d.y, -1.0f, 1e-6f);
    EXPECT_NEAR(light.GetDir().y, -1.0f, 1e-5f);
    EXPECT_FLOAT_EQ(light.GetLight().position.y, 10.0f);
    // At the origin there is no direction to take; the last one stays.
    light.SetPos(JTVec3(0, 0, 0));
    light.Update(nullptr);
    EXPECT_NEAR(light.GetLight().direction.y, -1.0f, 1e-6f);
    EXPECT_FALSE(std::isnan(light.GetRot().w));
}

TEST_F(EntityTest, RotationBetweenOppositeAndEqualVectors) {
    JTQuat opposite = RotationBetween(JTVec3(0, 0, 1), JTVec3(0, 0, -1));
    EXPECT_NEAR(std::fabs(opposite.y), 1.0f, 1e-5f); // pi about Y
    EXPECT_NEAR(opposite.w, 0.0f, 1e-5f);
    JTQuat same = RotationBetween(JTVec3(1, 0, 0), JTVec3(1, 0, 0));
    EXPECT_NEAR(same.w, 1.0f, 1e-6f);
}

} // namespace
