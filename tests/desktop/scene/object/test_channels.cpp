// Channels and the sequencer: playing and advancing sequences, channel
// times, key search, key reduction and what each kind does to a node.
#include <gtest/gtest.h>

#include <array>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/object/texture_channels.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/object/vertex_channels.h"
#include "tests/desktop/scene/scene_test_support.h"

namespace lumivane {
namespace {

using test::Own;

class LvChannelsTest : public ::testing::Test {
protected:
    void TearDown() override { GetSceneClock() = SceneClock{}; }
    void Step(float seconds, uint32_t ms) {
        GetSceneClock().frameTime = seconds;
        GetSceneClock().gameTime += ms;
    }
};

Sequence Seq(const char* name, int group, float start, float end, std::vector<int32_t> use = {}) {
    return Sequence{name, group, start, end, std::move(use)};
}

Matrix Moved(float x) {
    Matrix m;
    m.MakeTranslation(x, 0, 0);
    return m;
}

// A textured quad whose clone animates its vertices.
GeoNode* Quad(test::FakeTextureSource&) {
    auto* geo = new GeoNode;
    geo->indexed = 1;
    geo->SetTexturePath("quad.dds");
    GeoLists lists;
    lists.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    lists.colours = {0xFF000000u, 0x80000000u, 0xFF000000u, 0xFF000000u};
    lists.indices = {0, 1, 2, 2, 1, 3};
    lists.texCoords = {0, 0, 1, 0, 0, 1, 1, 1};
    lists.texCoordIndices = lists.indices;
    EXPECT_TRUE(geo->BuildGeometry(lists, "quad.vrn"));
    return geo;
}

using LvChannels = LvChannelsTest;

// Sees the vertices a clone builds for one animation step.
class CapturingEntity : public Entity {
public:
    void NodeCallback(GeoNode* node, Vertex* vertices) override {
        seen.assign(vertices, vertices + node->vertexCount);
    }
    std::vector<Vertex> seen;
};

TEST_F(LvChannels, LoopingWrapsMoreThanOnceAndEmptyRangesDoNotHang) {
    auto sequencer = Own(new Sequencer);
    sequencer->AddSequence(Seq("spin", 0, 1.0f, 2.0f));
    sequencer->AddSequence(Seq("empty", 1, 3.0f, 3.0f));
    sequencer->AddSequence(Seq("backwards", 2, 5.0f, 4.0f));
    auto states = sequencer->CreateStates();
    sequencer->Play("spin", states, 1);
    sequencer->Play("EMPTY", states, 1);
    sequencer->Play("backwards", states, 1);
    states[0].time = 1.9f;
    Step(1.3f, 1300);
    sequencer->Advance(states);
    EXPECT_NEAR(states[0].time, 1.2f, 1e-5f); // 3.2 wrapped twice
    EXPECT_EQ(states[0].stamp, 1300u);
    EXPECT_EQ(states[1].time, 3.0f);
    EXPECT_EQ(states[2].time, 5.0f);
    Step(1e9f, 100);
    sequencer->Advance(states);
    EXPECT_GE(states[0].time, 1.0f);
    EXPECT_LT(states[0].time, 2.0f);
}

TEST_F(LvChannels, OnceReportsDoneAfterItsEndAndStopsAFrameLater) {
    auto sequencer = Own(new Sequencer);
    sequencer->AddSequence(Seq("fire", 0, 0.0f, 1.0f));
    sequencer->AddSequence(Seq("idle", 0, 2.0f, 3.0f));
    auto states = sequencer->CreateStates();
    EXPECT_EQ(sequencer->IsDone("nothing", states), 1);
    sequencer->Play("idle", states, 1);
    sequencer->Play("fire", states, 0);
    EXPECT_FALSE(states[1].playing); // same group, looping or not
    EXPECT_EQ(sequencer->IsDone("idle", states), 1);
    EXPECT_EQ(sequencer->IsDone("fire", states), 0);
    Step(0.6f, 600);
    sequencer->Advance(states);
    EXPECT_EQ(sequencer->IsDone("fire", states), 0);
    Step(0.6f, 600);
    sequencer->Advance(states);
    EXPECT_EQ(states[0].time, 1.0f);
    EXPECT_TRUE(states[0].playing);
    EXPECT_EQ(sequencer->IsDone("fire", states), 1);
    Step(0.6f, 600);
    sequencer->Advance(states);
    EXPECT_FALSE(states[0].playing);
    EXPECT_EQ(sequencer->Stop("idle", states), 1);
    EXPECT_EQ(sequencer->Stop("none", states), -1);
}

TEST_F(LvChannels, ChannelTimeComesFromThePlayingOrLatestSequence) {
    auto sequencer = Own(new Sequencer);
    auto* a = new Channel;
    auto* b = new Channel;
    auto* unused = new Channel;
    sequencer->AddChannel(a);
    sequencer->AddChannel(b);
    sequencer->AddChannel(unused);
    sequencer->AddSequence(Seq("one", 0, 1.0f, 2.0f, {1, 1, 0}));
    sequencer->AddSequence(Seq("two", 1, 5.0f, 6.0f, {1, 0, 0}));
    auto states = sequencer->CreateStates();
    auto stranger = Own(new Channel);
    EXPECT_EQ(sequencer->GetChannelTime(states, stranger.get()), 0.0f);
    EXPECT_EQ(sequencer->GetChannelTime(states, unused), -1.0f);
    // Nothing played yet: equal stamps, the lower index wins.
    EXPECT_EQ(sequencer->GetChannelTime(states, a), 0.0f);
    sequencer->Play("one", states, 1);
    sequencer->Play("two", states, 1);
    EXPECT_EQ(sequencer->GetChannelTime(states, a), 5.0f); // highest playing
    EXPECT_EQ(sequencer->GetChannelTime(states, b), 1.0f);
    Step(0.25f, 1000);
    sequencer->Advance(states);
    sequencer->Stop("two", states);
    Step(0.25f, 1000);
    sequencer->Advance(states); // "one" advances again: its stamp is later
    sequencer->Stop("one", states);
    EXPECT_EQ(sequencer->GetChannelTime(states, a), 1.5f);
}

TEST_F(LvChannels, FrameKeysHoldMoveAndReduce) {
    auto node = Own(new TransNode);
    auto* channel = new FrameChannel;
    channel->AddKey(Moved(0), 2);   // frames 0-1: hold
    channel->AddKey(Moved(10), -4); // frames 2-5: move to the next key
    channel->AddKey(Moved(50), 1);
    node->AddChannel(channel);
    ChannelState& state = node->Channels()->states[0];
    channel->Apply(node.get(), state, 1.0f / 30);
    EXPECT_EQ(node->local.m[12], 0.0f);
    channel->Apply(node.get(), state, 4.0f / 30);
    EXPECT_NEAR(node->local.m[12], 30.0f, 1e-3f);
    node->local.m[12] = -1; // the same time again changes nothing
    channel->Apply(node.get(), state, -1.0f);
    EXPECT_EQ(node->local.m[12], -1.0f);
    channel->Apply(node.get(), state, 100.0f);
    EXPECT_EQ(node->local.m[12], 50.0f);

    // Unequal lists and no keys read nothing out of range.
    channel->matrices.resize(1);
    channel->Apply(node.get(), state, 3.0f / 30);
    channel->matrices.clear();
    channel->Apply(node.get(), state, 0.5f);

    // One key a frame of a steady move shrinks to pieces that still start
    // at every sequence boundary and pass through the same places.
    auto sampled = Own(new FrameChannel);
    for (int f = 0; f < 20; ++f)
        sampled->AddKey(Moved(float(f)), 1);
    sampled->ReduceKeys({-1, 0, 8, 7, 8, 19});
    std::vector<int32_t> expected = {-6, -1, -1, -6, -5, -1};
    EXPECT_EQ(sampled->durations, expected);
    auto probe = Own(new TransNode);
    ChannelState probeState;
    for (int f = 0; f < 20; ++f) {
        sampled->Apply(probe.get(), probeState, (float(f) + 0.5f) / 30);
        EXPECT_NEAR(probe->local.m[12], f == 19 ? 19.0f : f + 0.5f, 1e-4f) << f;
    }
}

TEST_F(LvChannels, ResizeKeysMergesTheStartAndDropsTheTail) {
    auto channel = Own(new FrameChannel);
    for (int k = 0; k < 6; ++k)
        channel->AddKey(Moved(float(k)), 2);
    channel->ResizeKeys(4, 6); // keys start at 0, 2, 4, 6, 8, 10
    std::vector<int32_t> durations = {4, 2, 2, 2};
    EXPECT_EQ(channel->durations, durations);
    EXPECT_EQ(channel->matrices[0].m[12], 0.0f);
    EXPECT_EQ(channel->matrices[1].m[12], 2.0f);
    EXPECT_EQ(channel->matrices.size(), 4u);
}

TEST_F(LvChannels, MorphBlendsTargetsItHas) {
    auto geo = Own(new GeoNode);
    GeoLists lists;
    lists.positions.assign(3, Vec3(9, 9, 9));
    lists.texCoords.assign(6, 0.0f);
    ASSERT_TRUE(geo->BuildGeometry(lists, ""));
    auto* morph = new MorphChannel;
    morph->targets.push_back({"a", {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}});
    morph->targets.push_back({"short", {{0, 10, 0}}});
    std::array<float, kMorphWeights> start{}, end{};
    start[0] = 1.0f;
    end[0] = 0.5f;
    end[1] = 1.0f;
    morph->AddKey(0.0f, start);
    morph->AddKey(2.0f, end);
    geo->AddChannel(morph);
    ChannelState& state = geo->Channels()->states[0];
    morph->Apply(geo.get(), state, 1.0f);
    EXPECT_NEAR(geo->Vertices()[0].position.x, 0.75f, 1e-5f);
    EXPECT_NEAR(geo->Vertices()[0].position.y, 5.0f, 1e-5f);
    EXPECT_NEAR(geo->Vertices()[2].position.x, 2.25f, 1e-5f);
    EXPECT_EQ(geo->Vertices()[2].position.y, 0.0f); // the short target lacks it
    // Targets past the 23 weights of a key take no part.
    while (morph->targets.size() < kMorphWeights)
        morph->targets.push_back({"idle", {}});
    morph->targets.push_back({"extra", {{100, 100, 100}, {100, 100, 100}, {100, 100, 100}}});
    morph->Apply(geo.get(), state, 1.0f);
    EXPECT_NEAR(geo->Vertices()[0].position.x, 0.75f, 1e-5f);

    auto empty = Own(new MorphChannel);
    empty->Apply(geo.get(), state, 1.0f); // no keys: left alone
    EXPECT_NEAR(geo->Vertices()[0].position.x, 0.75f, 1e-5f);
}

TEST_F(LvChannels, VisibilityFadesSubtreesAndVertexAlpha) {
    test::FakeTextureSource textures;
    auto root = Own(new TransNode);
    root->AddChild(new Node);
    auto* vis = new VisChannel;
    vis->AddKey(0.0f, 0.0f);
    vis->AddKey(1.0f, 1.0f);
    root->AddChannel(vis);
    ChannelState& state = root->Channels()->states[0];
    vis->Apply(root.get(), state, 0.001f);
    EXPECT_EQ(root->visible, 0); // 0.001 x 255 truncates to 0
    EXPECT_EQ(root->ChildAt(0)->visible, 0);
    vis->Apply(root.get(), state, 0.5f);
    EXPECT_EQ(root->ChildAt(0)->visible, 1);

    auto prototype = Own(Quad(textures));
    prototype->AddChannel(vis);
    auto copy = Own(static_cast<GeoNode*>(prototype->Clone()));
    auto entity = Own(new CapturingEntity);
    auto* sequencer = new Sequencer;
    sequencer->AddChannel(vis);
    sequencer->AddSequence(Seq("fade", 0, 0.0f, 1.0f, {1}));
    entity->SetSequencer(sequencer);
    entity->sequenceStates[0].playing = 1;
    entity->sequenceStates[0].time = 0.5f;
    copy->Animate(entity.get()); // builds its vertices in the scratch array
    EXPECT_EQ(copy->Vertices(), nullptr);
    EXPECT_TRUE(copy->visible);
    EXPECT_TRUE(copy->transparent);
    ASSERT_EQ(entity->seen.size(), 4u);
    // Alpha scales the prototype's: 255 and 128 at level 127.
    EXPECT_EQ(entity->seen[0].colour >> 24, 127u);
    EXPECT_EQ(entity->seen[1].colour >> 24, 127u * 128 / 255);
    EXPECT_EQ(prototype->Vertices()[0].colour >> 24, 255u);

    vis->step = 1; // the earlier key instead of a blend
    copy->Animate(entity.get());
    EXPECT_FALSE(copy->visible);
}

TEST_F(LvChannels, UVOffsetsSlideCoordinatesAtTenKeysASecond) {
    test::FakeTextureSource textures;
    auto prototype = Own(Quad(textures));
    auto* uv = new UVChannel;
    uv->axis = 1;
    uv->offsets = {0.0f, 1.0f, 3.0f};
    prototype->AddChannel(uv);
    auto copy = Own(static_cast<GeoNode*>(prototype->Clone()));
    auto entity = Own(new CapturingEntity);
    auto* sequencer = new Sequencer;
    sequencer->AddChannel(uv);
    sequencer->AddSequence(Seq("scroll", 0, 0.0f, 10.0f, {1}));
    entity->SetSequencer(sequencer);
    entity->sequenceStates[0].playing = 1;
    entity->sequenceStates[0].time = 0.15f;
    copy->Animate(entity.get());
    ASSERT_EQ(entity->seen.size(), 4u);
    EXPECT_NEAR(entity->seen[2].v, 1.0f + 2.0f, 1e-5f); // halfway between 1 and 3
    EXPECT_EQ(entity->seen[2].u, 0.0f);
    EXPECT_EQ(prototype->Vertices()[2].v, 1.0f); // the prototype is untouched
    entity->sequenceStates[0].time = 9.0f;       // past the end: the last offset
    copy->Animate(entity.get());
    EXPECT_NEAR(entity->seen[0].v, 3.0f, 1e-5f);

    auto none = Own(new UVChannel);
    auto held = Own(static_cast<GeoNode*>(prototype->Clone()));
    ChannelState state;
    none->Apply(held.get(), state, 0.1f); // no offsets, no vertices: left alone
    EXPECT_EQ(held->Vertices(), nullptr);
}

TEST_F(LvChannels, TextureFramesRoundHalvesToEvenAndStayInTheSet) {
    test::FakeTextureSource textures;
    textures.frames = 4;
    auto geo = Own(Quad(textures));
    auto* anim = new TexAnimChannel;
    anim->AddKey(0.0f, 2);
    anim->AddKey(1.0f, 3);
    anim->AddKey(2.0f, 1);
    anim->AddKey(3.0f, 3);
    anim->AddKey(4.0f, 9);
    anim->AddKey(5.0f, -4);
    geo->AddChannel(anim);
    ChannelState state;
    auto frameAt = [&](float t) {
        anim->Apply(geo.get(), state, t);
        return geo->textureFrame;
    };
    EXPECT_EQ(frameAt(0.0f), 2);
    EXPECT_EQ(frameAt(0.5f), 3); // 2 + 0.5 + 0.5
    EXPECT_EQ(frameAt(2.5f), 2); // 1 + 1 + 0.5 rounds to even
    EXPECT_EQ(frameAt(4.0f), 3); // 9 is past the set
    EXPECT_EQ(frameAt(6.0f), 0); // -4 before it
    geo->textureFrame = 1;
    EXPECT_EQ(frameAt(-1.0f), 1); // unchanged time: no work

    auto* morph = new TexMorphChannel;
    morph->AddKey(0.0f, 1);
    morph->AddKey(1.0f, 3);
    geo->AddChannel(morph);
    ChannelState morphState;
    TextureSet* base = geo->texture;
    morph->Apply(geo.get(), morphState, 0.75f);
    EXPECT_TRUE(geo->blending);
    EXPECT_EQ(geo->textureFrame, 1);
    EXPECT_EQ(geo->secondTextureFrame, 3);
    EXPECT_FLOAT_EQ(geo->blendFactor, 0.75f);
    morph->Apply(geo.get(), morphState, -1.0f); // standing still settles the blend
    EXPECT_FALSE(geo->blending);
    EXPECT_EQ(geo->textureFrame, 3);
    EXPECT_EQ(geo->texture, base);
    morph->Apply(geo.get(), morphState, 5.0f);
    EXPECT_EQ(geo->textureFrame, 3);
    EXPECT_EQ(geo->secondTextureFrame, 0); // 4 is out of the set
}

} // namespace
} // namespace lumivane
