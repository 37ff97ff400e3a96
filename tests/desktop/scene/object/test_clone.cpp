// Cloning: what a clone shares with its prototype and what it owns.
#include <gtest/gtest.h>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/light_node.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/object/texture_channels.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/object/vertex_channels.h"
#include "tests/desktop/scene/scene_test_support.h"

namespace lumivane {
namespace {

using test::Own;

GeoNode* Triangle(const char* name) {
    auto* geo = new GeoNode;
    geo->SetName(name);
    geo->indexed = 1;
    geo->SetTexturePath("models\\textures\\hull.dds");
    EXPECT_TRUE(geo->BuildGeometry(test::TriangleLists(), "ship.vrn"));
    return geo;
}

TEST(LvClone, CloneMirrorsTheTreeAndSharesNames) {
    test::FakeTextureSource textures;
    auto root = Own(new TransNode);
    root->SetName("root");
    auto* middle = new Group;
    middle->SetName("middle");
    root->AddChild(middle);
    GeoNode* leaf = Triangle("leaf");
    middle->AddChild(leaf);
    auto* frames = new FrameChannel;
    frames->AddKey(Matrix(), 5);
    middle->AddChannel(frames);
    middle->Channels()->states[0].lastApplied = 3.0f;

    auto copy = Own(static_cast<TransNode*>(root->Clone()));
    ASSERT_EQ(copy->ChildCount(), 1);
    Node* copyMiddle = copy->ChildAt(0);
    ASSERT_EQ(copyMiddle->ChildCount(), 1);
    auto* copyLeaf = static_cast<GeoNode*>(copyMiddle->ChildAt(0));

    EXPECT_EQ(copy->Prototype(), root.get());
    EXPECT_EQ(copyMiddle->Prototype(), middle);
    EXPECT_EQ(copyLeaf->Prototype(), leaf);
    EXPECT_NE(copyMiddle, middle);
    EXPECT_EQ(copyMiddle->classId, uint8_t(ClassId::Group));
    EXPECT_EQ(copyMiddle->Parent(), copy.get());
    EXPECT_EQ(copyMiddle->ReferenceCount(), 1);
    // Names are the prototype's text, not copies.
    EXPECT_EQ(copyLeaf->Name().data(), leaf->Name().data());
    EXPECT_FALSE(copyLeaf->OwnsName());
    // Channels are shared, play states fresh.
    ASSERT_EQ(copyMiddle->ChannelCount(), 1);
    EXPECT_EQ(copyMiddle->Channels()->channels[0], frames);
    EXPECT_EQ(copyMiddle->Channels()->states[0].lastApplied, -1.0f);
    EXPECT_EQ(frames->ReferenceCount(), 2);
    // Geometry and textures are shared while the clone does not animate them.
    EXPECT_TRUE(copyLeaf->sharesVertices);
    EXPECT_EQ(copyLeaf->Vertices(), leaf->Vertices());
    EXPECT_EQ(copyLeaf->Indices(), leaf->Indices());
    EXPECT_EQ(copyLeaf->texture, leaf->texture);
    EXPECT_EQ(copyLeaf->textureLevel, 1); // not fixed: the clone starts at level 1

    // A clone renamed gets a name of its own.
    copyLeaf->SetName("renamed");
    EXPECT_EQ(leaf->Name(), "leaf");
    EXPECT_TRUE(copyLeaf->OwnsName());

    // Destroying the clone leaves the prototype whole.
    copy.reset();
    EXPECT_EQ(frames->ReferenceCount(), 1);
    EXPECT_EQ(leaf->Name(), "leaf");
    EXPECT_EQ(leaf->Vertices()[1].position.x, 1.0f);
    EXPECT_EQ(middle->ChannelCount(), 1);
}

TEST(LvClone, AnimatedVerticesAreNotShared) {
    auto prototype = Own(Triangle("wave"));
    auto* uv = new UVChannel;
    uv->offsets = {0.0f, 0.5f};
    prototype->AddChannel(uv);
    auto copy = Own(static_cast<GeoNode*>(prototype->Clone()));
    EXPECT_FALSE(copy->sharesVertices);
    EXPECT_EQ(copy->Vertices(), nullptr);
    EXPECT_EQ(copy->vertexCount, 3);
    EXPECT_NE(copy->PrototypeVertices(), nullptr);
    // The shared channel goes when its last holder goes.
    prototype.reset();
    EXPECT_EQ(uv->ReferenceCount(), 1);
}

TEST(LvClone, EveryClassCopiesItsOwnFields) {
    auto light = Own(new LightNode);
    light->light.range = 12.5f;
    light->light.diffuse = {0.1f, 0.2f, 0.3f};
    light->local.MakeTranslation(1, 2, 3);
    auto lightCopy = Own(static_cast<LightNode*>(light->Clone()));
    EXPECT_EQ(lightCopy->classId, uint8_t(ClassId::LightNode));
    EXPECT_EQ(lightCopy->light.range, 12.5f);
    EXPECT_EQ(lightCopy->light.diffuse.z, 0.3f);
    EXPECT_EQ(lightCopy->local.m[14], 3.0f);

    auto text = Own(new AnimText);
    text->text = "Hello";
    text->step = 0.5f;
    text->fixedTextureLevel = 1;
    text->textureLevel = 4;
    auto textCopy = Own(static_cast<AnimText*>(text->Clone()));
    EXPECT_EQ(textCopy->text, "Hello");
    EXPECT_EQ(textCopy->step, 0.5f);
    EXPECT_EQ(textCopy->textureLevel, 4);

    auto link = Own(new DummyLink);
    EXPECT_EQ(Own(link->Clone())->classId, uint8_t(ClassId::DummyLink));

    // An entity shares its prototype's sequencer and plays on its own.
    auto entity = Own(new Entity);
    auto* sequencer = new Sequencer;
    sequencer->AddSequence({"idle", 0, 0.0f, 1.0f, {}});
    entity->SetSequencer(sequencer);
    auto entityCopy = Own(static_cast<Entity*>(entity->Clone()));
    EXPECT_EQ(entityCopy->sequencer, sequencer);
    EXPECT_EQ(sequencer->ReferenceCount(), 2);
    entityCopy->sequencer->Play("idle", entityCopy->sequenceStates, 1);
    EXPECT_TRUE(entityCopy->sequenceStates[0].playing);
    EXPECT_FALSE(entity->sequenceStates[0].playing);
}

} // namespace
} // namespace lumivane
