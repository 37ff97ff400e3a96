// Building a GeoNode's vertices from its record lists: coordinate splits,
// sets, colours, transparency, textures and the kinds its name selects.
#include <gtest/gtest.h>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/vertex_channels.h"
#include "tests/desktop/scene/scene_test_support.h"

namespace lumivane {
namespace {

using test::Own;

// Two triangles sharing an edge; position 1 is used with two coordinates.
GeoLists SharedEdge() {
    GeoLists lists;
    lists.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    lists.indices = {0, 1, 2, 2, 1, 3};
    lists.texCoords = {0, 0, 1, 0, 0, 1, 1, 1, 0.5f, 0.5f};
    lists.texCoordIndices = {0, 1, 2, 2, 4, 3};
    return lists;
}

TEST(LvGeoBuild, APositionWithTwoCoordinatesSplits) {
    auto geo = Own(new GeoNode);
    ASSERT_TRUE(geo->BuildGeometry(SharedEdge(), ""));
    ASSERT_EQ(geo->vertexCount, 5);
    EXPECT_EQ(geo->Vertices()[4].position.x, 1.0f);
    EXPECT_EQ(geo->Vertices()[4].u, 0.5f);
    EXPECT_EQ(geo->Indices()[4], 4);
    EXPECT_EQ(geo->Indices()[1], 1);

    auto plain = Own(new GeoNode);
    plain->texCoordSwitch = 0;
    ASSERT_TRUE(plain->BuildGeometry(SharedEdge(), ""));
    EXPECT_EQ(plain->vertexCount, 4);
    EXPECT_EQ(plain->Vertices()[1].u, 0.0f);
}

TEST(LvGeoBuild, SetsDrawPrefixesAndMorphTargetsFollow) {
    GeoLists lists = SharedEdge();
    lists.positions.push_back({5, 5, 5}); // used by no set: dropped
    // Set 0: both triangles; set 1 (coarser): the second triangle only.
    lists.setIndices = {{0, 1, 2, 2, 1, 3}, {2, 1, 3}};
    lists.setTexCoordIndices = {{0, 1, 2, 2, 4, 3}, {2, 4, 3}};
    auto geo = Own(new GeoNode);
    auto* morph = new MorphChannel;
    morph->targets.push_back({"bulge", {{0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}, {5, 5, 6}}});
    geo->AddChannel(morph);
    int32_t before = GetModelLoadState().vertexCount;
    ASSERT_TRUE(geo->BuildGeometry(lists, ""));
    EXPECT_EQ(GetModelLoadState().vertexCount - before, 5);

    const GeoSets* sets = geo->Sets();
    ASSERT_NE(sets, nullptr);
    ASSERT_EQ(geo->vertexCount, 5);
    // The coarse set's vertices come first: positions 2, 1 (split) and 3.
    std::vector<int32_t> ranges = {5, 3};
    EXPECT_EQ(sets->drawRanges, ranges);
    std::vector<uint16_t> coarse = {0, 1, 2};
    EXPECT_EQ(sets->indices[1], coarse);
    EXPECT_EQ(geo->Vertices()[1].u, 0.5f);
    EXPECT_EQ(geo->indexCount, 6);
    for (uint16_t i : sets->indices[0])
        EXPECT_LT(i, 5);
    // Each target position moved with its vertex.
    ASSERT_EQ(morph->targets[0].positions.size(), 5u);
    for (int v = 0; v < 5; ++v) {
        EXPECT_EQ(morph->targets[0].positions[size_t(v)].x, geo->Vertices()[v].position.x) << v;
        EXPECT_EQ(morph->targets[0].positions[size_t(v)].z, 1.0f) << v;
    }
}

TEST(LvGeoBuild, IndicesPastTheirListsAreRefused) {
    GeoLists pastPositions = SharedEdge();
    pastPositions.indices[3] = 4;
    auto geo = Own(new GeoNode);
    EXPECT_FALSE(geo->BuildGeometry(pastPositions, ""));
    EXPECT_EQ(geo->vertexCount, 0);

    GeoLists pastPairs = SharedEdge();
    pastPairs.texCoordIndices[5] = 5;
    EXPECT_FALSE(geo->BuildGeometry(pastPairs, ""));
    GeoLists shortPairs = SharedEdge();
    shortPairs.texCoordIndices.pop_back();
    EXPECT_FALSE(geo->BuildGeometry(shortPairs, ""));
    geo->texCoordSwitch = 0; // coordinates unused: not checked
    EXPECT_TRUE(geo->BuildGeometry(shortPairs, ""));

    GeoLists badSet = SharedEdge();
    badSet.setIndices = {{0, 1, 2}, {7}};
    EXPECT_FALSE(geo->BuildGeometry(badSet, ""));

    // Splitting may not pass the 16-bit vertex limit.
    GeoLists crowded;
    crowded.positions = {{0, 0, 0}};
    for (int k = 0; k < kMaxVertices + 1; ++k) {
        crowded.indices.push_back(0);
        crowded.texCoordIndices.push_back(uint16_t(k % 60000));
    }
    crowded.texCoords.assign(60000 * 2, 0.0f);
    for (int k = 0; k < 60000; ++k)
        crowded.texCoords[size_t(k) * 2] = float(k);
    auto split = Own(new GeoNode);
    split->texCoordSwitch = 1;
    EXPECT_FALSE(split->BuildGeometry(crowded, ""));
}

TEST(LvGeoBuild, ColoursAlphaAndTransparency) {
    GeoLists lists = SharedEdge();
    lists.colours = {0xFF102030u, 0x40102030u, 0xFF000000u, 0xFF000000u};
    auto geo = Own(new GeoNode);
    ASSERT_TRUE(geo->BuildGeometry(lists, ""));
    EXPECT_EQ(geo->Vertices()[1].colour, 0x40102030u);
    EXPECT_TRUE(geo->transparent);
    EXPECT_EQ(geo->blendMode, 1);
    EXPECT_EQ(geo->depthWrite, 0);

    // Where the display cannot draw vertex alpha, alpha becomes grey.
    DisplaySwitches noAlpha;
    noAlpha.vertexAlpha = false;
    SetDisplaySwitches(&noAlpha);
    auto grey = Own(new GeoNode);
    ASSERT_TRUE(grey->BuildGeometry(lists, ""));
    SetDisplaySwitches(nullptr);
    EXPECT_EQ(grey->Vertices()[1].colour, 0xFF404040u);
    EXPECT_EQ(grey->Vertices()[0].colour, 0xFFFFFFFFu);

    auto record = Own(new GeoNode);
    record->colourMode = 3;
    record->red = 16;
    record->green = 300; // held to a byte
    record->blue = -5;
    record->alpha = 200;
    ASSERT_TRUE(record->BuildGeometry(SharedEdge(), ""));
    EXPECT_EQ(record->Vertices()[0].colour, 0xC810FF00u);
    EXPECT_TRUE(record->transparent);
    auto white = Own(new GeoNode);
    white->colourMode = 4;
    white->normalMode = 0;
    ASSERT_TRUE(white->BuildGeometry(SharedEdge(), ""));
    EXPECT_EQ(white->Vertices()[2].colour, 0xFFFFFFFFu);
    EXPECT_EQ(white->Vertices()[2].normal.x, 1.0f);
    EXPECT_FALSE(white->transparent);
}

TEST(LvGeoBuild, TexturesLoadByFileNameBelowModelTextures) {
    test::FakeTextureSource textures;
    textures.pixelKind = kPixelKindAlpha;
    textures.missing = {"models\\textures\\gone.dds"};
    auto geo = Own(new GeoNode);
    geo->SetTexturePath("C:\\art\\ships\\Hull.dds", 1);
    geo->SetSecondTexturePath("detail.dds");
    geo->detailTexture = 1;
    geo->detailScale = 4.0f;
    ASSERT_TRUE(geo->BuildGeometry(SharedEdge(), "models\\ship.vrn"));
    ASSERT_EQ(textures.requests.size(), 2u);
    EXPECT_EQ(textures.requests[0].first, "models\\textures\\Hull.dds");
    EXPECT_EQ(textures.requests[0].second, "models\\ship.vrn");
    ASSERT_NE(geo->texture, nullptr);
    EXPECT_NE(geo->detailTextureSet, nullptr);
    EXPECT_EQ(geo->envTextureSet, nullptr);
    EXPECT_TRUE(geo->transparent); // the texture has alpha pixels
    EXPECT_EQ(geo->Vertices()[1].u2, 4.0f);

    auto missing = Own(new GeoNode);
    missing->SetTexturePath("gone.dds");
    ASSERT_TRUE(missing->BuildGeometry(SharedEdge(), ""));
    EXPECT_EQ(missing->texture, nullptr);
    EXPECT_EQ(missing->textured, 1); // kept for saving the file again
    EXPECT_FALSE(missing->transparent);
}

TEST(LvGeoBuild, NamesSelectDrawingKinds) {
    struct Case {
        const char* name;
        int billboard, pane, kite;
    } cases[] = {{"BillboardPane", 1, 1, 0}, {"billboard", 1, 0, 0}, {"pane", 0, 1, 0},
                 {"kite", 0, 0, 1},          {"sunblock", 2, 2, 0},  {"hull", 0, 0, 0}};
    for (const Case& c : cases) {
        auto geo = Own(new GeoNode);
        geo->SetName(c.name);
        ASSERT_TRUE(geo->BuildGeometry(SharedEdge(), ""));
        EXPECT_EQ(geo->billboard, c.billboard) << c.name;
        EXPECT_EQ(geo->pane, c.pane) << c.name;
        EXPECT_EQ(geo->kite, c.kite) << c.name;
        EXPECT_EQ(geo->perFrameWork, c.billboard ? 1 : 0) << c.name;
    }
    auto scrolling = Own(new GeoNode);
    scrolling->AddChannel(new UVChannel);
    ASSERT_TRUE(scrolling->BuildGeometry(SharedEdge(), ""));
    EXPECT_EQ(scrolling->perFrameWork, 1);
}

TEST(LvGeoBuild, RotationsTurnNormalsOntoTheDisplaysAxis) {
    GeoLists lists = SharedEdge();
    lists.normals.assign(4, Vec3(0, 1, 0));
    DisplaySwitches rotations;
    rotations.vertexRotationMode = 1;
    SetDisplaySwitches(&rotations);
    auto geo = Own(new GeoNode);
    ASSERT_TRUE(geo->BuildGeometry(lists, ""));
    SetDisplaySwitches(nullptr);
    ASSERT_NE(geo->VertexRotations(), nullptr);
    Vec3 normal = geo->Vertices()[0].normal;
    geo->VertexRotations()[0].TransformVector(normal);
    EXPECT_NEAR(normal.z, 1.0f, 1e-3f);
    auto none = Own(new GeoNode);
    ASSERT_TRUE(none->BuildGeometry(lists, ""));
    EXPECT_EQ(none->VertexRotations(), nullptr);
}

} // namespace
} // namespace lumivane
