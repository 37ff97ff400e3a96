// The node family: the tree with counted children, look-ups, transformation,
// collapsing, counting, detaching and the fading text.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/light_node.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/trans_node.h"
#include "tests/desktop/scene/scene_test_support.h"

namespace lumivane {
namespace {

using test::Own;

Node* Named(Node* node, const char* name) {
    node->SetName(name);
    return node;
}

GeoNode* MakeGeo(const char* name, int positions, bool indexed) {
    auto* geo = new GeoNode;
    geo->SetName(name);
    geo->indexed = indexed ? 1 : 0;
    GeoLists lists;
    for (int i = 0; i < positions; ++i)
        lists.positions.push_back(Vec3(float(i), 0, 0));
    if (indexed)
        for (int i = 0; i + 2 < positions; i += 3)
            lists.indices.insert(lists.indices.end(),
                                 {uint16_t(i), uint16_t(i + 1), uint16_t(i + 2)});
    lists.texCoords.assign(size_t(positions) * 2, 0.0f);
    for (uint16_t i : lists.indices)
        lists.texCoordIndices.push_back(i);
    EXPECT_TRUE(geo->BuildGeometry(lists, "test"));
    return geo;
}

TEST(LvNodes, ChildrenAreCountedPerParent) {
    auto a = Own(new Node), b = Own(new Node);
    Node* child = new Node;
    a->AddChild(child);
    b->AddChild(child);
    EXPECT_EQ(child->ReferenceCount(), 2);
    a->RemoveChild(child);
    EXPECT_EQ(child->ReferenceCount(), 1);
    EXPECT_EQ(b->ChildAt(0), child);

    // A place past the end is refused, never stored uncounted.
    Node* spare = new Node;
    EXPECT_FALSE(b->SetChildAt(1, spare));
    EXPECT_EQ(b->ChildCount(), 1);
    EXPECT_TRUE(b->SetChildAt(0, spare));
    EXPECT_EQ(b->ChildAt(0), spare);
    EXPECT_EQ(spare->Parent(), b.get());
    EXPECT_TRUE(b->SetChildAt(0, spare)); // the same child: nothing changes
    EXPECT_EQ(spare->ReferenceCount(), 1);

    Node* other = new Node;
    b->InsertChildAfter(spare, other);
    b->InsertChildAfter(nullptr, Named(new Node, "last"));
    ASSERT_EQ(b->ChildCount(), 3);
    EXPECT_EQ(b->ChildAt(1), other);
    EXPECT_EQ(b->ChildAt(2)->Name(), "last");
    b->RemoveAllChildren();
    EXPECT_EQ(b->ChildCount(), 0);
}

TEST(LvNodes, NamesAreCutReusedAndLookedUpWithoutCase) {
    auto root = Own(Named(new TransNode, "root"));
    Node* arm = Named(new Node, "Arm");
    root->AddChild(arm);
    Node* hand = Named(new Node, "hand");
    arm->AddChild(hand);
    Node* second = Named(new Node, "ARM");
    hand->AddChild(second);
    root->AddChild(new Node); // nameless nodes are skipped
    root->AddChild(Named(new Node, "arm"));

    EXPECT_EQ(root->FindByName("arm"), arm);
    EXPECT_EQ(root->FindByNameNth("arm", 1), second);
    EXPECT_EQ(root->FindByNameNth("Arm", 2), root->ChildAt(2));
    EXPECT_EQ(root->FindByNameNth("arm", 3), nullptr);
    int count = 0;
    EXPECT_EQ(root->CountSameNameBefore(second, count), 1);
    EXPECT_EQ(count, 1);
    count = 0;
    auto stranger = Own(Named(new Node, "arm"));
    EXPECT_EQ(root->CountSameNameBefore(stranger.get(), count), 0);

    const char* buffer = hand->Name().data();
    hand->SetName("finger");
    EXPECT_EQ(hand->Name().data(), buffer); // an owned name reuses its buffer
    hand->SetName(std::string(40, 'x'));
    EXPECT_EQ(hand->Name().size(), 31u);
}

TEST(LvNodes, CollapseReplacesEmptyTransformsByTheirChildren) {
    auto root = Own(Named(new Node, "root"));
    root->AddChild(Named(new GeoNode, "before"));
    TransNode* empty = static_cast<TransNode*>(Named(new TransNode, "empty"));
    root->AddChild(empty);
    root->AddChild(Named(new GeoNode, "after"));
    root->AddChild(Named(new Node, "nothing")); // a plain node under a parent dissolves
    empty->AddChild(Named(new GeoNode, "one"));
    empty->AddChild(Named(new GeoNode, "two"));
    empty->AddChild(Named(new GeoNode, "three"));
    auto* anim = static_cast<FrameAnim*>(Named(new FrameAnim, "anim"));
    root->AddChild(anim);
    auto* moved = static_cast<TransNode*>(Named(new TransNode, "moved"));
    moved->local.MakeTranslation(1, 0, 0);
    root->AddChild(moved);
    auto* group = static_cast<Group*>(Named(new Group, "group"));
    group->AddChild(Named(new GeoNode, "inside"));
    root->AddChild(group);

    EXPECT_EQ(root->Collapse(nullptr, nullptr), root.get());
    const char* expected[] = {"before", "three", "two", "one", "after", "anim", "moved", "group"};
    ASSERT_EQ(root->ChildCount(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(root->ChildAt(i)->Name(), expected[i]) << i;
    EXPECT_EQ(root->ChildAt(1)->Parent(), root.get());
    EXPECT_EQ(root->ChildAt(5)->classId, uint8_t(ClassId::FrameAnim));
    EXPECT_EQ(root->ChildAt(6)->classId, uint8_t(ClassId::TransNode));
    // The group became a plain node holding its child.
    Node* plain = root->ChildAt(7);
    EXPECT_EQ(plain->classId, uint8_t(ClassId::Node));
    ASSERT_EQ(plain->ChildCount(), 1);
    EXPECT_EQ(plain->ChildAt(0)->Parent(), plain);
    EXPECT_EQ(plain->ReferenceCount(), 1);
}

TEST(LvNodes, CountVertPolyFollowsVisibility) {
    auto root = Own(new Node);
    GeoNode* loose = MakeGeo("loose", 9, false);
    root->AddChild(loose);
    int vertices = 0, polygons = 0;
    root->CountVertPoly(vertices, polygons);
    EXPECT_EQ(vertices, 9);
    EXPECT_EQ(polygons, 3);

    GeoNode* inner = MakeGeo("inner", 6, true);
    loose->AddChild(inner);
    loose->childrenVisible = 0;
    vertices = polygons = 0;
    root->CountVertPoly(vertices, polygons);
    EXPECT_EQ(vertices, 9); // the hidden subtree is skipped, the node itself counts
    loose->childrenVisible = 1;
    vertices = polygons = 0;
    root->CountVertPoly(vertices, polygons);
    EXPECT_EQ(vertices, 15);
    EXPECT_EQ(polygons, 5);
    loose->visible = 0;
    vertices = polygons = 0;
    root->CountVertPoly(vertices, polygons);
    EXPECT_EQ(vertices, 0);
}

TEST(LvNodes, TransformFoldsMatricesIntoGeometry) {
    auto root = Own(new TransNode);
    root->local.MakeTranslation(0, 5, 0);
    auto* spin = new TransNode;
    spin->local.MakeRotation(0, 0, std::sin(kPi / 4), std::cos(kPi / 4));
    root->AddChild(spin);
    GeoNode* geo = MakeGeo("geo", 3, true);
    spin->AddChild(geo);
    auto* animated = new TransNode;
    animated->local.MakeTranslation(1, 0, 0);
    auto* frames = new FrameChannel;
    frames->AddKey(Matrix(), 1);
    animated->AddChannel(frames);
    root->AddChild(animated);
    auto* light = new LightNode;
    root->AddChild(light);

    EXPECT_EQ(spin->GetWorldMatrix().m[13], 5.0f);
    root->Transform(TransformState{});
    EXPECT_TRUE(root->local.IsIdentity());
    EXPECT_TRUE(spin->local.IsIdentity());
    // (1, 0, 0) turned a quarter about Z, then raised by 5.
    const Vertex& v = geo->Vertices()[1];
    EXPECT_NEAR(v.position.x, 0, 1e-5f);
    EXPECT_NEAR(v.position.y, 6, 1e-5f);
    // A node with frame keys keeps its matrix, which takes the parent's in.
    EXPECT_EQ(animated->local.m[12], 1.0f);
    EXPECT_EQ(animated->local.m[13], 5.0f);
    EXPECT_EQ(frames->matrices[0].m[13], 5.0f);
    EXPECT_EQ(light->local.m[13], 5.0f);

    // Keeping locals leaves matrices and normals where they are.
    auto kept = Own(new TransNode);
    kept->local.MakeTranslation(2, 0, 0);
    GeoNode* keptGeo = MakeGeo("kept", 3, true);
    kept->AddChild(keptGeo);
    TransformState state;
    state.keepLocals = true;
    kept->Transform(state);
    EXPECT_EQ(kept->local.m[12], 2.0f);
    EXPECT_EQ(keptGeo->Vertices()[0].position.x, 2.0f);
}

TEST(LvNodes, AnimTextFadesInAndOutAndLeavesAfterTheWalk) {
    SceneClock& clock = GetSceneClock();
    auto parent = Own(new Node);
    auto* text = static_cast<AnimText*>(Named(new AnimText, "label"));
    GeoLists quad;
    quad.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    quad.colours.assign(4, 0xFF336699u);
    quad.indices = {0, 1, 2, 2, 1, 3};
    quad.texCoords.assign(8, 0.0f);
    quad.texCoordIndices = quad.indices;
    ASSERT_TRUE(text->BuildGeometry(quad, "fonts"));
    parent->AddChild(text);

    clock.gameTime = 10000;
    text->StartAnimation();
    text->Update();
    EXPECT_EQ(text->Vertices()[0].colour, 0x00336699u);
    clock.gameTime = 10502;
    text->Update();
    EXPECT_EQ(text->Vertices()[3].colour >> 24, 128u);
    EXPECT_TRUE(text->animating);
    clock.gameTime = 11000;
    text->Update();
    EXPECT_EQ(text->Vertices()[0].colour, 0xFF336699u);
    EXPECT_FALSE(text->animating);

    text->ScheduleFadeOut(500);
    clock.gameTime = 11400; // not yet begun
    text->Update();
    EXPECT_EQ(text->Vertices()[0].colour >> 24, 255u);
    clock.gameTime = 11500 + 502;
    text->Update();
    EXPECT_EQ(text->Vertices()[0].colour >> 24, 127u);
    clock.gameTime = 13000;
    text->Update();
    EXPECT_FALSE(text->visible);
    EXPECT_FALSE(text->fadeOut);
    // Still a child until the walk is over.
    EXPECT_EQ(parent->ChildAt(0), text);
    FlushDeferredRemovals();
    EXPECT_EQ(parent->ChildCount(), 0);
    clock.gameTime = 0;
}

TEST(LvNodes, DetachVerticesGivesAClonesOwnCopy) {
    auto prototype = Own(MakeGeo("shape", 3, true));
    auto clone = Own(static_cast<GeoNode*>(prototype->Clone()));
    ASSERT_TRUE(clone->sharesVertices);
    EXPECT_EQ(clone->Vertices(), prototype->Vertices());
    clone->DetachVertices(false);
    EXPECT_FALSE(clone->sharesVertices);
    ASSERT_NE(clone->Vertices(), nullptr);
    EXPECT_NE(clone->Vertices(), prototype->Vertices());
    clone->Vertices()[0].position.x = 42;
    EXPECT_EQ(prototype->Vertices()[0].position.x, 0.0f);
    clone->DetachVertices(true); // no longer sharing: nothing happens
    EXPECT_NE(clone->Vertices(), nullptr);

    auto dropped = Own(static_cast<GeoNode*>(prototype->Clone()));
    dropped->DetachVertices(true);
    EXPECT_EQ(dropped->Vertices(), nullptr);
}

} // namespace
} // namespace lumivane
