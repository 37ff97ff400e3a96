// Entities and their prototype records: entities built from prototype files
// by name carry the database's record, clones share or copy it, changes of a
// record reach the entities that use it, and particle prototypes become
// working particle systems.
#include "tests/jentra/test_protobase_support.h"

#include "Jentra/JTPartSys.h"
#include "Jentra/JTScene.h"
#include "tests/jentra/test_scene_support.h"

#include <cstring>

namespace {

// Remembers which values of its record were reported changed.
class RecordingEntity : public JTEntity {
public:
    std::vector<void*> changed;
    void PropChanged(void* value) override { changed.push_back(value); }
};

class EntityPropsTest : public ProtobaseTest {
protected:
    void SetUp() override {
        ProtobaseTest::SetUp();
        JTRegisterClass<TestMesh>();
        SetGeoParts(&parts);
        gdwTime = 0;
        dt = 0.0f;
    }
    void TearDown() override {
        scene.Reset();
        scene.PostFrameUpdate();
        gpJTProtobase = nullptr;
        SetGeoParts(nullptr);
        ProtobaseTest::TearDown();
    }

    // A prototype file written by the record's own writer.
    void WriteRecord(const std::string& file, JTEntityProps& props) {
        std::string error;
        ASSERT_TRUE(props.SaveToPath((folder / "modules" / file).string(), &error)) << error;
    }

    // A model whose one triangle has its corners 1 from the model's origin.
    void WriteMeshModel(const std::string& file) {
        auto* root = new JTTransNode;
        auto* geo = new JTGeoNode;
        auto* mesh = new TestMesh;
        mesh->AddFace(JTVec3(1, 0, 0), JTVec3(0, 1, 0), JTVec3(0, 0, 1));
        geo->SetMesh(AsJTMesh(mesh));
        root->AddChild(geo);
        JTFile f(nullptr, nullptr, 0, true);
        ASSERT_TRUE(root->SaveLoad(f));
        delete root;
        WriteBytes(file, f.GetCurrentMemBuffer(), f.GetCurrentMemBufferUsed());
    }

    static void SetModel(JTEntityProps& props, const char* model) {
        std::free(props.pModel);
        props.pModel = model ? strdup(model) : nullptr;
    }

    TestGeoParts parts;
    JTScene scene;
};

TEST_F(EntityPropsTest, EntityFromAPrototypeByNameCarriesItsRecord) {
    WriteMeshModel("bishop.jtm");
    JTEntityProps authored;
    std::strcpy(authored.szClass, "JTEntity");
    SetModel(authored, "bishop.jtm");
    authored.fScale = 2.0f;
    authored.bVisible = false;
    authored.bPickable = false;
    authored.bSortBehind = true;
    // The upper-case extension is still cut from the name.
    WriteRecord("Bishop.PRP", authored);
    JTEntityProps defaults;
    WriteRecord("pawn.prp", defaults);

    JTProtobase db;
    gpJTProtobase = &db;
    ASSERT_EQ(db.GetNumTypes(), 2);
    JTEntityProps* bishop = db.Find("bishop");
    ASSERT_NE(bishop, nullptr);
    EXPECT_STREQ(bishop->szName, "Bishop");

    JTEntity* entity = bishop->Instantiate(&scene);
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(entity->GetType(), JTEntity::nType);
    EXPECT_EQ(entity->GetProps(), bishop);
    EXPECT_EQ(entity->GetMyProps(), bishop);
    EXPECT_FALSE(entity->GetOwnsProps());
    EXPECT_FLOAT_EQ(entity->GetPropScale(), 2.0f);
    EXPECT_TRUE(entity->GetSortBehind());
    // "Visible" and "Pickable" are the prototype's data for tools; the
    // entity starts visible and pickable whatever they say.
    EXPECT_TRUE(entity->GetVisible());
    EXPECT_TRUE(entity->GetPickable());
    // The model was cloned in, and the entity waits for the scene's next
    // post-frame step.
    ASSERT_EQ(entity->GetNumChildren(), 1);
    EXPECT_EQ(scene.GetNumChildren(), 0);
    scene.PostFrameUpdate();
    ASSERT_EQ(scene.GetNumChildren(), 1);
    EXPECT_EQ(scene.GetChild(0), entity);

    // The prototype's scale multiplies the entity's own, in the matrix and
    // in the world radius (the model's own radius is 1).
    entity->SetScale(3.0f);
    entity->ComputeMatrix();
    EXPECT_FLOAT_EQ(entity->GetMatrix().m[0][0], 6.0f);
    EXPECT_FLOAT_EQ(entity->GetScaleTotal(), 6.0f);
    EXPECT_NEAR(entity->GetBound(), 6.0f, 1e-4f);

    // A prototype with the defaults makes an entity without a model.
    JTEntity* pawn = db.Find("PAWN")->Instantiate(nullptr);
    EXPECT_FALSE(pawn->GetSortBehind());
    EXPECT_FLOAT_EQ(pawn->GetPropScale(), 1.0f);
    EXPECT_EQ(pawn->GetNumChildren(), 0);
    delete pawn;
}

TEST_F(EntityPropsTest, ConstructedEntityOwnsAPrivateDefaultRecord) {
    JTEntity entity;
    ASSERT_NE(entity.GetProps(), nullptr);
    EXPECT_TRUE(entity.GetOwnsProps());
    EXPECT_FLOAT_EQ(entity.GetPropScale(), 1.0f);
    EXPECT_FALSE(entity.GetSortBehind());
    // A fresh private record replaces the old one.
    entity.GetProps()->fScale = 5.0f;
    entity.InitProps();
    EXPECT_NE(entity.GetProps(), nullptr);
    EXPECT_TRUE(entity.GetOwnsProps());
    EXPECT_FLOAT_EQ(entity.GetPropScale(), 1.0f);
    // A record it is given but does not own stays the giver's.
    JTEntityProps shared;
    shared.fScale = 4.0f;
    ASSERT_TRUE(entity.SetProps(&shared, false));
    EXPECT_FALSE(entity.GetOwnsProps());
    EXPECT_FLOAT_EQ(entity.GetPropScale(), 4.0f);
    EXPECT_FALSE(entity.SetProps(nullptr, true));
    EXPECT_EQ(entity.GetProps(), &shared);
}

TEST_F(EntityPropsTest, CloneSharesThePrototypeRecordAndCopiesAPrivateOne) {
    WriteModel("rook.jtm");
    JTEntityProps authored;
    SetModel(authored, "rook.jtm");
    authored.fScale = 1.5f;
    WriteRecord("rook.prp", authored);
    JTProtobase db;
    gpJTProtobase = &db;
    JTEntityProps* rook = db.Find("rook");
    ASSERT_NE(rook, nullptr);

    JTEntity* source = rook->Instantiate(nullptr);
    auto* clone = static_cast<JTEntity*>(source->Clone());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetProps(), rook);
    EXPECT_FALSE(clone->GetOwnsProps());
    EXPECT_FLOAT_EQ(clone->GetPropScale(), 1.5f);
    EXPECT_EQ(clone->GetNumChildren(), 1);
    // Neither deletes the database's record.
    delete clone;
    delete source;
    EXPECT_FLOAT_EQ(rook->fScale, 1.5f);
    EXPECT_STREQ(rook->pModel, "rook.jtm");

    // A private record dies with its entity, so a clone keeps a copy of its
    // own and outlives a source deleted first.
    auto* owner = new JTEntity;
    owner->GetProps()->fScale = 4.0f;
    owner->GetProps()->bSortBehind = true;
    SetModel(*owner->GetProps(), "own.jtm");
    auto* copy = static_cast<JTEntity*>(owner->Clone());
    EXPECT_NE(copy->GetProps(), owner->GetProps());
    EXPECT_TRUE(copy->GetOwnsProps());
    delete owner;
    EXPECT_FLOAT_EQ(copy->GetPropScale(), 4.0f);
    EXPECT_TRUE(copy->GetSortBehind());
    EXPECT_STREQ(copy->GetProps()->pModel, "own.jtm");
    delete copy;
}

TEST_F(EntityPropsTest, RecordChangesReachTheRegisteredEntitiesThatUseIt) {
    JTEntityProps prototype;
    JTEntityProps other;
    RecordingEntity user, stranger;
    ASSERT_TRUE(user.SetProps(&prototype, false));
    ASSERT_TRUE(stranger.SetProps(&other, false));
    // A clone is not registered, so it is not told.
    auto* clone = static_cast<JTEntity*>(user.Clone());
    ASSERT_EQ(clone->GetProps(), &prototype);

    prototype.fScale = 2.0f;
    prototype.PropChanged(&prototype.fScale);
    ASSERT_EQ(user.changed.size(), 1u);
    EXPECT_EQ(user.changed[0], &prototype.fScale);
    EXPECT_TRUE(stranger.changed.empty());
    // The record is read where it is, so the new value is there at once.
    EXPECT_FLOAT_EQ(user.GetPropScale(), 2.0f);
    EXPECT_FLOAT_EQ(clone->GetPropScale(), 2.0f);
    delete clone;
}

TEST_F(EntityPropsTest, ParticlePrototypeInstantiatesAWorkingParticleSystem) {
    JTPartSysProps authored;
    authored.values.iNumParticles = 7;
    authored.values.bDropParticles = false;
    authored.values.fLifespan = 10.0f;
    authored.values.fVelocity[1][0] = 1.0f;
    authored.fScale = 0.5f;
    WriteRecord("Sparks.prp", authored);

    JTProtobase db;
    gpJTProtobase = &db;
    JTEntityProps* found = db.Find("sparks");
    ASSERT_NE(found, nullptr);
    auto* record = dynamic_cast<JTPartSysProps*>(found);
    ASSERT_NE(record, nullptr) << "the database reads particle prototypes as particle records";
    EXPECT_EQ(record->values.iNumParticles, 7);

    JTEntity* entity = record->Instantiate(&scene);
    auto* ps = dynamic_cast<JTPartSys*>(entity);
    ASSERT_NE(ps, nullptr);
    EXPECT_EQ(ps->GetPartProps(), record);
    EXPECT_FALSE(ps->GetOwnsProps());
    EXPECT_FLOAT_EQ(ps->GetPropScale(), 0.5f);
    // Message 14 from the database scheduled the first reset.
    EXPECT_TRUE(ps->GetResetPending());

    scene.PostFrameUpdate();
    gdwTime = 100;
    scene.Update();
    ASSERT_EQ(ps->GetNumParticles(), 7);
    RecordingDrawQueue queue;
    ps->RenderPreProcess(&queue, nullptr, 1.0f);
    ps->Render(&queue);
    gdwTime = 200;
    ps->Render(&queue);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(ps->GetParticle(i).alive, 1u);
        EXPECT_GT(ps->GetParticle(i).pos.y, 0.0f);
    }

    // A change of the shared record reaches the system through its record.
    record->values.iNumParticles = 3;
    record->PropChanged(&record->values.iNumParticles);
    EXPECT_TRUE(ps->GetResetPending());
    scene.Update();
    EXPECT_EQ(ps->GetNumParticles(), 3);
}

TEST_F(EntityPropsTest, ParticleSystemWorksOnlyFromAParticleRecord) {
    // A plain record that names the particle class has no particle values:
    // it makes a plain entity.
    JTEntityProps plain;
    std::strcpy(plain.szClass, "jtpartsys");
    JTEntity* entity = plain.Instantiate(nullptr);
    EXPECT_EQ(dynamic_cast<JTPartSys*>(entity), nullptr);
    EXPECT_EQ(entity->GetProps(), &plain);
    delete entity;

    JTPartSys ps;
    ASSERT_NE(ps.GetPartProps(), nullptr);
    EXPECT_TRUE(ps.GetOwnsProps());
    EXPECT_STREQ(ps.GetPartProps()->szClass, "JTPartSys");
    EXPECT_FALSE(ps.SetProps(&plain, false));
    EXPECT_NE(ps.GetProps(), &plain);
    JTPartSysProps particles;
    EXPECT_TRUE(ps.SetProps(&particles, false));
    EXPECT_EQ(ps.GetPartProps(), &particles);

    // Without a prototype database there is no model, but the system is
    // still told it is complete and starts on its first update.
    ASSERT_EQ(gpJTProtobase, nullptr);
    particles.values.iNumParticles = 4;
    auto* made = dynamic_cast<JTPartSys*>(particles.Instantiate(nullptr));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetNumChildren(), 0);
    EXPECT_TRUE(made->GetResetPending());
    made->Update(nullptr);
    EXPECT_EQ(made->GetNumParticles(), 4);
    delete made;
}

TEST_F(EntityPropsTest, DatabaseMakesTheRecordTypeTheClassNames) {
    JTProtobase db;
    std::unique_ptr<JTEntityProps> particles(db.InstantiateType("JTPARTSYS"));
    EXPECT_NE(dynamic_cast<JTPartSysProps*>(particles.get()), nullptr);
    for (const char* name : {"JTEntity", "JTButton", "", "JTPartSysX"}) {
        std::unique_ptr<JTEntityProps> plain(db.InstantiateType(name));
        ASSERT_NE(plain, nullptr) << name;
        EXPECT_EQ(dynamic_cast<JTPartSysProps*>(plain.get()), nullptr) << name;
    }
}

TEST_F(EntityPropsTest, PrototypeNamesLoseTheirExtensionInAnyCase) {
    JTEntityProps authored;
    WriteRecord("Queen.Prp", authored);
    WriteRecord("KING.PRP", authored);
    JTEntityProps queen;
    queen.Load("Queen.Prp");
    EXPECT_STREQ(queen.szName, "Queen");
    JTProtobase db;
    ASSERT_EQ(db.GetNumTypes(), 2);
    EXPECT_NE(db.Find("king"), nullptr);
    EXPECT_NE(db.Find("queen"), nullptr);
    EXPECT_EQ(db.Find("KING.PRP"), nullptr);
}

} // namespace
