// The particle-system entity driven from prototype files: its property
// table, colour channels, a seeded system from a generated ".prp" stepped
// frame by frame, one-shot and finishing systems removing themselves,
// emitting from a model, and what it hands a display to draw.
#include "Jentra/JTMessages.h"
#include "Jentra/JTPartSys.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTRandom.h"
#include "Jentra/JTScene.h"
#include "tests/jentra/test_scene_support.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using jentra::particles::kMaxParticles;

// A draw queue that is also a particle draw target.
class ParticleQueue : public RecordingDrawQueue, public JTPartSysDrawTarget {
public:
    int draws = 0;
    JTPartSysDraw last;
    bool GetCameraAxes(JTVec3& p, JTVec3& r, JTVec3& u, JTVec3& d) override {
        p = cameraPos;
        d = cameraDir;
        r = JTVec3(1, 0, 0);
        u = JTVec3(0, 1, 0);
        return true;
    }
    void DrawParticles(const JTPartSysDraw& draw) override {
        ++draws;
        last = draw;
    }
};

class PartSysTest : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        randseed = 12345;
    }
    void TearDown() override {
        // The meshes go with their nodes while the mesh hooks are still there.
        scene.Reset();
        scene.PostFrameUpdate();
        SceneTest::TearDown();
    }

    // One frame at the given game time: the scene updates, then the system
    // is queued and drawn.
    void Frame(JTPartSys* ps, uint32_t time) {
        gdwTime = time;
        scene.Update();
        queue.queued.clear();
        ps->RenderPreProcess(&queue, nullptr, 1.0f);
        ps->Render(&queue);
    }

    // A system in the scene, made as the prototype database makes one.
    JTPartSys* Place(JTPartSysProps* props, JTVec3 pos = JTVec3()) {
        auto* ps = new JTPartSys;
        EXPECT_TRUE(ps->SetProps(props, false));
        ps->SetPos(pos);
        scene.Add(ps);
        scene.PostFrameUpdate();
        ps->Message(nullptr, nullptr, JTMSG_CREATED, nullptr);
        return ps;
    }

    JTScene scene;
    ParticleQueue queue;
};

void* Find(JTPartSysProps& p, const char* name) {
    const JTPropDesc* table = p.GetPropDescs();
    void* value = p.GetProps();
    return FindProp(name, &table, &value) ? value : nullptr;
}

TEST(PartSysProps, TableLaysOutTheValuesInBlockOrder) {
    JTPartSysProps p;
    const JTPropDesc* t = p.GetPropDescs();
    EXPECT_EQ(t[JTPartSysProps::kNumPropDescs - 1].type, PT_END);
    EXPECT_STREQ(FindPropClassName(t), "JTPartSys");
    EXPECT_EQ(FindPropBackPtr(t), JTEntityProps::aPropDescs);
    EXPECT_STREQ(p.szClass, "JTPartSys");

    JTPartSysValues& v = p.values;
    EXPECT_EQ(Find(p, "Name"), p.szName);
    EXPECT_EQ(Find(p, "ID"), &v.iID);
    EXPECT_EQ(Find(p, "Num particles"), &v.iNumParticles);
    EXPECT_EQ(Find(p, "Drop velocity"), &v.fDropVelocity);
    EXPECT_EQ(Find(p, "Attached Particle"), v.szAttachedParticle);
    EXPECT_EQ(Find(p, "Velocity Y spread"), &v.fVelocity[1][1]);
    EXPECT_EQ(Find(p, "Force Z Fade In"), &v.fForceFadeIn[2]);
    EXPECT_EQ(Find(p, "Turbulence Z Freq"), &v.fTurbulence[2][1]);
    EXPECT_EQ(Find(p, "Texture"), v.szTexture);
    EXPECT_EQ(Find(p, "Alpha Test Threshold"), &v.iAlphaTestThreshold);
    EXPECT_EQ(Find(p, "End Color"), &v.dwEndColor);
    EXPECT_EQ(Find(p, "Fade out time"), &v.fFadeOutTime);
    // Defaults and ranges as the table gives them.
    EXPECT_EQ(v.iNumParticles, 100);
    EXPECT_NEAR(v.fSpawnHeightSpread, 3.1415927f / 2, 1e-6f);
    EXPECT_EQ(v.iAlphaTestThreshold, 16);
    const JTPropDesc* d = t;
    void* value = p.GetProps();
    ASSERT_TRUE(FindProp("Num particles", &d, &value));
    EXPECT_EQ(d->maximum, 500.0f);
    // Entries without a range: 1 for group markers, 0 for colours.
    EXPECT_STREQ(t[1].name, "*Spawning*");
    EXPECT_EQ(t[1].maximum, 1.0f);
    EXPECT_EQ(t[JTPartSysProps::kNumPropDescs - 2].maximum, 1.0f);
    d = t;
    value = p.GetProps();
    ASSERT_TRUE(FindProp("End Color", &d, &value));
    EXPECT_EQ(d->maximum, 0.0f);
}

TEST(PartSysProps, ColorAndChannelsStayInStep) {
    JTPartSysProps p;
    p.values.dwColor = 0x12FF3300u;
    p.PropChanged(&p.values.dwColor);
    EXPECT_FLOAT_EQ(p.values.fRed, 1.0f);
    EXPECT_FLOAT_EQ(p.values.fGreen, 0.2f);
    EXPECT_FLOAT_EQ(p.values.fBlue, 0.0f);
    p.values.fRed = 0.5f;
    p.PropChanged(&p.values.fRed);
    EXPECT_EQ(p.values.dwColor, 0xFF7F3300u);

    p.values.dwEndColor = 0x00010203u;
    p.PropChanged(&p.values.dwEndColor);
    EXPECT_FLOAT_EQ(p.values.fEndBlue, 3.0f / 255.0f);
    p.values.fEndGreen = 7.0f; // out of range: held to a full byte
    p.PropChanged(&p.values.fEndGreen);
    EXPECT_EQ(p.values.dwEndColor, 0xFF01FF03u);
}

TEST_F(PartSysTest, SeededSystemFromAGeneratedPrototypeFile) {
    JTPartSysProps authored;
    std::strcpy(authored.szName, "PartSysSimple");
    JTPartSysValues& a = authored.values;
    a.iNumParticles = 3;
    a.bDropParticles = false;
    a.fLifespan = 10.0f;
    a.fVelocity[1][0] = 2.0f;
    a.fForce[1] = -1.0f;
    a.fSize = 0.1f;
    a.bFadeIn = false;
    a.fGreen = 0.5f;
    a.fBlue = 0.0f;
    authored.PropChanged(&a.fGreen);
    auto dir = std::filesystem::temp_directory_path() / ("partsys-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string file = (dir / "PartSysSimple.prp").string();
    std::string error;
    ASSERT_TRUE(authored.SaveToPath(file, &error)) << error;

    JTPartSysProps loaded;
    ASSERT_TRUE(loaded.LoadFromPath(file, &error)) << error;
    std::filesystem::remove_all(dir);
    EXPECT_EQ(loaded.values.dwColor, 0xFFFF7F00u);

    JTPartSys* ps = Place(&loaded, JTVec3(5, 0, 10));
    EXPECT_TRUE(ps->GetResetPending());
    for (int k = 1; k <= 6; ++k)
        Frame(ps, uint32_t(100 * k));
    // Born on the first frame at the emitter, then five steps of 0.1 s:
    // v = 2 - 0.1 k, y = 0.2 k - 0.005 k (k + 1).
    ASSERT_EQ(ps->GetNumParticles(), 3);
    for (int i = 0; i < 3; ++i) {
        const JTParticle& p = ps->GetParticle(i);
        EXPECT_EQ(p.alive, 1u);
        EXPECT_NEAR(p.pos.y, 0.85f, 1e-5f);
        EXPECT_NEAR(p.vel.y, 1.5f, 1e-5f);
    }
    // A two-second frame advances by 0.1 s only.
    Frame(ps, 2600);
    EXPECT_NEAR(ps->GetParticle(0).age, 0.6f, 1e-5f);
    EXPECT_NEAR(ps->GetParticle(0).pos.y, 0.99f, 1e-5f);

    // The quads sit around the particles in the system's own space, in the
    // start colour at full alpha (life 6 %: no fade yet).
    ASSERT_EQ(ps->GetNumVertices(), 12);
    const JTPartVertex* q = ps->GetVertices();
    JTVec3 c;
    for (int k = 0; k < 4; ++k) {
        c += JTVec3(q[k].x, q[k].y, q[k].z) * 0.25f;
        EXPECT_EQ(q[k].color, 0xFFFF7F00u);
        EXPECT_NEAR((JTVec3(q[k].x, q[k].y, q[k].z) - JTVec3(0, 0.99f, 0)).Length(),
                    0.1f * std::sqrt(2.0f), 1e-5f);
    }
    EXPECT_NEAR(c.x, 0.0f, 1e-5f);
    EXPECT_NEAR(c.y, 0.99f, 1e-5f);
    // Queued for sorting at its depth plus the sort adjustment; drawn with
    // its own world matrix since its particles are not dropped.
    ASSERT_EQ(queue.queued.size(), 1u);
    EXPECT_TRUE(queue.queued[0].second);
    EXPECT_NEAR(ps->GetRenderDist(), 10.0f - 0.1f, 1e-5f);
    EXPECT_EQ(queue.last.numIndices, 18);
    EXPECT_FLOAT_EQ(queue.last.world.m[3][0], 5.0f);
    EXPECT_FALSE(queue.last.zWrite);
    EXPECT_EQ(queue.last.blend, JTPartSysDraw::BLEND_ALPHA);
}

TEST_F(PartSysTest, DefaultsBearEveryParticleOnTheFirstStep) {
    JTPartSysProps props;
    JTPartSys* ps = Place(&props);
    Frame(ps, 50);
    ASSERT_EQ(ps->GetNumParticles(), 100);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(ps->GetParticle(i).alive, 1u);
    EXPECT_TRUE(ps->GetAnyVisible());
    // Dropped particles are drawn in world space.
    EXPECT_FLOAT_EQ(queue.last.world.m[3][0], 0.0f);
    EXPECT_EQ(queue.draws, 1);
}

TEST_F(PartSysTest, TimeScaleScalesTheStepAndZeroFreezesWithoutNaN) {
    JTPartSysProps props;
    props.values.iNumParticles = 2;
    props.values.fVelocity[0][0] = 1.0f;
    props.values.fTimeScale = 2.0f;
    JTPartSys* ps = Place(&props);
    ps->SetVelocity(JTVec3(3, 0, 0));
    Frame(ps, 100);
    Frame(ps, 200);
    EXPECT_NEAR(ps->GetParticle(0).age, 0.2f, 1e-6f);

    props.values.fTimeScale = 0.0f;
    props.PropChanged(&props.values.iNumParticles); // starts over
    Frame(ps, 300);
    Frame(ps, 400);
    const JTParticle& p = ps->GetParticle(0);
    EXPECT_FALSE(std::isnan(p.pos.x) || std::isnan(p.vel.x));
    EXPECT_EQ(p.age, 0.0f);
}

TEST_F(PartSysTest, CountChangesAreClampedToWhatADrawHolds) {
    JTPartSysProps props;
    props.values.iNumParticles = 90000;
    JTPartSys* ps = Place(&props);
    Frame(ps, 10);
    EXPECT_EQ(ps->GetNumParticles(), kMaxParticles);
    EXPECT_EQ(queue.last.numIndices, 6 * kMaxParticles);
    EXPECT_EQ(queue.last.numVertices, 4 * kMaxParticles);
}

TEST_F(PartSysTest, OneShotSystemDeletesItselfWhenDone) {
    JTPartSysProps props;
    props.values.iNumParticles = 5;
    props.values.bOneShot = true;
    props.values.bDeleteWhenDone = true;
    props.values.fLifespan = 0.25f;
    JTPartSys* ps = Place(&props);
    Frame(ps, 100); // born
    Frame(ps, 200);
    Frame(ps, 300);
    scene.PostFrameUpdate();
    ASSERT_EQ(scene.GetNumChildren(), 1);
    Frame(ps, 400); // every particle past its life
    scene.PostFrameUpdate();
    EXPECT_EQ(scene.GetNumChildren(), 0);
}

TEST_F(PartSysTest, OneShotWithoutDeleteStaysButEnds) {
    JTPartSysProps props;
    props.values.iNumParticles = 5;
    props.values.bOneShot = true;
    props.values.fLifespan = 0.15f;
    JTPartSys* ps = Place(&props);
    for (uint32_t t = 100; t <= 600; t += 100)
        Frame(ps, t);
    scene.PostFrameUpdate();
    EXPECT_EQ(scene.GetNumChildren(), 1);
    EXPECT_FALSE(ps->GetAnyVisible());
}

TEST_F(PartSysTest, RunningSystemToldToFinishEndsOnceAllAreDead) {
    JTPartSysProps props;
    props.values.iNumParticles = 4;
    props.values.bSpaceEvenly = true;
    props.values.fLifespan = 0.3f;
    JTPartSys* ps = Place(&props);
    for (uint32_t t = 100; t <= 1000; t += 100)
        Frame(ps, t);
    scene.PostFrameUpdate();
    ASSERT_EQ(scene.GetNumChildren(), 1);
    ps->SetRunning(false);
    ps->SetFinish(true);
    for (uint32_t t = 1100; t <= 1500; t += 100)
        Frame(ps, t);
    scene.PostFrameUpdate();
    EXPECT_EQ(scene.GetNumChildren(), 0);
}

TEST_F(PartSysTest, SystemOutsideAnySceneJustStops) {
    JTPartSysProps props;
    props.values.iNumParticles = 2;
    props.values.bOneShot = true;
    props.values.bDeleteWhenDone = true;
    props.values.fLifespan = 0.05f;
    JTPartSys ps;
    ASSERT_TRUE(ps.SetProps(&props, false));
    ps.Message(nullptr, nullptr, JTMSG_CREATED, nullptr);
    ps.Update(nullptr);
    for (uint32_t t = 100; t <= 400; t += 100) {
        gdwTime = t;
        ps.RenderPreProcess(&queue, nullptr, 1.0f);
        ps.Render(&queue);
    }
    EXPECT_EQ(queue.draws, 1); // drawn while alive, then no more
}

TEST_F(PartSysTest, EmitsFromMeshVerticesAndSkipsNodesWithoutMesh) {
    // The model entity: one geometry node without a mesh, one with a
    // triangle whose corners are all at height 4 (after the entity's move);
    // the second hangs below a plain grouping node, which moves nothing.
    JTEntity* model = new JTEntity;
    model->SetPos(JTVec3(0, 4, 0));
    model->AddChild(new JTGeoNode);
    auto* group = new JTNode;
    auto* geo = new JTGeoNode;
    auto* mesh = new TestMesh;
    mesh->AddFace(JTVec3(-1, 0, 0), JTVec3(0, 0, 1), JTVec3(1, 0, 0));
    geo->SetMesh(AsJTMesh(mesh));
    group->AddChild(geo);
    model->AddChild(group);
    model->ComputeMatrix();
    scene.Add(model);

    JTPartSysProps props;
    props.values.iNumParticles = 30;
    props.values.bDropParticles = false;
    JTPartSys* ps = Place(&props, JTVec3(0, 1, 0));
    ps->SetEmitFromModel(true);
    ps->SetLink(model->GetID(), nullptr, JTVec3());
    ps->SetLinkEffect(false, false, false);
    JTSRand(7);
    Frame(ps, 100);
    // In the system's own space (it stands at y = 1) the corners are at 3.
    for (int i = 0; i < ps->GetNumParticles(); ++i) {
        const JTVec3& p = ps->GetParticle(i).pos;
        EXPECT_NEAR(p.y, 3.0f, 1e-5f);
        EXPECT_NEAR(std::fabs(p.x) + std::fabs(p.z), 1.0f, 1e-5f);
    }

    // With only a meshless node there is nothing to emit from: the spawn
    // shape is used (radius 0: the emitter centre).
    geo->SetMesh(nullptr);
    props.PropChanged(&props.values.iNumParticles);
    Frame(ps, 200);
    EXPECT_NEAR(ps->GetParticle(0).pos.Length(), 0.0f, 1e-6f);
}

TEST_F(PartSysTest, PropertyChangesScheduleAResetAndNameTheTexture) {
    JTPartSysProps props;
    JTPartSys* ps = Place(&props);
    Frame(ps, 100);
    EXPECT_FALSE(ps->GetResetPending());
    props.values.fDrag = 0.5f;
    props.PropChanged(&props.values.fDrag);
    EXPECT_FALSE(ps->GetResetPending());
    std::strcpy(props.values.szTexture, "spark.tga");
    props.PropChanged(props.values.szTexture);
    EXPECT_TRUE(ps->GetResetPending());
    EXPECT_STREQ(ps->GetTextureName(), "spark.tga");
    props.values.bAdditiveBlend = true;
    props.values.bTransparent = false;
    Frame(ps, 200);
    EXPECT_STREQ(queue.last.texture, "spark.tga");
    EXPECT_EQ(queue.last.blend, JTPartSysDraw::BLEND_ADDITIVE);
    EXPECT_TRUE(queue.last.zWrite);
    // An opaque-looking system still sorts with the transparent nodes.
    EXPECT_TRUE(queue.queued[0].second);
}

TEST_F(PartSysTest, ShippedPrototypeInstantiatesASystemThatEmits) {
    // The database of the built program folder, as the game uses it.
    JTProtobase db;
    gpJTProtobase = &db;
    JTEntityProps* smoke = db.Find("groundsmoke");
    ASSERT_NE(smoke, nullptr);
    auto* record = dynamic_cast<JTPartSysProps*>(smoke);
    ASSERT_NE(record, nullptr);
    auto* ps = dynamic_cast<JTPartSys*>(smoke->Instantiate(&scene));
    gpJTProtobase = nullptr;
    ASSERT_NE(ps, nullptr);
    EXPECT_EQ(ps->GetPartProps(), record);
    scene.PostFrameUpdate();
    for (uint32_t t = 100; t <= 1000; t += 100)
        Frame(ps, t);
    ASSERT_EQ(ps->GetNumParticles(), record->values.iNumParticles);
    int alive = 0;
    for (int i = 0; i < ps->GetNumParticles(); ++i)
        alive += ps->GetParticle(i).alive ? 1 : 0;
    EXPECT_GT(alive, 0);
    EXPECT_GT(queue.draws, 0);
    // The scene deletes the system; the database, which keeps the record,
    // goes after it.
    scene.Reset();
    scene.PostFrameUpdate();
}

TEST(PartSysPrototypes, ShippedPrototypesLoadAsParticleSystems) {
    const char* runtime = std::getenv("JENTRA_RUNTIME_DIR");
    ASSERT_NE(runtime, nullptr);
    const char* names[] = {"GroundSmoke",    "GroundFire",    "FireSparks",    "lavalightshine",
                           "lavalighttrail", "SkyLights",     "IceMeltSteam",  "IcePiecePart",
                           "IcePiecePart2",  "FirePiecePart", "FirePiecePart2"};
    for (const char* name : names) {
        JTPartSysProps p;
        std::string error;
        std::string path = std::string(runtime) + "/modules/" + name + ".prp";
        ASSERT_TRUE(p.LoadFromPath(path, &error)) << name << ": " << error;
        EXPECT_STREQ(p.szName, name);
        EXPECT_STREQ(p.szClass, "JTPartSys");
        EXPECT_GT(p.values.iNumParticles, 0) << name;
        EXPECT_LE(p.values.iNumParticles, 500) << name;
        EXPECT_EQ(p.values.dwColor >> 24, 0xFFu) << name;
    }
}

} // namespace
