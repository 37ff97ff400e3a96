// Geometry nodes: the sink and squash vertex animations, the bound of a
// mesh under a matrix, and what a node records and queues while a frame is
// prepared and drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Jentra/JTGeoNode.h"
#include "tests/jentra/test_scene_support.h"

namespace {

class GeoNodeTest : public SceneTest {};

std::vector<Vert1> Column(int count, float x, float y, float z) {
    std::vector<Vert1> v(size_t(count), Vert1{x, y, z, 0, 1, 0, 0, 0});
    return v;
}

TEST_F(GeoNodeTest, SinkLowersVerticesWithAStaggerAndAWiderFall) {
    JTGeoNode node;
    node.SetSink(true);
    node.SetAnimStart(1000);
    gdwTime = 3000; // half-way: e = 0.5, P = 0.5^1.5
    const float p = std::pow(0.5f, 1.5f);

    std::vector<Vert1> v = Column(20, 0, 0, 0);
    v[1].x = 50.0f;  // far from the axis: k = 0.65
    v[2].y = -20.0f; // already deep: stops at the floor
    node.AnimateVerts(v.data(), int(v.size()));
    EXPECT_NEAR(v[0].y, -10.0f * p, 1e-5f);
    EXPECT_NEAR(v[19].y, -10.0f * p / 0.7625f, 1e-5f); // later in the stagger, lower
    EXPECT_LT(v[19].y, v[0].y);
    EXPECT_NEAR(v[1].y, -10.0f * p / 0.9875f / 0.65f, 1e-4f);
    EXPECT_FLOAT_EQ(v[2].y, -10.1f);
    EXPECT_EQ(v[1].x, 50.0f); // only Y moves

    // At e = 1 every vertex has arrived; the sink never ends on its own.
    gdwTime = 5000;
    std::vector<Vert1> w = Column(20, 0, 3, 0);
    node.AnimateVerts(w.data(), int(w.size()));
    EXPECT_FLOAT_EQ(w[0].y, -10.0f);
    EXPECT_FLOAT_EQ(w[19].y, -10.0f);
    EXPECT_TRUE(node.GetSink());
}

TEST_F(GeoNodeTest, SquashPressesTheTopDownAndEndsItself) {
    JTGeoNode node;
    node.SetSquash(true);
    node.SetAnimStart(4294967000u); // the game clock wraps during the squash
    std::vector<Vert1> v = Column(3, 0, 0, 0);
    v[0].y = 4.0f;
    v[1].y = 1.0f;
    v[2].y = -2.0f;

    gdwTime = 4294967000u + 500; // e = 0.25: the top comes down to half
    std::vector<Vert1> quarter = v;
    node.AnimateVerts(quarter.data(), 3);
    EXPECT_FLOAT_EQ(quarter[0].y, 2.0f);
    EXPECT_FLOAT_EQ(quarter[1].y, 1.0f);

    gdwTime = 704; // 1000 ms after the start, past the wrap: flat at 0
    std::vector<Vert1> flat = v;
    node.AnimateVerts(flat.data(), 3);
    EXPECT_FLOAT_EQ(flat[0].y, 0.0f);
    EXPECT_FLOAT_EQ(flat[1].y, 0.0f);
    EXPECT_FLOAT_EQ(flat[2].y, -2.0f);
    EXPECT_TRUE(node.GetSquash());

    gdwTime = 1704; // 2000 ms: over, nothing pressed
    std::vector<Vert1> done = v;
    node.AnimateVerts(done.data(), 3);
    EXPECT_FALSE(node.GetSquash());
    EXPECT_FLOAT_EQ(done[0].y, 4.0f);
}

TEST_F(GeoNodeTest, BoundIsMeshRadiusScaledPlusTheOffset) {
    JTNode group;
    auto* near = new JTGeoNode;
    auto* mesh = new TestMesh;
    mesh->AddFace(JTVec3(1, 0, 0), JTVec3(0, 1, 0), JTVec3(0, 0, 1));
    near->SetMesh(AsJTMesh(mesh));
    group.AddChild(near);
    group.AddChild(new JTGeoNode); // no mesh: no bound
    JTMatrix m = JTMatrixScaling(2, 2, 2) * JTMatrixTranslation(3, 4, 0);
    EXPECT_FLOAT_EQ(group.RecomputeBound(m), 2.0f + 5.0f);
    EXPECT_FLOAT_EQ(group.GetChild(1)->RecomputeBound(m), 0.0f);
}

TEST_F(GeoNodeTest, PreparationRecordsMatrixOpacityAndSortDistance) {
    JTGeoNode node;
    node.SetOpacity(0.5f);
    RecordingDrawQueue queue;
    queue.stack.push_back(JTMatrixTranslation(0, 0, 10));
    queue.cameraPos = JTVec3(0, 0, 2);
    queue.cameraDir = JTVec3(0, 0, 1);
    node.RenderPreProcess(&queue, nullptr, 1.0f);
    ASSERT_EQ(queue.queued.size(), 1u);
    EXPECT_TRUE(queue.queued[0].second); // faded: transparent
    EXPECT_FLOAT_EQ(node.GetRenderDist(), 8.0f);
    EXPECT_FLOAT_EQ(node.GetRenderMatrix().GetTranslation().z, 10.0f);

    // An opaque node is not sorted: it keeps the distance it had.
    node.SetOpacity(1.0f);
    queue.stack.back() = JTMatrixTranslation(0, 0, 50);
    node.RenderPreProcess(&queue, nullptr, 1.0f);
    ASSERT_EQ(queue.queued.size(), 2u);
    EXPECT_FALSE(queue.queued[1].second);
    EXPECT_FLOAT_EQ(node.GetRenderDist(), 8.0f);
    EXPECT_FLOAT_EQ(node.GetRenderMatrix().GetTranslation().z, 50.0f);
}

TEST_F(GeoNodeTest, DrawingIsDynamicWhileAVertexAnimationRuns) {
    JTGeoNode node;
    node.DrawPrimitives(nullptr); // no mesh: nothing drawn
    EXPECT_TRUE(parts.draws.empty());
    node.SetMesh(AsJTMesh(new TestMesh));
    node.DrawPrimitives(nullptr);
    node.SetSquash(true);
    node.DrawPrimitives(nullptr);
    node.SetSquash(false);
    node.SetSink(true);
    node.DrawPrimitives(nullptr);
    EXPECT_EQ(parts.draws, (std::vector<bool>{false, true, true}));

    RecordingDrawQueue queue;
    queue.shadow = true;
    node.Render(&queue);
    EXPECT_EQ(queue.shadowDrawn, std::vector<JTGeoNode*>{&node});
}

TEST_F(GeoNodeTest, ReplacingAnEffectLeavesTheOldOneToTheCaller) {
    TestEffect::alive = 0;
    auto* first = new TestEffect;
    auto* second = new TestEffect;
    {
        JTGeoNode node;
        node.SetEffect(AsJTEffect(first), true);
        // A caller that replaces an effect it handed over frees the old one
        // itself; the node must not free it as well.
        node.SetEffect(AsJTEffect(second), true);
        EXPECT_EQ(TestEffect::alive, 2);
        delete first;
        EXPECT_TRUE(node.OwnsEffect());
        // A clone owns a copy of its own.
        JTNode* clone = static_cast<JTNode*>(node.Clone());
        EXPECT_EQ(TestEffect::alive, 2);
        delete clone;
    }
    EXPECT_EQ(TestEffect::alive, 0); // the owned one went with the node
}

} // namespace
