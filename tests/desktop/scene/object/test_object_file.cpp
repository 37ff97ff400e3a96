// Object files: versions, framing, and refusal of truncated and damaged
// streams.
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

// A TransNode "root" with a visibility channel of one key and a child.
Bytes SmallTree(uint32_t version) {
    Stream s(version);
    s.New(0, 3).Name("root").ChannelCount(1);
    s.New(1, 47).U32(1).F32(0.0f).F32(0.5f);
    if (version >= 23) s.U32(1); // step flag
    s.ChildCount(1);
    s.New(2, 1).Name("child").ChannelCount(0).ChildCount(0);
    s.Identity();
    return s.Take();
}

TEST(LvObjectFile, VersionsFromTwentyTwoToOneTwentyLoad) {
    test::RecordingSink sink;
    for (uint32_t version : {22u, 74u, 75u, 120u}) {
        auto root = Own(static_cast<TransNode*>(Read(SmallTree(version))));
        ASSERT_TRUE(root) << version;
        EXPECT_EQ(root->Name(), "root");
        ASSERT_EQ(root->ChannelCount(), 1) << version;
        auto* vis = static_cast<VisChannel*>(root->Channels()->channels[0]);
        ASSERT_EQ(vis->classId, uint8_t(ClassId::VisChannel));
        EXPECT_EQ(vis->values[0], 0.5f);
        EXPECT_EQ(vis->step, version >= 23 ? 1 : 0);
        ASSERT_EQ(root->ChildCount(), 1);
        EXPECT_EQ(root->ChildAt(0)->Name(), "child");
        EXPECT_TRUE(root->local.IsIdentity());
    }
    EXPECT_TRUE(sink.warnings.empty());

    // Before the compact layout only the low byte of a class number counts.
    Stream wide(74);
    wide.New(0, 0x7A7A0001).Name("n").ChannelCount(0).ChildCount(0);
    auto node = Own(Read(wide.Take()));
    ASSERT_TRUE(node);
    EXPECT_EQ(node->classId, 1);
}

TEST(LvObjectFile, WrongMagicOrVersionIsRefusedWithTheBadFileEntry) {
    test::RecordingSink sink;
    for (uint32_t version : {21u, 121u}) {
        Bytes bytes = SmallTree(120);
        bytes[4] = uint8_t(version);
        EXPECT_EQ(Read(bytes, "models\\old.vrn"), nullptr);
    }
    Bytes magic = SmallTree(120);
    magic[0] = 'X';
    EXPECT_EQ(Read(magic), nullptr);
    ASSERT_EQ(sink.warnings.size(), 3u);
    EXPECT_EQ(sink.warnings[0].first, kEntryBadFile);
    EXPECT_EQ(sink.warnings[0].second, "models\\old.vrn");
}

// A DummyLink is read in the FrameAnim layout (64 reserved bytes after the
// matrix) and in the bare TransNode layout, nested among siblings and at
// the end of the file, and written in the FrameAnim layout.
TEST(LvObjectFile, ADummyLinkReadsEitherLayoutAndWritesOne) {
    test::RecordingSink sink;
    Matrix placed;
    placed.MakeTranslation(1, 2, 3);
    for (bool reserved : {true, false}) {
        auto link = [&](Stream& s, int32_t place, const char* name) {
            s.New(place, uint32_t(ClassId::DummyLink)).Name(name).ChannelCount(0).ChildCount(0);
            WriteMatrix(s.out, placed);
            if (reserved) s.out.WriteBytes(std::array<uint8_t, 64>{}.data(), 64);
        };
        // A group of two links and a node after them.
        Stream nested(120);
        nested.New(0, uint32_t(ClassId::Group)).Name("mount").ChannelCount(0).ChildCount(3);
        link(nested, 1, "dummypilot");
        link(nested, 2, "dummyship");
        nested.New(3, uint32_t(ClassId::Node)).Name("after").ChannelCount(0).ChildCount(0);
        nested.Identity();
        const Bytes bytes = nested.Take();
        auto mount = Own(static_cast<Node*>(Read(bytes)));
        ASSERT_TRUE(mount) << reserved;
        ASSERT_EQ(mount->ChildCount(), 3);
        for (int i = 0; i < 2; ++i) {
            Node* child = mount->ChildAt(i);
            ASSERT_EQ(child->classId, uint8_t(ClassId::DummyLink)) << reserved;
            EXPECT_EQ(static_cast<TransNode*>(child)->local.GetTranslation(), Vec3(1, 2, 3));
        }
        EXPECT_EQ(mount->ChildAt(2)->Name(), "after");
        // Written back, the links always carry the reserved bytes.
        const Bytes written = Write(mount.get());
        EXPECT_EQ(written.size(), bytes.size() + (reserved ? 0 : 2 * 64)) << reserved;
        auto again = Own(static_cast<Node*>(Read(written)));
        ASSERT_TRUE(again);
        EXPECT_EQ(Write(again.get()), written);

        // Alone in a file: the data ends where the short layout does.
        Stream alone(120);
        link(alone, 0, "dummyweapon");
        auto single = Own(static_cast<TransNode*>(Read(alone.Take())));
        ASSERT_TRUE(single) << reserved;
        EXPECT_EQ(single->local.GetTranslation(), Vec3(1, 2, 3));
    }
    EXPECT_TRUE(sink.warnings.empty());
}

TEST(LvObjectFile, EveryTruncationIsRefused) {
    test::RecordingSink sink;
    auto root = Own(new TransNode);
    root->SetName("root");
    auto* geo = new GeoNode;
    ASSERT_TRUE(geo->BuildGeometry(test::TriangleLists(), ""));
    auto* vis = new VisChannel;
    vis->AddKey(0, 1);
    geo->AddChannel(vis);
    root->AddChild(geo);
    Bytes whole = Write(root.get());
    ASSERT_TRUE(Own(Read(whole)));
    for (size_t length = 0; length < whole.size(); ++length) {
        Bytes cut(whole.begin(), whole.begin() + long(length));
        EXPECT_EQ(Read(cut), nullptr) << length;
    }
    EXPECT_EQ(sink.warnings.size(), whole.size());
    for (const auto& warning : sink.warnings)
        EXPECT_EQ(warning.first, kEntryBadFile);
}

TEST(LvObjectFile, DamagedStreamsAreRefused) {
    test::RecordingSink sink;
    std::vector<std::pair<const char*, Bytes>> damaged;
    auto node = [](Stream& s, int32_t place, const char* name, int children) {
        s.New(place, 1).Name(name).ChannelCount(0).ChildCount(children);
    };
    {
        Stream s(120);
        s.New(0, 25); // no class bears 25
        damaged.emplace_back("unknown class", s.Take());
    }
    {
        Stream s(120);
        s.New(0, 5).Name("entity").ChannelCount(0).ChildCount(0).Identity();
        damaged.emplace_back("record not readable yet", s.Take());
    }
    {
        Stream s(120);
        node(s, 0, "root", 1);
        s.Back(5);
        damaged.emplace_back("back-reference past the table", s.Take());
    }
    {
        Stream s(120);
        node(s, 0, "root", 1);
        s.Back(0);
        damaged.emplace_back("a node its own child", s.Take());
    }
    {
        Stream s(120);
        s.New(0, 1).Name("root").ChannelCount(1);
        s.New(1, 47).U32(0).U32(0);
        s.ChildCount(1).Back(1);
        damaged.emplace_back("a channel where a child belongs", s.Take());
    }
    {
        Stream s(120);
        s.New(0, 1).Name("root").ChannelCount(1);
        node(s, 1, "not a channel", 0);
        s.ChildCount(0);
        damaged.emplace_back("a node where a channel belongs", s.Take());
    }
    {
        Stream s(74);
        s.New(0, 1).Name("root").ChannelCount(11);
        for (int i = 0; i < 11; ++i)
            s.New(i + 1, 31).U32(0);
        s.ChildCount(0);
        damaged.emplace_back("eleven channels", s.Take());
    }
    {
        Stream s(74);
        s.New(0, 1).Name("root").ChannelCount(0).ChildCount(-1);
        damaged.emplace_back("negative child count", s.Take());
    }
    {
        Stream s(120);
        for (int depth = 0; depth < 300; ++depth)
            node(s, depth, "deep", 1);
        node(s, 300, "bottom", 0);
        damaged.emplace_back("nesting too deep", s.Take());
    }
    {
        Stream s(120);
        s.New(0, 32).U32(0).U32(0x10000000); // a matrix count no file holds
        damaged.emplace_back("matrix count past the data", s.Take());
    }
    {
        Stream s(120);
        s.New(0, 2).Name("geo").ChannelCount(0).ChildCount(0).U32(kMaxVertices + 1);
        damaged.emplace_back("too many positions", s.Take());
    }
    for (const auto& [what, bytes] : damaged) {
        sink.warnings.clear();
        EXPECT_EQ(Read(bytes), nullptr) << what;
        ASSERT_EQ(sink.warnings.size(), 1u) << what;
        EXPECT_EQ(sink.warnings[0].first, kEntryBadFile) << what;
    }
}

TEST(LvObjectFile, GeoIndicesPastTheirListsAreRefused) {
    test::RecordingSink sink;
    auto geo = Own(new GeoNode);
    geo->SetName("geo");
    ASSERT_TRUE(geo->BuildGeometry(test::TriangleLists(), ""));
    Bytes good = Write(geo.get());
    ASSERT_TRUE(Own(Read(good)));
    // The index list starts after the header, the reference, the node record
    // and the positions: 8 + 5 + 32 + 4 + 2 + 4 + 36 + 4 bytes in.
    const size_t indexList = 8 + 5 + 32 + 4 + 2 + 4 + 36 + 4;
    Bytes pastPositions = good;
    pastPositions[indexList + 2] = 3;
    EXPECT_EQ(Read(pastPositions), nullptr);
    EXPECT_EQ(sink.warnings.size(), 1u);
}

} // namespace
} // namespace lumivane
