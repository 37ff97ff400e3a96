// Sequence clocks, the sequencer's update rule, key search and the two
// channel kinds posing nodes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "Jentra/JTChannel.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTSequencer.h"
#include "Jentra/JTTransNode.h"
#include "tests/jentra/test_scene_support.h"

namespace {

void* FloatKey(float v) {
    auto* p = static_cast<float*>(std::malloc(sizeof(float)));
    *p = v;
    return p;
}

void* MatrixKey(const JTMatrix& m) {
    void* p = std::malloc(sizeof m.m);
    std::memcpy(p, &m.m[0][0], sizeof m.m);
    return p;
}

class AnimTest : public SceneTest {};

TEST_F(AnimTest, NonLoopingSequenceRunsToItsLengthHoldsOnceThenStops) {
    JTSequencer sequencer;
    JTSequence* s = sequencer.AddSequence("walk", 2.0f, 0.0f);
    s->SetSpeed(0.5f);
    s->SetPlaying(true);
    dt = 1.0f;
    const float expected[] = {0.5f, 1.0f, 1.5f, 2.0f};
    for (float t : expected) {
        s->Update();
        EXPECT_FLOAT_EQ(s->GetTime(), t);
        EXPECT_TRUE(s->IsPlaying());
    }
    s->Update();
    EXPECT_FALSE(s->IsPlaying());
    EXPECT_FLOAT_EQ(s->GetTime(), 2.0f);
}

TEST_F(AnimTest, LoopingSequenceIgnoresSpeedAndWraps) {
    JTSequencer sequencer;
    JTSequence* s = sequencer.AddSequence("idle", 1.0f, 0.0f);
    s->SetSpeed(3.0f);
    s->SetTime(0.9f);
    s->SetPlaying(true);
    s->SetLooping(true);
    dt = 0.25f;
    s->Update();
    EXPECT_NEAR(s->GetTime(), 0.15f, 1e-5f);

    // A clock far beyond the length wraps in one step.
    JTSequence* tiny = sequencer.AddSequence("tiny", 0.001f, 0.0f);
    tiny->SetTime(1.0e9f);
    tiny->SetPlaying(true);
    tiny->SetLooping(true);
    tiny->Update();
    EXPECT_GE(tiny->GetTime(), 0.0f);
    EXPECT_LT(tiny->GetTime(), 0.001f);

    // Without length there is nothing to wrap: it stops like a non-looping one.
    JTSequence* empty = sequencer.AddSequence("empty", 0.0f, 0.0f);
    empty->SetPlaying(true);
    empty->SetLooping(true);
    empty->Update();
    EXPECT_FALSE(empty->IsPlaying());
}

TEST_F(AnimTest, SequencerDeactivatesStoppedSequencesOnlyWhileAnotherPlays) {
    JTSequencer sequencer;
    JTSequence* a = sequencer.AddSequence("a", 10.0f, 0.0f);
    JTSequence* b = sequencer.AddSequence("b", 10.0f, 10.0f);
    b->SetActive(true);
    dt = 0.1f;
    sequencer.Update();
    EXPECT_TRUE(b->IsActive()); // nothing plays: b keeps posing
    a->SetActive(true);
    a->SetPlaying(true);
    sequencer.Update();
    EXPECT_FALSE(b->IsActive());
    EXPECT_TRUE(a->IsActive());

    EXPECT_EQ(sequencer.FindSequence("B"), 1);
    EXPECT_EQ(sequencer.FindSequence("none"), -1);
    EXPECT_EQ(sequencer.GetSequence(-1), nullptr);
    EXPECT_EQ(sequencer.GetSequence(2), nullptr);
    EXPECT_EQ(sequencer.LocateTime(12.0f), 1);
    EXPECT_EQ(sequencer.LocateTime(20.0f), -1);

    JTSequence* longName = sequencer.AddSequence("a_name_that_is_much_longer_than_31_chars", 1, 0);
    EXPECT_EQ(std::strlen(longName->GetName()), 31u);
}

TEST_F(AnimTest, KeySearchAndInsertion) {
    JTVisChannel channel;
    channel.SetNumSequences(1);
    // Added out of order, they come out sorted; a duplicate time is refused.
    ASSERT_TRUE(channel.AddKey(0, 4.0f, FloatKey(0.4f)));
    ASSERT_TRUE(channel.AddKey(0, 0.0f, FloatKey(0.0f)));
    ASSERT_TRUE(channel.AddKey(0, 2.0f, FloatKey(0.2f)));
    void* duplicate = FloatKey(9.0f);
    EXPECT_FALSE(channel.AddKey(0, 2.0f, duplicate));
    std::free(duplicate);
    void* outside = FloatKey(1.0f);
    EXPECT_FALSE(channel.AddKey(5, 1.0f, outside));
    std::free(outside);
    ASSERT_EQ(channel.GetNumKeys(0), 3);
    EXPECT_EQ(channel.GetKey(0, 0)->time, 0.0f);
    EXPECT_EQ(channel.GetKey(0, 1)->time, 2.0f);
    EXPECT_EQ(channel.GetKey(0, 2)->time, 4.0f);

    float frac = -1;
    EXPECT_EQ(channel.FindPrecedingKey(0, -1.0f, frac), 0);
    EXPECT_EQ(frac, 0.0f);
    EXPECT_EQ(channel.FindPrecedingKey(0, 9.0f, frac), 2);
    EXPECT_EQ(frac, 0.0f);
    EXPECT_EQ(channel.FindPrecedingKey(0, 4.0f, frac), 2);
    EXPECT_EQ(frac, 0.0f);
    EXPECT_EQ(channel.FindPrecedingKey(0, 1.0f, frac), 0);
    EXPECT_FLOAT_EQ(frac, 0.5f);
    EXPECT_EQ(channel.FindPrecedingKey(3, 1.0f, frac), -1);
}

TEST_F(AnimTest, ChannelsWithoutActiveSequenceRestoreRestPoseAndFullOpacity) {
    JTTransNode model;
    model.SetMatrix(JTMatrixTranslation(1, 2, 3));
    auto* frames = new JTFrameChannel;
    frames->SetNumSequences(1);
    frames->AddKey(0, 0.0f, MatrixKey(JTMatrixTranslation(9, 9, 9)));
    model.AddChannel(frames);
    auto* vis = new JTVisChannel;
    vis->SetNumSequences(1);
    vis->AddKey(0, 0.0f, FloatKey(0.25f));
    model.AddChannel(vis);

    JTTransNode* instance = static_cast<JTTransNode*>(model.Clone());
    instance->SetMatrix(JTMatrixTranslation(5, 5, 5));
    instance->SetOpacity(0.1f);
    JTSequencer sequencer;
    sequencer.AddSequence("idle", 1.0f, 0.0f); // not active
    frames->Update(instance, &sequencer);
    vis->Update(instance, &sequencer);
    EXPECT_EQ(instance->GetMatrix().GetTranslation().x, 1.0f);
    EXPECT_EQ(instance->GetOpacity(), 1.0f);

    // Once active, the keys pose the node.
    sequencer.GetSequence(0)->SetActive(true);
    frames->Update(instance, &sequencer);
    vis->Update(instance, &sequencer);
    EXPECT_EQ(instance->GetMatrix().GetTranslation().x, 9.0f);
    EXPECT_EQ(instance->GetOpacity(), 0.25f);
    delete instance;
}

TEST_F(AnimTest, VisibilityKeysBlendUnlessStepped) {
    JTNode node;
    JTVisChannel vis;
    vis.SetNumSequences(1);
    vis.AddKey(0, 0.0f, FloatKey(0.0f));
    vis.AddKey(0, 1.0f, FloatKey(1.0f));
    JTSequencer sequencer;
    JTSequence* s = sequencer.AddSequence("fade", 1.0f, 0.0f);
    s->SetActive(true);
    s->SetTime(0.25f);
    vis.Update(&node, &sequencer);
    EXPECT_FLOAT_EQ(node.GetOpacity(), 0.25f);
    vis.SetBoolType(true);
    vis.Update(&node, &sequencer);
    EXPECT_FLOAT_EQ(node.GetOpacity(), 0.0f);
}

TEST_F(AnimTest, ClonedSequencerSharesRecordsAndKeepsOwnClocks) {
    JTSequencer* source = new JTSequencer;
    source->AddSequence("idle", 2.0f, 0.0f);
    auto* clone = static_cast<JTSequencer*>(source->Clone());
    ASSERT_EQ(clone->GetNumSequences(), 1);
    EXPECT_EQ(clone->GetSequence(0)->GetRecord(), source->GetSequence(0)->GetRecord());
    EXPECT_FALSE(clone->GetSequence(0)->OwnsRecord());
    clone->GetSequence(0)->SetTime(1.5f);
    EXPECT_EQ(source->GetSequence(0)->GetTime(), 0.0f);
    delete clone;
    EXPECT_STREQ(source->GetSequence(0)->GetName(), "idle");
    delete source;
}

TEST_F(AnimTest, ChannelCopyIsDeep) {
    JTFrameChannel source;
    source.SetNumSequences(1);
    source.AddKey(0, 0.5f, MatrixKey(JTMatrixTranslation(1, 0, 0)));
    auto* clone = static_cast<JTFrameChannel*>(source.Clone());
    ASSERT_EQ(clone->GetNumKeys(0), 1);
    EXPECT_NE(clone->GetKey(0, 0)->data, source.GetKey(0, 0)->data);
    EXPECT_EQ(std::memcmp(clone->GetKey(0, 0)->data, source.GetKey(0, 0)->data, 64), 0);
    delete clone;
}

} // namespace
