// Saving and loading object graphs through the contained-object protocol:
// shared and self references, byte-identical re-saving, and damaged
// streams that must fail cleanly.
#include "tests/jentra/test_object_classes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

typedef std::vector<unsigned char> Bytes;

unsigned char* MallocCopy(const Bytes& b, size_t n) {
    auto* p = static_cast<unsigned char*>(std::malloc(n ? n : 1));
    if (n) std::memcpy(p, b.data(), n);
    return p;
}

Bytes Contents(const JTFile& f) {
    return Bytes(f.GetCurrentMemBuffer(), f.GetCurrentMemBuffer() + f.GetCurrentMemBufferUsed());
}

// root(1) owns A(2) and B(3); A owns C(4); B owns D(5).
// Links: A -> root (an ancestor), B -> C (shared with its owner A),
// C -> C (itself), D owns leaf L through its link, root -> L (shared).
struct Graph {
    TestNode* root;
    TestNode *a, *b, *c, *d;
    TestLeaf* leaf;
};

Graph MakeGraph() {
    Graph g;
    g.root = new TestNode(1);
    g.root->tag = 100;
    g.a = g.root->AddChild(new TestNode(2));
    g.b = g.root->AddChild(new TestNode(3));
    g.c = g.a->AddChild(new TestNode(4));
    g.d = g.b->AddChild(new TestNode(5));
    g.leaf = new TestLeaf;
    g.leaf->weight = 0.75f;
    g.leaf->tag = 6;
    g.a->link = g.root;
    g.b->link = g.c;
    g.c->link = g.c;
    g.d->link = g.leaf;
    g.d->ownsLink = true;
    g.root->link = g.leaf;
    return g;
}

void ExpectSameShape(TestNode* root) {
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->value, 1);
    EXPECT_EQ(root->tag, 100);
    ASSERT_EQ(root->children.GetCount(), 2);
    TestNode* a = root->children[0];
    TestNode* b = root->children[1];
    ASSERT_EQ(a->children.GetCount(), 1);
    ASSERT_EQ(b->children.GetCount(), 1);
    TestNode* c = a->children[0];
    TestNode* d = b->children[0];
    EXPECT_EQ(a->value, 2);
    EXPECT_EQ(b->value, 3);
    EXPECT_EQ(c->value, 4);
    EXPECT_EQ(d->value, 5);
    EXPECT_EQ(a->link, root);
    EXPECT_EQ(b->link, c); // shared objects load as one object
    EXPECT_EQ(c->link, c);
    ASSERT_NE(d->link, nullptr);
    EXPECT_TRUE(d->ownsLink);
    EXPECT_EQ(root->link, d->link);
    EXPECT_FALSE(root->ownsLink);
    ASSERT_EQ(d->link->GetType(), TestLeaf::nType);
    EXPECT_EQ(static_cast<TestLeaf*>(d->link)->weight, 0.75f);
    EXPECT_EQ(static_cast<TestLeaf*>(d->link)->tag, 6);
}

Bytes SaveToMemory(JTUnknown* root) {
    JTFile f(nullptr, nullptr, 0, true);
    root->SaveLoad(f);
    EXPECT_FALSE(f.Failed());
    return Contents(f);
}

// Loads a root object from the first n bytes of data.
JTUnknown* LoadFromMemory(const Bytes& data, size_t n, bool* failed = nullptr) {
    JTFile f(nullptr, MallocCopy(data, n), unsigned(n), false);
    JTUnknown* root = JTUnknown::LoadType(f);
    if (failed) *failed = f.Failed();
    return root;
}

class StreamObjects : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        std::string pattern = (fs::temp_directory_path() / "jentra-objects-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string dir;
};

// The header bytes of a new object named name, after the version record.
Bytes Header(const char* name, int32_t ref = -1) {
    Bytes b(JTFile::kVersionRecordBytes);
    std::memcpy(b.data(), "Version    2\n", 13);
    b.push_back(1);
    b.push_back(0);
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(uint32_t(ref) >> (8 * i)));
    if (ref != -1) return b;
    uint16_t n = uint16_t(std::strlen(name) + 1);
    b.push_back(uint8_t(n));
    b.push_back(uint8_t(n >> 8));
    b.insert(b.end(), name, name + n);
    b.push_back(1);
    b.push_back(0);
    return b;
}

TEST_F(StreamObjects, SharedObjectIsWrittenOnceThenReferenced) {
    TestLeaf leaf;
    JTFile f(nullptr, nullptr, 0, true);
    EXPECT_TRUE(leaf.SaveLoad(f));
    unsigned first = f.GetCurrentMemBufferUsed();
    EXPECT_FALSE(leaf.SaveLoad(f)); // already in the stream: only a reference
    EXPECT_FALSE(f.Failed());
    ASSERT_EQ(f.GetCurrentMemBufferUsed() - first, 6u);
    const unsigned char* ref = f.GetCurrentMemBuffer() + first;
    const unsigned char expected[] = {1, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(ref, expected, 6), 0);
    // The full record: u16 1, i32 -1, u16 9, "TestLeaf\0", u16 1, then fields.
    Bytes head = Header("TestLeaf");
    EXPECT_EQ(std::memcmp(f.GetCurrentMemBuffer(), head.data(), head.size()), 0);

    Bytes data = Contents(f);
    JTFile in(nullptr, MallocCopy(data, data.size()), unsigned(data.size()), false);
    JTUnknown* one = JTUnknown::LoadType(in);
    bool isNew = true;
    JTUnknown* two = JTUnknown::LoadType(in, &isNew);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one, two);
    EXPECT_FALSE(isNew);
    delete one;
}

TEST_F(StreamObjects, GraphRoundTripsThroughAFileByteIdentically) {
    Graph g = MakeGraph();
    std::string name = dir + "\\scenes\\graph.jtm";
    {
        JTFile out(name.c_str(), true);
        ASSERT_TRUE(out.Opened());
        g.root->SaveLoad(out);
        EXPECT_FALSE(out.Failed());
        EXPECT_TRUE(out.Close());
    }
    Bytes original = SaveToMemory(g.root);
    delete g.root;

    JTFile in(name.c_str(), false);
    ASSERT_TRUE(in.Opened());
    JTUnknown* loaded = JTUnknown::LoadType(in);
    EXPECT_FALSE(in.Failed());
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->GetType(), TestNode::nType);
    ExpectSameShape(static_cast<TestNode*>(loaded));
    EXPECT_EQ(SaveToMemory(loaded), original);
    delete loaded;
}

TEST_F(StreamObjects, GraphRoundTripsThroughAPack) {
    Graph g = MakeGraph();
    TestLeaf extra;
    extra.weight = -3.0f;
    std::string name = dir + "\\levels.pak";
    {
        JTPakFile pak(name.c_str(), true);
        ASSERT_TRUE(pak.Opened());
        char board[] = "board";
        char* record = board;
        ASSERT_TRUE(pak.NextPackedFile(&record));
        g.root->SaveLoad(pak);
        char other[] = "extra";
        record = other;
        ASSERT_TRUE(pak.NextPackedFile(&record));
        extra.SaveLoad(pak);
        EXPECT_FALSE(pak.Failed());
    }
    Bytes original = SaveToMemory(g.root);
    delete g.root;

    JTPakFile pak(name.c_str(), false);
    ASSERT_TRUE(pak.Opened());
    char* record = nullptr;
    ASSERT_TRUE(pak.NextPackedFile(&record));
    EXPECT_EQ(std::string(record), name + ":board");
    JTUnknown* root = JTUnknown::LoadType(pak);
    ASSERT_NE(root, nullptr);
    ExpectSameShape(static_cast<TestNode*>(root));
    EXPECT_EQ(SaveToMemory(root), original);
    ASSERT_TRUE(pak.NextPackedFile(&record));
    EXPECT_EQ(std::string(record), name + ":extra");
    JTUnknown* leaf = JTUnknown::LoadType(pak);
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(static_cast<TestLeaf*>(leaf)->weight, -3.0f);
    EXPECT_FALSE(pak.NextPackedFile(&record));
    EXPECT_EQ(record, nullptr);
    EXPECT_FALSE(pak.Failed()); // the end of a pack is not an error
    delete root;
    delete leaf;
}

TEST_F(StreamObjects, EveryTruncationFailsCleanly) {
    Graph g = MakeGraph();
    Bytes data = SaveToMemory(g.root);
    delete g.root;
    ASSERT_GT(data.size(), 100u);
    for (size_t n = 0; n < data.size(); ++n) {
        bool failed = false;
        JTUnknown* root = LoadFromMemory(data, n, &failed);
        EXPECT_EQ(root, nullptr) << "cut at " << n;
        EXPECT_TRUE(failed) << "cut at " << n;
        delete root;
    }
    JTUnknown* whole = LoadFromMemory(data, data.size());
    ASSERT_NE(whole, nullptr);
    delete whole;
}

TEST_F(StreamObjects, TruncatedFileFailsCleanly) {
    Graph g = MakeGraph();
    Bytes data = SaveToMemory(g.root);
    delete g.root;
    std::string path = dir + "/cut.jtm";
    for (size_t n : {size_t(5), size_t(20), data.size() / 2, data.size() - 1}) {
        FILE* f = fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(data.data(), 1, n, f);
        fclose(f);
        JTFile in(path.c_str(), false);
        JTUnknown* root = JTUnknown::LoadType(in);
        EXPECT_EQ(root, nullptr) << n;
        EXPECT_TRUE(in.Failed()) << n;
    }
}

TEST_F(StreamObjects, CorruptedBytesNeverCrash) {
    // Each byte inverted in turn: the load either fails or yields a whole
    // graph, and under the sanitizers nothing overruns or leaks.
    Graph g = MakeGraph();
    Bytes data = SaveToMemory(g.root);
    delete g.root;
    int failures = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        Bytes bad = data;
        bad[i] ^= 0xFF;
        JTUnknown* root = LoadFromMemory(bad, bad.size());
        if (!root) ++failures;
        delete root;
    }
    EXPECT_GT(failures, 0);
}

TEST_F(StreamObjects, OversizedClassNameIsRefused) {
    Bytes b = Header("x");
    b.resize(13 + 6);
    b.push_back(0x2C); // 300 bytes of name
    b.push_back(0x01);
    for (int i = 0; i < 299; ++i)
        b.push_back('A');
    b.push_back(0);
    b.push_back(1);
    b.push_back(0);
    bool failed = false;
    EXPECT_EQ(LoadFromMemory(b, b.size(), &failed), nullptr);
    EXPECT_TRUE(failed);

    // A name whose stored bytes lack their terminator.
    Bytes open = Header("TestLeaf");
    open[13 + 6 + 2 + 8] = 'X';
    EXPECT_EQ(LoadFromMemory(open, open.size(), &failed), nullptr);
    EXPECT_TRUE(failed);
}

TEST_F(StreamObjects, UnknownClassIsRefused) {
    Bytes b = Header("NoSuchClass");
    b.resize(b.size() + 16, 0);
    bool failed = false;
    EXPECT_EQ(LoadFromMemory(b, b.size(), &failed), nullptr);
    EXPECT_TRUE(failed);
}

TEST_F(StreamObjects, BadBackReferenceIsRefused) {
    for (int32_t ref : {0, 5, -2, INT32_MIN}) {
        Bytes b = Header("", ref);
        bool failed = false;
        EXPECT_EQ(LoadFromMemory(b, b.size(), &failed), nullptr) << ref;
        EXPECT_TRUE(failed) << ref;
    }
}

TEST_F(StreamObjects, ChildThatIsABackReferenceIsRefused) {
    // A node that names itself as its own child: a careful owner refuses,
    // and the half-read node is freed without touching it twice.
    Bytes b = Header("TestNode");
    const unsigned char fields[] = {1, 0, 0, 0, 0, 0, // TestBase: version, tag
                                    3, 0, 9, 0, 0, 0, // TestNode: version, value
                                    1, 0, 0, 0};      // one child...
    b.insert(b.end(), fields, fields + sizeof fields);
    const unsigned char self[] = {1, 0, 0, 0, 0, 0}; // ...which is object 0
    b.insert(b.end(), self, self + sizeof self);
    b.insert(b.end(), 4, 0); // no link
    bool failed = false;
    EXPECT_EQ(LoadFromMemory(b, b.size(), &failed), nullptr);
    EXPECT_TRUE(failed);
}

TEST_F(StreamObjects, PackRecordNameBeyondTheFileIsRefused) {
    std::string path = dir + "/bad.pak";
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fputs("Version    2\n", f);
    const unsigned char length[] = {0xF0, 0xFF, 0xFF, 0xFF};
    fwrite(length, 1, 4, f);
    fputs("board", f);
    fclose(f);
    JTPakFile pak(path.c_str(), false);
    char* record = reinterpret_cast<char*>(1);
    EXPECT_FALSE(pak.NextPackedFile(&record));
    EXPECT_EQ(record, nullptr);
    EXPECT_TRUE(pak.Failed());

    // A stray partial length word at the end is damage too, not the end.
    Bytes b(13);
    std::memcpy(b.data(), "Version    2\n", 13);
    b.push_back(3);
    b.push_back(0);
    JTPakFile mem(nullptr, MallocCopy(b, b.size()), unsigned(b.size()), false);
    EXPECT_FALSE(mem.NextPackedFile(&record));
    EXPECT_TRUE(mem.Failed());
}

TEST_F(StreamObjects, PackNamesJoinThePackAndTheRecord) {
    JTPakFile out(nullptr, nullptr, 0, true);
    char board[] = "board";
    char* record = board;
    ASSERT_TRUE(out.NextPackedFile(&record));
    uint32_t v = 42;
    out.SaveLoadValue(v);
    Bytes data = Contents(out);
    // Layout: version record, u32 5, "board\0", version record, the word.
    ASSERT_EQ(data.size(), 13u + 4 + 6 + 13 + 4);
    EXPECT_EQ(data[13], 5);
    EXPECT_EQ(std::memcmp(&data[17], "board", 6), 0);
    EXPECT_EQ(std::memcmp(&data[23], "Version    2\n", 13), 0);

    for (size_t n = 14; n < data.size(); ++n) {
        JTPakFile cut("data\\levels.pak", MallocCopy(data, n), unsigned(n), false);
        char* name = nullptr;
        bool started = cut.NextPackedFile(&name);
        uint32_t word = 0;
        bool read = started && cut.SaveLoadValue(word);
        EXPECT_FALSE(read) << n;
        EXPECT_TRUE(cut.Failed()) << n;
    }
    JTPakFile in("data\\levels.pak", MallocCopy(data, data.size()), unsigned(data.size()), false);
    char* name = nullptr;
    ASSERT_TRUE(in.NextPackedFile(&name));
    EXPECT_STREQ(name, "data\\levels.pak:board");
    uint32_t word = 0;
    ASSERT_TRUE(in.SaveLoadValue(word));
    EXPECT_EQ(word, 42u);
    EXPECT_FALSE(in.NextPackedFile(&name));
    EXPECT_EQ(name, nullptr);
    EXPECT_FALSE(in.Failed());
}

} // namespace
