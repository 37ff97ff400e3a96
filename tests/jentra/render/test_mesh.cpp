// The mesh on the CPU: list and strip forms and their face queries, strips
// that draw the list's faces with every vertex kept, the model record
// (byte-identical round trips, damaged records refused), bump matrices and
// their seam rule, and copies that own their buffers.
#include "Jentra/JTMesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "Jentra/JTFile.h"
#include "Jentra/JTClassMap.h"
#include "mesh_fixtures.h"

namespace {

using mesh_test::Grid;
using mesh_test::LoadMesh;
using mesh_test::SaveMesh;

using Corner = std::array<float, 5>; // x, y, z, u, v
using Face = std::array<Corner, 3>;

// A face turned so that its smallest corner leads; the winding stays.
Face Canonical(const Vert1& a, const Vert1& b, const Vert1& c) {
    Face f = {Corner{a.x, a.y, a.z, a.u, a.v}, Corner{b.x, b.y, b.z, b.u, b.v},
              Corner{c.x, c.y, c.z, c.u, c.v}};
    size_t lead = size_t(std::min_element(f.begin(), f.end()) - f.begin());
    std::rotate(f.begin(), f.begin() + long(lead), f.end());
    return f;
}

// The faces a mesh draws in its current form, as corners: the strip read as
// a GL strip (odd triangles backwards, degenerate ones skipped).
std::map<Face, int> DrawnFaces(JTMesh& mesh) {
    std::map<Face, int> faces;
    mesh.LockSMBuffers(true);
    const Vert1* v = mesh.GetSMVerts();
    if (!mesh.GetUseStrip()) {
        const unsigned short* list = mesh.GetSMInds();
        for (unsigned i = 0; i + 2 < mesh.GetNumListIndices(); i += 3)
            ++faces[Canonical(v[list[i]], v[list[i + 1]], v[list[i + 2]])];
    } else {
        for (unsigned f = 0; f < mesh.GetNumStripIndices() - 2; ++f) {
            unsigned short *a, *b, *c;
            if (!mesh.GetFaceIndices(f, &a, &b, &c)) continue;
            if (f % 2) std::swap(a, b);
            ++faces[Canonical(v[*a], v[*b], v[*c])];
        }
    }
    mesh.UnlockSMBuffers();
    return faces;
}

std::map<Face, int> LeftoverFaces(JTMesh& mesh) {
    std::map<Face, int> faces;
    mesh.LockSMBuffers(true);
    unsigned stripFaces = mesh.GetNumStripIndices() - 2;
    for (unsigned f = stripFaces; f < mesh.GetNumFaces(); ++f) {
        Vert1 *a, *b, *c;
        EXPECT_TRUE(mesh.GetFaceVertices(f, &a, &b, &c));
        ++faces[Canonical(*a, *b, *c)];
    }
    mesh.UnlockSMBuffers();
    return faces;
}

class MeshTest : public ::testing::Test {
protected:
    void SetUp() override { JTRegisterClass<JTMesh>(); }
};

TEST_F(MeshTest, FormsAnswerOnlyForWhatExists) {
    JTMesh mesh;
    mesh_test::GridData grid = Grid(2);
    ASSERT_TRUE(mesh.CreateBuffersFromData(nullptr, grid.vertices.data(), grid.VertexCount(),
                                           grid.indices.data(), grid.IndexCount(), false, false));
    EXPECT_FALSE(mesh.SetUseStrip(true)); // no strip yet
    EXPECT_FALSE(mesh.GetUseStrip());
    EXPECT_EQ(mesh.GetNumFaces(), 8u);
    EXPECT_EQ(mesh.GetNumIndices(), 24u);
    EXPECT_NEAR(mesh.GetBound(), std::sqrt(2.0f), 1e-5f);

    // Indices past the vertices are refused and leave the mesh as it was.
    const unsigned short bad[3] = {0, 1, 9};
    EXPECT_FALSE(
        mesh.CreateBuffersFromData(nullptr, grid.vertices.data(), 9, bad, 3, false, false));
    EXPECT_EQ(mesh.GetNumFaces(), 8u);

    ASSERT_TRUE(mesh.CreateStrip(nullptr));
    EXPECT_TRUE(mesh.GetUseStrip());
    EXPECT_FALSE(mesh.CreateStrip(nullptr)); // a strip exists already
    mesh.DeleteList();
    EXPECT_FALSE(mesh.HasList());
    EXPECT_FALSE(mesh.SetUseStrip(false));
    EXPECT_TRUE(mesh.GetUseStrip());
    mesh.DeleteStrip();
    EXPECT_EQ(mesh.GetNumFaces(), 0u);
    EXPECT_EQ(mesh.GetNumIndices(), 0u);
}

TEST_F(MeshTest, StripDrawsTheListsFacesAndKeepsEveryVertex) {
    mesh_test::GridData grid = Grid(6);
    // A vertex no face uses, and a degenerate face: both survive renumbering.
    grid.vertices.push_back({7, 7, 7, 0, 0, -1, 0.5f, 0.5f});
    grid.indices.insert(grid.indices.end(), {0, 0, 1});
    const std::vector<Vert1> before(grid.vertices);
    JTMesh mesh;
    ASSERT_TRUE(mesh.CreateBuffersFromData(nullptr, grid.vertices.data(), grid.VertexCount(),
                                           grid.indices.data(), grid.IndexCount(), false, true));
    std::map<Face, int> listed = DrawnFaces(mesh);
    std::vector<JTMatrix> bumps(mesh.GetBumpMatrices(), mesh.GetBumpMatrices() + before.size());

    ASSERT_TRUE(mesh.CreateStrip(nullptr));
    ASSERT_TRUE(mesh.GetUseStrip());
    std::map<Face, int> drawn = DrawnFaces(mesh);
    for (const auto& [face, n] : LeftoverFaces(mesh))
        drawn[face] += n;
    std::map<Face, int> solid;
    for (const auto& [face, n] : listed)
        if (face[0] != face[1] && face[1] != face[2] && face[0] != face[2]) solid[face] = n;
    EXPECT_EQ(drawn, solid);

    // The list form still draws every face it drew, the degenerate one too.
    ASSERT_TRUE(mesh.SetUseStrip(false));
    EXPECT_EQ(DrawnFaces(mesh), listed);

    // Every slot holds one of the original vertices, each exactly once, and
    // the bump matrices moved with their vertices.
    auto key = [](const Vert1& v) { return Corner{v.x, v.y, v.z, v.u, v.v}; };
    std::map<Corner, unsigned> oldSlot;
    for (unsigned i = 0; i < before.size(); ++i)
        oldSlot[key(before[i])] = i;
    std::map<Corner, int> seen;
    ASSERT_EQ(mesh.GetNumVertices(), before.size());
    for (unsigned i = 0; i < mesh.GetNumVertices(); ++i) {
        Vert1 v;
        ASSERT_TRUE(mesh.GetVertex(i, v));
        ++seen[key(v)];
        ASSERT_TRUE(oldSlot.count(key(v)));
        EXPECT_EQ(
            std::memcmp(&mesh.GetBumpMatrices()[i], &bumps[oldSlot[key(v)]], sizeof(JTMatrix)), 0);
    }
    EXPECT_EQ(seen.size(), before.size());
}

TEST_F(MeshTest, StripFaceQueriesReachTheLeftoversAndSpotDegenerateFaces) {
    // Strip (0 1 2 2 3): faces 012, 122 (degenerate), 223 (degenerate);
    // leftover face 3 4 5.
    std::vector<Vert1> v(6);
    for (int i = 0; i < 6; ++i)
        v[size_t(i)] = {float(i), 0, 0, 0, 0, -1, 0, 0};
    std::vector<unsigned char> bytes =
        mesh_test::MeshRecord(v, {}, {0, 1, 2, 2, 3}, {3, 4, 5}, true);
    JTMesh* mesh = LoadMesh(bytes);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetNumFaces(), 4u);
    mesh->LockSMBuffers(true);
    unsigned short *a, *b, *c;
    EXPECT_TRUE(mesh->GetFaceIndices(0, &a, &b, &c));
    EXPECT_FALSE(mesh->GetFaceIndices(1, &a, &b, &c));
    EXPECT_TRUE(mesh->GetFaceIndices(3, &a, &b, &c));
    EXPECT_EQ(*a, 3);
    EXPECT_EQ(*c, 5);
    EXPECT_FALSE(mesh->GetFaceIndices(4, &a, &b, &c)); // past the last face
    mesh->UnlockSMBuffers();
    delete mesh;
}

TEST_F(MeshTest, RecordsRoundTripByteForByte) {
    mesh_test::GridData grid = Grid(5);
    JTMesh mesh;
    ASSERT_TRUE(mesh.CreateBuffersFromData(nullptr, grid.vertices.data(), grid.VertexCount(),
                                           grid.indices.data(), grid.IndexCount(), false, true));
    ASSERT_TRUE(mesh.CreateStrip(nullptr));
    ASSERT_GT(mesh.GetNumLeftoverIndices() + mesh.GetNumStripIndices(), 0u);
    std::vector<unsigned char> first = SaveMesh(mesh);
    JTMesh* loaded = LoadMesh(first);
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(loaded->GetUseStrip());
    EXPECT_TRUE(loaded->HasBumpMatrices());
    EXPECT_EQ(loaded->GetNumLeftoverIndices(), mesh.GetNumLeftoverIndices());
    EXPECT_EQ(SaveMesh(*loaded), first);
    delete loaded;

    // A strip with leftovers written by hand keeps its leftovers in place.
    std::vector<Vert1> v(4, Vert1{0, 0, 0, 0, 0, -1, 0, 0});
    for (int i = 0; i < 4; ++i)
        v[size_t(i)].x = float(i);
    std::vector<unsigned char> record =
        mesh_test::MeshRecord(v, {0, 1, 2}, {0, 1, 2}, {1, 2, 3}, false);
    JTMesh* small = LoadMesh(record);
    ASSERT_NE(small, nullptr);
    EXPECT_FALSE(small->GetUseStrip());
    EXPECT_EQ(SaveMesh(*small), record);
    delete small;
}

TEST_F(MeshTest, DamagedRecordsAreRefused) {
    std::vector<Vert1> v(3, Vert1{0, 0, 0, 0, 0, -1, 0, 0});
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
    } cases[] = {
        {"index past the vertices", mesh_test::MeshRecord(v, {0, 1, 3}, {}, {}, false)},
        {"strip of two", mesh_test::MeshRecord(v, {0, 1, 2}, {0, 1}, {}, true)},
        {"leftover past the vertices", mesh_test::MeshRecord(v, {}, {0, 1, 2}, {0, 1, 7}, true)},
        {"strip in use without one", mesh_test::MeshRecord(v, {0, 1, 2}, {}, {}, true)},
        {"too many vertices", mesh_test::VertexCountRecord(70000)},
        {"vertices beyond the data", mesh_test::VertexCountRecord(500)},
    };
    for (const Case& c : cases) {
        JTMesh* mesh = LoadMesh(c.bytes);
        EXPECT_EQ(mesh, nullptr) << c.what;
        delete mesh;
    }
    // Every cut of a good record is refused, never read past its end.
    std::vector<unsigned char> good = mesh_test::MeshRecord(v, {0, 1, 2}, {0, 1, 2}, {}, true);
    std::unique_ptr<JTMesh> whole(LoadMesh(good));
    ASSERT_NE(whole, nullptr);
    for (size_t cut = 0; cut < good.size(); ++cut) {
        std::vector<unsigned char> part(good.begin(), good.begin() + long(cut));
        EXPECT_EQ(LoadMesh(part), nullptr) << cut;
    }
}

// A quad in the xy plane facing -z (u along x, v down y), and a face in the
// yz plane whose first corner shares the quad's first position; its texture
// coordinates sit (du, dv) off the quad corner's, beyond whole repeats.
std::vector<Vert1> SeamMesh(float du, float dv) {
    return {
        {0, 1, 0, 0, 0, -1, 0, 0},           {1, 1, 0, 0, 0, -1, 1, 0},
        {0, 0, 0, 0, 0, -1, 0, 1},           {1, 0, 0, 0, 0, -1, 1, 1},
        {0, 1, 0, -1, 0, 0, 3 + du, dv},     {0, 1, 1, -1, 0, 0, 4 + du, dv},
        {0, 0, 0, -1, 0, 0, 3 + du, 1 + dv},
    };
}
const unsigned short kSeamFaces[] = {0, 1, 2, 2, 1, 3, 4, 5, 6};

JTMatrix SeamBump(float du, float dv, unsigned vertex) {
    std::vector<Vert1> v = SeamMesh(du, dv);
    JTMesh mesh;
    EXPECT_TRUE(mesh.CreateBuffersFromData(nullptr, v.data(), unsigned(v.size()), kSeamFaces, 9,
                                           false, true));
    return mesh.GetBumpMatrices()[vertex];
}

bool Near(const JTMatrix& a, const float (&b)[3][3]) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (std::fabs(a.m[r][c] - b[r][c]) > 1e-5f) return false;
    return true;
}

TEST_F(MeshTest, BumpMatricesFollowTheTextureAndSmoothAcrossSeams) {
    // The quad's frame: S = +x (u), T = -y (v grows downwards), N = -z, in
    // the columns of the turned matrix as (pi T - S, -pi S - T, N).
    const float pi = 3.1415927f;
    const float quad[3][3] = {{-1, -pi, 0}, {-pi, 1, 0}, {0, 0, -1}};
    JTMatrix corner = SeamBump(0.5f, 0.5f, 3);
    EXPECT_TRUE(Near(corner, quad));
    EXPECT_EQ(corner.m[3][3], 0.0f);
    EXPECT_EQ(corner.m[0][3], 0.0f);

    // Corner 0 alone keeps the quad's frame; smoothed with its twin it
    // leans towards the other face's.
    EXPECT_TRUE(Near(SeamBump(0.5f, 0.0f, 0), quad));
    EXPECT_FALSE(Near(SeamBump(0.09f, 0.005f, 0), quad)); // twins
    EXPECT_TRUE(Near(SeamBump(0.09f, 0.01f, 0), quad));   // v 0.01 apart: not
    EXPECT_TRUE(Near(SeamBump(0.11f, 0.0f, 0), quad));    // u 0.11 apart: not
}

TEST_F(MeshTest, AVertexOfNoFaceGetsAZeroMatrix) {
    std::vector<Vert1> v = SeamMesh(0.5f, 0.5f);
    const unsigned short faces[] = {0, 1, 2};
    JTMesh mesh;
    ASSERT_TRUE(
        mesh.CreateBuffersFromData(nullptr, v.data(), unsigned(v.size()), faces, 3, false, true));
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(mesh.GetBumpMatrices()[6].m[r][c], 0.0f);
    // A strip-only mesh has no list faces: nothing is accumulated.
    mesh_test::GridData grid = Grid(3);
    JTMesh stripOnly;
    ASSERT_TRUE(stripOnly.CreateBuffersFromData(nullptr, grid.vertices.data(), grid.VertexCount(),
                                                grid.indices.data(), grid.IndexCount(), false,
                                                false));
    ASSERT_TRUE(stripOnly.CreateStrip(nullptr));
    stripOnly.DeleteList();
    stripOnly.GenerateBumpMatrices(nullptr);
    ASSERT_TRUE(stripOnly.HasBumpMatrices());
    for (unsigned i = 0; i < stripOnly.GetNumVertices(); ++i)
        EXPECT_EQ(stripOnly.GetBumpMatrices()[i].m[2][2], 0.0f);
}

TEST_F(MeshTest, CopiesAndClonesOwnTheirData) {
    mesh_test::GridData grid = Grid(2);
    auto* mesh = new JTMesh;
    ASSERT_TRUE(mesh->CreateBuffersFromData(nullptr, grid.vertices.data(), grid.VertexCount(),
                                            grid.indices.data(), grid.IndexCount(), false, true));
    JTUnknown* clone = mesh->Clone();
    ASSERT_NE(clone, nullptr);
    ASSERT_EQ(clone->GetType(), JTMesh::nType);
    JTMesh copy(*mesh);
    delete mesh; // the copies keep working on their own data
    auto* cloned = static_cast<JTMesh*>(clone);
    EXPECT_EQ(cloned->GetNumFaces(), 8u);
    EXPECT_TRUE(cloned->CreateStrip(nullptr));
    EXPECT_EQ(copy.GetNumFaces(), 8u);
    EXPECT_FALSE(copy.HasStrip());
    delete clone;
}

TEST(MeshPacking, UnitVectorsBecomeColours) {
    EXPECT_EQ(JTVectorToARGB(JTVec3(0, 0, 1), 1.0f), 0xFF8080FFu);
    EXPECT_EQ(JTVectorToARGB(JTVec3(-1, 0, 0), 0.5f), 0x7F018080u);
    EXPECT_EQ(JTVectorToRGB565(JTVec3(0, 0, 1)),
              uint16_t((0x80 & 0xF8) << 8 | (0x80 & 0xFC) << 3 | 0xFF >> 3));
}

} // namespace

namespace {

// The mesh's own greedy strip covers every face of the list, with vertices
// renumbered in the order the strip first uses them.
TEST(MeshGreedyStrip, CoversEveryFaceAndNumbersVerticesInStripOrder) {
    mesh_test::GridData grid = Grid(4);
    grid.vertices.push_back({9, 9, 9, 0, 0, -1, 0, 0}); // used by no face
    std::vector<Vert1> before = grid.vertices;
    std::vector<unsigned short> indices = grid.indices;
    std::vector<unsigned short> strip;
    class Access : public JTMesh {
    public:
        using JTMesh::Stripify;
    };
    ASSERT_TRUE(Access::Stripify(indices.data(), unsigned(indices.size()), grid.vertices.data(),
                                 grid.VertexCount(), strip));
    int next = 0;
    for (unsigned short v : strip) {
        ASSERT_LE(int(v), next);
        if (v == next) ++next;
    }
    EXPECT_EQ(next, int(before.size()) - 1); // all but the unused vertex
    EXPECT_EQ(grid.vertices.back().x, 9.0f); // which comes last

    auto corners = [](const Vert1& v) { return std::array<float, 3>{v.x, v.y, v.z}; };
    using Tri = std::array<std::array<float, 3>, 3>;
    auto sorted = [](Tri t) {
        std::sort(t.begin(), t.end());
        return t;
    };
    std::map<Tri, int> listed, stripped;
    for (size_t i = 0; i < indices.size(); i += 3)
        ++listed[sorted({corners(grid.vertices[indices[i]]), corners(grid.vertices[indices[i + 1]]),
                         corners(grid.vertices[indices[i + 2]])})];
    for (size_t k = 0; k + 2 < strip.size(); ++k) {
        unsigned short a = strip[k], b = strip[k + 1], c = strip[k + 2];
        if (a == b || b == c || a == c) continue;
        stripped[sorted(
            {corners(grid.vertices[a]), corners(grid.vertices[b]), corners(grid.vertices[c])})] = 1;
    }
    for (const auto& [tri, n] : listed)
        EXPECT_TRUE(stripped.count(tri));
    EXPECT_EQ(listed.size(), 32u);

    const unsigned short bad[3] = {0, 1, 99};
    std::vector<unsigned short> badIndices(bad, bad + 3);
    EXPECT_FALSE(
        Access::Stripify(badIndices.data(), 3, grid.vertices.data(), grid.VertexCount(), strip));
}

} // namespace
