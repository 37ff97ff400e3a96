// The mesh and effect hooks every geometry node uses: the shipped cube model
// (a mesh with strips and bump matrices and a JTEffect_ParkPiece) loads,
// draws and saves again unchanged, face and vertex questions reach the
// mesh, and a particle system emitting from a model spawns only at that
// model's vertices.
#include "effect_scene.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <tuple>

#include "Jentra/JTFile.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTPartSys.h"
#include "Jentra/JTRandom.h"
#include "Jentra/JTTransNode.h"
#include "Jentra/core/scene/geo_parts.h"
#include "Jentra/core/scene/load_owned.h"

using namespace effect_test;

namespace {

class RenderPartsTest : public EffectSceneTest {};

std::vector<unsigned char> Bytes(JTFile& f) {
    return std::vector<unsigned char>(f.GetCurrentMemBuffer(),
                                      f.GetCurrentMemBuffer() + f.GetCurrentMemBufferUsed());
}

TEST_F(RenderPartsTest, TheShippedCubeModelLoadsDrawsAndItsMeshSavesUnchanged) {
    Open(DeviceKind::OpenGL);
    const std::filesystem::path runtime = std::getenv("JENTRA_RUNTIME_DIR");
    for (const char* file : {"testcube.jtm", "marble.jpg"})
        std::filesystem::copy_file(runtime / "modules" / file, folder / "modules" / file);

    std::vector<uint8_t> file;
    ASSERT_TRUE(platform::ReadWholeFile(folder / "modules" / "testcube.jtm", file));
    // Opened as the engine opens its models: by their file's full path.
    JTFile in((folder / "modules" / "testcube.jtm").c_str(), false);
    ASSERT_TRUE(in.Opened());
    std::unique_ptr<JTTransNode> model(LoadOwned<JTTransNode>(in));
    ASSERT_TRUE(model && !in.Failed());
    auto* body = static_cast<JTGeoNode*>(model->GetChild(0));
    ASSERT_TRUE(body && body->IsDerived(JTGeoNode::nType));
    auto* mesh = body->GetMesh();
    ASSERT_NE(mesh, nullptr);
    EXPECT_TRUE(mesh->HasStrip() && mesh->GetUseStrip() && mesh->HasBumpMatrices());
    EXPECT_EQ(mesh->GetNumVertices(), 24u);
    auto* effect = dynamic_cast<JTEffect_ParkPiece*>(body->GetEffect());
    ASSERT_NE(effect, nullptr);
    ASSERT_NE(effect->diffuse, nullptr);
    EXPECT_STREQ(effect->diffuse->GetName(), "marble.jpg"); // beside the model
    EXPECT_NE(JTEffect_ParkPiece::pD3DEffect, nullptr);     // built as the model loaded

    // The mesh saved again is byte for byte its record in the file.
    JTFile out(nullptr, nullptr, 0, true);
    ASSERT_TRUE(mesh->SaveLoad(out));
    std::vector<unsigned char> record = Bytes(out);
    record.erase(record.begin(), record.begin() + JTFile::kVersionRecordBytes);
    ASSERT_GT(record.size(), 24u * 32u);
    EXPECT_NE(std::search(file.begin(), file.end(), record.begin(), record.end()), file.end());

    // And it draws: a clone of it in the scene.
    auto* entity = new JTEntity;
    entity->AddChild(static_cast<JTNode*>(model->Clone()));
    Place(entity);
    Capture();
    EXPECT_EQ(display->GetDevice()->TakeErrors(), 0);
    EXPECT_NE(Pixel(width / 2, height / 2), Pixel(1, 1)); // the cube covers the middle
}

TEST_F(RenderPartsTest, FaceAndVertexQuestionsReachTheMesh) {
    Open(DeviceKind::Recording);
    JTGeoParts* parts = GetGeoParts();
    ASSERT_NE(parts, nullptr);
    std::unique_ptr<JTMesh> cube = Cube();
    JTMesh* mesh = cube.get();
    EXPECT_EQ(parts->MeshClassType(), JTMesh::nType);
    EXPECT_EQ(parts->AsMesh(mesh), mesh);
    JTEffect_Halo halo;
    EXPECT_EQ(parts->AsMesh(&halo), nullptr);
    EXPECT_EQ(parts->AsEffect(&halo), &halo);
    EXPECT_TRUE(parts->EffectTransparent(&halo));
    EXPECT_EQ(parts->MeshVertexCount(mesh), 24);
    EXPECT_EQ(parts->MeshFaceCount(mesh), 12);
    EXPECT_FLOAT_EQ(parts->MeshBoundRadius(mesh), std::sqrt(3.0f));
    JTVec3 corners[3], v;
    ASSERT_TRUE(parts->MeshFace(mesh, 0, corners));
    EXPECT_EQ(corners[0].z, -1.0f); // the front face
    EXPECT_FALSE(parts->MeshFace(mesh, 12, corners));
    ASSERT_TRUE(parts->MeshVertex(mesh, 23, v));
    EXPECT_FLOAT_EQ(v.y, -1.0f);
    EXPECT_FALSE(parts->MeshVertex(mesh, 24, v));
    EXPECT_FALSE(parts->MeshVertex(mesh, -1, v));
    parts->MeshCreateStrip(mesh);
    EXPECT_TRUE(mesh->GetUseStrip());
    parts->MeshSetUseStrips(mesh, false);
    EXPECT_FALSE(mesh->GetUseStrip());
}

TEST_F(RenderPartsTest, ParticlesFromAModelSpawnOnlyAtItsVertices) {
    Open(DeviceKind::Recording);
    // The model: a cube of half-size 1 with its centre at (3, 4, 5).
    JTEntity* model = Place(MeshEntity(Cube(false), new JTEffect_Simple, JTVec3(3, 4, 5)));
    JTPartSysProps props;
    props.values.iNumParticles = 60;
    props.values.bDropParticles = false; // the system stands at the origin
    auto* ps = new JTPartSys;
    ASSERT_TRUE(ps->SetProps(&props, false));
    Place(ps);
    ps->Message(nullptr, nullptr, JTMSG_CREATED, nullptr);
    ps->SetEmitFromModel(true);
    ps->SetLink(model->GetID(), nullptr, JTVec3());
    ps->SetLinkEffect(false, false, false);
    randseed = 99;
    JTSRand(5);
    gdwTime = 100;
    scene->Update();
    display->Render();
    ASSERT_EQ(ps->GetNumParticles(), 60);
    std::set<std::tuple<float, float, float>> seen;
    for (int i = 0; i < ps->GetNumParticles(); ++i) {
        const JTVec3& p = ps->GetParticle(i).pos;
        // Every corner of the cube, nothing between them.
        EXPECT_NEAR(std::fabs(p.x - 3), 1.0f, 1e-4f);
        EXPECT_NEAR(std::fabs(p.y - 4), 1.0f, 1e-4f);
        EXPECT_NEAR(std::fabs(p.z - 5), 1.0f, 1e-4f);
        seen.insert({std::round(p.x), std::round(p.y), std::round(p.z)});
    }
    EXPECT_GT(seen.size(), 4u); // drawn from many vertices
    gdwTime = 0;
}

} // namespace

namespace {

// A mesh drawn through the display's shared dynamic buffers, and one too
// large for them, which is drawn from a copy of its own instead.
TEST_F(RenderPartsTest, DynamicMeshesDrawThroughTheSharedBuffersOrTheirOwnCopy) {
    Open(DeviceKind::Recording);
    auto grid = [](int cells) {
        std::vector<Vert1> vertices;
        std::vector<unsigned short> indices;
        for (int y = 0; y <= cells; ++y)
            for (int x = 0; x <= cells; ++x)
                vertices.push_back({float(x) / cells, float(y) / cells, 0, 0, 0, -1, 0, 0});
        for (int y = 0; y < cells; ++y)
            for (int x = 0; x < cells; ++x) {
                auto at = [cells](int i, int j) { return (unsigned short)(j * (cells + 1) + i); };
                indices.insert(indices.end(), {at(x, y), at(x + 1, y), at(x, y + 1)});
            }
        auto mesh = std::make_unique<JTMesh>();
        mesh->CreateBuffersFromData(nullptr, vertices.data(), unsigned(vertices.size()),
                                    indices.data(), unsigned(indices.size()), true, false);
        return mesh;
    };
    auto& recorded = *display->GetDevice()->GetRecording();
    JTGeoNode* small = nullptr;
    Place(MeshEntity(grid(10), new JTEffect_Simple, JTVec3(), &small));
    recorded.Forget();
    display->Render();
    ASSERT_EQ(recorded.draws.size(), 1u);
    EXPECT_FALSE(recorded.draws[0].fromUserMemory);
    EXPECT_EQ(recorded.draws[0].primCount, 100u);
    EXPECT_EQ(recorded.draws[0].state.streams[0].buffer, display->GetDynamicVB()->GetBuffer());

    scene->Reset();
    scene->PostFrameUpdate();
    Place(MeshEntity(grid(130), new JTEffect_Simple, JTVec3())); // 17161 vertices
    recorded.Forget();
    display->Render();
    ASSERT_EQ(recorded.draws.size(), 1u);
    EXPECT_TRUE(recorded.draws[0].fromUserMemory);
    EXPECT_EQ(recorded.draws[0].primCount, 130u * 130u);
}

} // namespace
