// Object files holding unit classes: an object written twice is read once,
// and a full model saves, loads and saves to the same bytes.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/light_node.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/object_table.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/object/texture_channels.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/object/vertex_channels.h"
#include "desktop/units/unit_class_headers.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/scene_test_support.h"

namespace lumivane {
namespace {

using test::Own;
using Bytes = std::vector<uint8_t>;

// Writes object streams by hand, in any version's layout.
class Stream {
public:
    explicit Stream(uint32_t streamVersion, bool header = true) : version(streamVersion) {
        if (header) {
            out.WriteBytes("VRNM", 4);
            out.WriteU32(version);
        }
    }
    Stream& New(int32_t place, uint32_t classNumber) {
        out.WriteI32(place + 1);
        if (version < kFirstCompactVersion)
            out.WriteU32(classNumber);
        else
            out.WriteU8(uint8_t(classNumber));
        return *this;
    }
    Stream& Back(int32_t place) {
        out.WriteI32(~place);
        return *this;
    }
    Stream& Name(const char* text) {
        out.WriteFixedString(text, 32);
        return *this;
    }
    Stream& ChannelCount(int count) {
        if (version < kFirstCompactVersion) {
            out.WriteI32(count);
        } else {
            out.WriteU32(count > 0);
            if (count > 0) out.WriteU8(uint8_t(count));
        }
        return *this;
    }
    Stream& ChildCount(int count) {
        if (version < kFirstCompactVersion)
            out.WriteI32(count);
        else
            out.WriteI16(int16_t(count));
        return *this;
    }
    Stream& Identity() {
        WriteMatrix(out, Matrix());
        return *this;
    }
    Stream& U32(uint32_t v) {
        out.WriteU32(v);
        return *this;
    }
    Stream& F32(float v) {
        out.WriteF32(v);
        return *this;
    }
    Bytes Take() { return out.Take(); }

    uint32_t version;
    platform::BufferWriter out;
};

Unknown* Read(const Bytes& bytes, const char* name = "test.vrn") {
    platform::MemoryReader reader(bytes.data(), bytes.size());
    return ReadObject(reader, nullptr, name, 0);
}

Bytes Write(Unknown* object) {
    platform::BufferWriter out;
    EXPECT_TRUE(WriteObject(out, object));
    return out.Take();
}

TEST(LvObjectFile, AnObjectWrittenTwiceIsReadOnceWithTwoOwners) {
    auto root = Own(new Node);
    auto* shared = new GeoNode;
    shared->SetName("shared");
    root->AddChild(shared);
    root->AddChild(shared);
    Bytes bytes = Write(root.get());
    auto back = Own(static_cast<Node*>(Read(bytes)));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->ChildCount(), 2);
    EXPECT_EQ(back->ChildAt(0), back->ChildAt(1));
    EXPECT_EQ(back->ChildAt(0)->ReferenceCount(), 2);
    EXPECT_EQ(Write(back.get()), bytes);
}

// A model with every node kind and channel kind, and its sequencer.
struct Model {
    TransNode* root = nullptr;
    Sequencer* sequencer = nullptr;
};

Model BuildModel(test::FakeTextureSource&) {
    Model model;
    auto* root = new TransNode;
    root->SetName("ship");
    root->local.MakeTranslation(0, 1, 0);
    auto* turn = new FrameChannel;
    for (int f = 0; f < 12; ++f) {
        Matrix m;
        m.MakeRotation(0, std::sin(0.05f * f), 0, std::cos(0.05f * f));
        turn->AddKey(m, 1);
    }
    root->AddChannel(turn);

    auto* hull = new GeoNode;
    hull->SetName("hull");
    auto* morph = new MorphChannel;
    morph->targets.push_back({"rest", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}});
    morph->targets.push_back({"flex", {{0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}}});
    std::array<float, kMorphWeights> rest{}, flex{};
    rest[0] = 1;
    flex[1] = 1;
    morph->AddKey(0, rest);
    morph->AddKey(1, flex);
    hull->AddChannel(morph);
    auto* uv = new UVChannel;
    uv->offsets = {0, 0.25f, 0.5f};
    hull->AddChannel(uv);
    auto* vis = new VisChannel;
    vis->AddKey(0, 1);
    vis->AddKey(2, 0.25f);
    vis->step = 1;
    hull->AddChannel(vis);
    hull->indexed = 1;
    hull->SetTexturePath("models\\textures\\hull.dds");
    GeoLists lists;
    lists.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    lists.normals.assign(4, Vec3(0, 0, -1));
    lists.colours = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
    lists.texCoords = {0, 0, 1, 0, 0, 1, 1, 1, 0.5f, 0.5f};
    lists.setIndices = {{0, 1, 2, 2, 1, 3}, {2, 1, 3}};
    lists.setTexCoordIndices = {{0, 1, 2, 2, 4, 3}, {2, 4, 3}};
    EXPECT_TRUE(hull->BuildGeometry(lists, "ship.vrn"));
    root->AddChild(hull);

    auto* mount = new FrameAnim;
    mount->SetName("dummylink engine glow");
    mount->local.MakeTranslation(0, 0, -2);
    root->AddChild(mount);
    auto* lamp = new LightNode;
    lamp->SetName("lamp");
    lamp->light.range = 20;
    lamp->light.diffuse = {1, 0.5f, 0.25f};
    mount->AddChild(lamp);

    auto* label = new AnimText;
    label->SetName("label");
    label->text = "Cruiser";
    auto* flicker = new TexAnimChannel;
    flicker->AddKey(0, 0);
    flicker->AddKey(1, 3);
    label->AddChannel(flicker);
    auto* blend = new TexMorphChannel;
    blend->AddKey(0, 1);
    label->AddChannel(blend);
    EXPECT_TRUE(label->BuildGeometry(test::TriangleLists(), "ship.vrn"));
    root->AddChild(label);

    auto* sequencer = new Sequencer;
    sequencer->AddChannel(turn);
    sequencer->AddChannel(morph);
    sequencer->AddChannel(vis);
    sequencer->AddSequence({"idle", 0, 0.0f, 0.2f, {1, 1, 0}});
    sequencer->AddSequence({"on", 1, 0.2f, 0.4f, {0, 0, 1}});
    sequencer->ReduceFrameChannelKeys();
    sequencer->AddRef();
    model.root = root;
    model.sequencer = sequencer;
    return model;
}

// The model, then its sequencer through the same object table, as an
// entity's record carries it.
Bytes WriteModel(const Model& model) {
    platform::BufferWriter out;
    EXPECT_TRUE(WriteObject(out, model.root));
    model.sequencer->Save(out, SharedObjectTable());
    return out.Take();
}

TEST(LvObjectFile, AFullModelSavesLoadsAndSavesToTheSameBytes) {
    test::FakeTextureSource textures;
    test::RecordingSink sink;
    Model original = BuildModel(textures);
    Bytes first = WriteModel(original);
    original.root->Release();
    original.sequencer->Release();

    platform::MemoryReader reader(first.data(), first.size());
    Model loaded;
    loaded.root = static_cast<TransNode*>(ReadObject(reader, nullptr, "ship.vrn", 0));
    ASSERT_NE(loaded.root, nullptr);
    loaded.sequencer =
        static_cast<Sequencer*>(ReadObject(reader, &SharedObjectTable(), "", kObjectFileVersion));
    ASSERT_NE(loaded.sequencer, nullptr);
    loaded.sequencer->AddRef();
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_TRUE(sink.warnings.empty());

    // The sequencer lists the very channels the nodes hold.
    EXPECT_EQ(loaded.sequencer->ChannelAt(0), loaded.root->Channels()->channels[0]);
    auto* hull = static_cast<GeoNode*>(loaded.root->FindByName("hull"));
    ASSERT_NE(hull, nullptr);
    EXPECT_EQ(loaded.sequencer->ChannelAt(1), hull->Channels()->channels[0]);
    EXPECT_EQ(hull->vertexCount, 5);
    EXPECT_EQ(hull->Sets()->drawRanges[1], 3);
    EXPECT_NE(hull->texture, nullptr);
    auto* lamp = static_cast<LightNode*>(loaded.root->FindByName("LAMP"));
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(lamp->light.diffuse.y, 0.5f);
    EXPECT_EQ(static_cast<AnimText*>(loaded.root->FindByName("label"))->text, "Cruiser");
    auto* turn = static_cast<FrameChannel*>(loaded.root->Channels()->channels[0]);
    std::vector<int32_t> reduced = {-5, -1, -6};
    EXPECT_EQ(turn->durations, reduced);

    EXPECT_EQ(WriteModel(loaded), first);

    // A clone of it, destroyed before its prototype.
    auto clone = Own(static_cast<TransNode*>(loaded.root->Clone()));
    auto* hullClone = static_cast<GeoNode*>(clone->FindByName("hull"));
    EXPECT_EQ(hullClone->Vertices(), nullptr); // it animates its vertices
    EXPECT_TRUE(static_cast<GeoNode*>(clone->FindByName("label"))->sharesVertices);
    clone.reset();
    EXPECT_EQ(WriteModel(loaded), first);
    loaded.root->Release();
    loaded.sequencer->Release();
}

} // namespace
} // namespace lumivane
