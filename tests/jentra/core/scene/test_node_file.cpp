// Model files: a tree of every node kind with its sequencer and channels
// round-trips byte for byte, older node records load, and damaged files are
// refused without crashing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Jentra/JTChannel.h"
#include "Jentra/JTLight.h"
#include "Jentra/JTSequencer.h"
#include "Jentra/JTTransNode.h"
#include "tests/jentra/test_scene_support.h"

namespace {

class NodeFileTest : public SceneTest {};

// Builds stream bytes by hand, little-endian.
struct Bytes {
    std::vector<unsigned char> data;
    Bytes() {
        const char* record = "Version    2\n";
        data.assign(record, record + 13);
    }
    Bytes& u16(uint16_t v) {
        data.push_back(uint8_t(v));
        data.push_back(uint8_t(v >> 8));
        return *this;
    }
    Bytes& u32(uint32_t v) {
        for (int i = 0; i < 4; i++)
            data.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    Bytes& f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return u32(bits);
    }
    Bytes& raw(const std::string& s) {
        data.insert(data.end(), s.begin(), s.end());
        data.push_back(0);
        return *this;
    }
    // The header of a new contained object of that class.
    Bytes& object(const std::string& className) {
        return u16(1).u32(0xFFFFFFFFu).u16(uint16_t(className.size() + 1)).raw(className).u16(1);
    }
};

TEST_F(NodeFileTest, SampleTreeRoundTripsByteForByte) {
    JTTransNode* tree = BuildSampleTree();
    ASSERT_NE(tree, nullptr);
    std::vector<unsigned char> first = SaveToBytes(tree);
    delete tree;

    JTNode* loaded = LoadNodeFromBytes(first);
    ASSERT_NE(loaded, nullptr);
    ASSERT_TRUE(loaded->IsDerived(JTTransNode::nType));
    auto* root = static_cast<JTTransNode*>(loaded);
    ASSERT_NE(root->GetSequencer(), nullptr);
    EXPECT_EQ(root->GetSequencer()->GetNumSequences(), 2);
    EXPECT_FLOAT_EQ(root->GetSequencer()->GetSequence("wave")->GetStart(), 2.0f);
    JTNode* arm = root->FindChild("arm");
    ASSERT_NE(arm, nullptr);
    EXPECT_TRUE(arm->HasChannel(JTFrameChannel::nType));
    EXPECT_FALSE(arm->HasChannel(JTVisChannel::nType));
    auto* hand = static_cast<JTGeoNode*>(root->FindChildRecursive("hand"));
    ASSERT_TRUE(hand && hand->IsDerived(JTGeoNode::nType));
    ASSERT_NE(hand->GetMesh(), nullptr);
    EXPECT_TRUE(hand->OwnsMesh());
    JTNode* lamp = root->FindChild("lamp");
    ASSERT_TRUE(lamp && lamp->IsDerived(JTLight::nType));
    EXPECT_FLOAT_EQ(static_cast<JTLight*>(lamp)->GetScale(), 2.0f);
    EXPECT_FALSE(static_cast<JTLight*>(lamp)->GetPickable());
    EXPECT_FLOAT_EQ(root->FindChild("body")->GetOpacity(), 0.5f);

    std::vector<unsigned char> second = SaveToBytes(root);
    EXPECT_EQ(first, second);
    delete root;
}

TEST_F(NodeFileTest, EveryTruncationIsRefused) {
    JTTransNode* tree = BuildSampleTree();
    ASSERT_NE(tree, nullptr);
    std::vector<unsigned char> bytes = SaveToBytes(tree);
    delete tree;
    for (size_t n = 0; n < bytes.size(); n++) {
        std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + long(n));
        JTNode* node = LoadNodeFromBytes(cut);
        EXPECT_EQ(node, nullptr) << "accepted a file cut to " << n << " bytes";
        delete node;
    }
    EXPECT_EQ(map->GetNumUnks(), 0); // nothing half-read stays registered
}

TEST_F(NodeFileTest, OlderNodeRecordAndLongNamesLoad) {
    // Version 2 keeps one ignored byte where version 3 stores the opacity.
    Bytes v2;
    v2.object("JTNode").u16(2).u32(1).u32(4).raw("old").data.push_back(0x7F);
    v2.u32(0).u32(0);
    JTNode* old = LoadNodeFromBytes(v2.data);
    ASSERT_NE(old, nullptr);
    EXPECT_STREQ(old->GetName(), "old");
    EXPECT_EQ(old->GetOpacity(), 1.0f);
    delete old;

    std::string longName(200, 'q');
    Bytes v3;
    v3.object("JTNode").u16(3).u32(1).u32(201).raw(longName).f32(0.75f).u32(0).u32(0);
    JTNode* named = LoadNodeFromBytes(v3.data);
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(std::string(named->GetName()), longName);
    EXPECT_EQ(named->GetOpacity(), 0.75f);
    delete named;
}

TEST_F(NodeFileTest, DamagedRecordsAreRefused) {
    auto node = [](uint32_t nameLength, uint32_t channels, uint32_t children) {
        Bytes b;
        b.object("JTNode").u16(3);
        if (nameLength) {
            b.u32(1).u32(nameLength);
            for (uint32_t i = 0; i + 1 < nameLength && i < 64; i++)
                b.data.push_back('a');
            b.data.push_back(0);
        } else {
            b.u32(0);
        }
        b.f32(1.0f);
        if (channels) {
            b.u32(1).u32(channels);
            for (uint32_t i = 0; i < channels; i++)
                b.object("JTVisChannel").u16(1).u32(0);
        } else {
            b.u32(0);
        }
        b.u32(children);
        return b;
    };
    // The valid shapes load.
    for (Bytes ok : {node(8, 0, 0), node(0, 20, 0)}) {
        JTNode* n = LoadNodeFromBytes(ok.data);
        EXPECT_NE(n, nullptr);
        delete n;
    }
    // More channels than the block holds, or a name longer than any real one.
    EXPECT_EQ(LoadNodeFromBytes(node(0, 21, 0).data), nullptr);
    EXPECT_EQ(LoadNodeFromBytes(node(0xFFFFFFFFu, 0, 0).data), nullptr);
    EXPECT_EQ(LoadNodeFromBytes(node(0, 0, 0x7FFFFFFF).data), nullptr);

    // A child that refers back to an object already read (here the parent).
    Bytes selfChild = node(0, 0, 1);
    selfChild.u16(1).u32(0);
    EXPECT_EQ(LoadNodeFromBytes(selfChild.data), nullptr);

    // A child of a class that is no node, and a class nobody registered.
    Bytes wrongClass = node(0, 0, 1);
    wrongClass.object("JTSequencer").u16(1).u32(0);
    EXPECT_EQ(LoadNodeFromBytes(wrongClass.data), nullptr);
    Bytes unknown = node(0, 0, 1);
    unknown.object("JTNoSuchClass").u16(3).u32(0).f32(1).u32(0).u32(0);
    EXPECT_EQ(LoadNodeFromBytes(unknown.data), nullptr);

    // A geometry node whose mesh is some other kind of object; the stream
    // is given up, so nothing can refer back to the refused object.
    Bytes badMesh;
    badMesh.object("JTGeoNode").u16(3).u32(0).f32(1).u32(0).u32(0).u16(1).u32(1);
    badMesh.object("JTSequencer").u16(1).u32(0);
    badMesh.u32(0);
    EXPECT_EQ(LoadNodeFromBytes(badMesh.data), nullptr);

    // Key times that do not ascend, and more key lists than allowed.
    Bytes keys;
    keys.object("JTNode").u16(3).u32(0).f32(1).u32(1).u32(1);
    keys.object("JTVisChannel").u16(1).u32(1).u32(2).f32(1.0f).f32(0.5f).f32(1.0f).f32(0.5f);
    keys.u32(0);
    EXPECT_EQ(LoadNodeFromBytes(keys.data), nullptr);
    Bytes lists;
    lists.object("JTNode").u16(3).u32(0).f32(1).u32(1).u32(1);
    lists.object("JTVisChannel").u16(1).u32(0x40000000u);
    EXPECT_EQ(LoadNodeFromBytes(lists.data), nullptr);
}

// Counts how often a file made the engine construct it.
class CountedObject : public JTUnknown {
    JT_CLASS(CountedObject, JTUnknown)
public:
    CountedObject() { ++made; }
    static inline int made = 0;
};
JT_CLASS_IMPL(CountedObject)

TEST_F(NodeFileTest, AStoredClassOfTheWrongKindIsNeverConstructed) {
    JTRegisterClass<CountedObject>();
    ASSERT_TRUE(JTClassMap::IsDerived(CountedObject::nType, JTUnknown::nType));
    ASSERT_FALSE(JTClassMap::IsDerived(CountedObject::nType, JTNode::nType));
    ASSERT_TRUE(JTClassMap::IsDerived(JTLight::nType, JTTransNode::nType));

    auto withChild = [](const char* className) {
        Bytes b;
        b.object("JTNode").u16(3).u32(0).f32(1).u32(0).u32(1);
        b.object(className).u16(3).u32(0).f32(1).u32(0).u32(0);
        return b;
    };
    CountedObject::made = 0;
    EXPECT_EQ(LoadNodeFromBytes(withChild("CountedObject").data), nullptr);
    EXPECT_EQ(CountedObject::made, 0);
    // The sound device is a registered class too; naming it where a node
    // belongs must not open the device.
    EXPECT_EQ(LoadNodeFromBytes(withChild("JTAudio").data), nullptr);
    // Classes derived from the expected one are taken.
    Bytes transChild = withChild("JTTransNode");
    transChild.u16(2);
    for (int i = 0; i < 16; i++)
        transChild.f32(i % 5 == 0 ? 1.0f : 0.0f);
    transChild.u32(0);
    JTNode* parent = LoadNodeFromBytes(transChild.data);
    ASSERT_NE(parent, nullptr);
    ASSERT_EQ(parent->GetNumChildren(), 1);
    delete parent;

    // The same holds for a mesh slot: only the mesh class is made there.
    Bytes wrongMesh;
    wrongMesh.object("JTGeoNode").u16(3).u32(0).f32(1).u32(0).u32(0).u16(1).u32(1);
    wrongMesh.object("CountedObject").u32(0);
    EXPECT_EQ(LoadNodeFromBytes(wrongMesh.data), nullptr);
    EXPECT_EQ(CountedObject::made, 0);
}

// A chain of depth nodes, each holding the next.
Bytes NestedNodes(int depth) {
    Bytes b;
    for (int i = 0; i < depth; i++)
        b.object("JTNode").u16(3).u32(0).f32(1).u32(0).u32(i + 1 < depth ? 1 : 0);
    return b;
}

TEST_F(NodeFileTest, NestingBeyondAnyRealModelIsRefused) {
    JTNode* deep = LoadNodeFromBytes(NestedNodes(200).data);
    ASSERT_NE(deep, nullptr);
    int levels = 1;
    for (JTNode* n = deep; n->GetNumChildren() == 1; n = n->GetChild(0))
        levels++;
    EXPECT_EQ(levels, 200);
    delete deep;

    JTNode* deepest = LoadNodeFromBytes(NestedNodes(JTFile::kMaxObjectNesting).data);
    EXPECT_NE(deepest, nullptr);
    delete deepest;
    EXPECT_EQ(LoadNodeFromBytes(NestedNodes(JTFile::kMaxObjectNesting + 1).data), nullptr);
    // Deep enough to exhaust the stack of a reader without a limit.
    std::vector<unsigned char> hostile = NestedNodes(20000).data;
    auto* buffer = static_cast<unsigned char*>(std::malloc(hostile.size()));
    std::memcpy(buffer, hostile.data(), hostile.size());
    JTFile in(nullptr, buffer, unsigned(hostile.size()), false);
    EXPECT_EQ(LoadOwned<JTNode>(in), nullptr);
    EXPECT_TRUE(in.Failed());
    EXPECT_EQ(in.GetObjectNesting(), 0);
}

TEST_F(NodeFileTest, DeletingAVeryDeepTreeDoesNotRecurse) {
    JTNode* root = new JTNode();
    JTNode* tip = root;
    for (int i = 0; i < 100000; i++) {
        JTNode* child = i % 2 ? new JTNode() : new JTTransNode();
        tip->AddChild(child);
        tip = child;
    }
    tip->SetName("tip");
    delete root; // under the sanitizers a leak or a stack overflow fails here
}

TEST_F(NodeFileTest, BuiltSampleModelRoundTrips) {
    std::vector<unsigned char> bytes = LoadSampleModelBytes();
    ASSERT_FALSE(bytes.empty()) << "the data builder writes modules/test/sample.jtm";
    SetGeoParts(nullptr); // the engine's own model needs no mesh hooks
    JTNode* model = LoadNodeFromBytes(bytes);
    ASSERT_NE(model, nullptr);
    EXPECT_NE(model->FindChildRecursive("arm"), nullptr);
    EXPECT_EQ(SaveToBytes(model), bytes);
    delete model;
}

} // namespace
