// The save-and-load stream itself: version record, memory growth, strict
// reads, size queries, file types and folder creation.
#include "Jentra/JTDataFolder.h"
#include "Jentra/JTFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class StreamFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "jentra-stream-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const char* rel) const { return (fs::path(dir) / rel).string(); }
    // An engine-style name: the temporary folder, then backslashes.
    std::string EngineName(const char* rel) const { return dir + "/" + rel; }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string dir;
};

unsigned char* Copy(const void* data, unsigned size) {
    auto* p = static_cast<unsigned char*>(std::malloc(size ? size : 1));
    if (size) std::memcpy(p, data, size);
    return p;
}

TEST(Stream, SavingBeginsWithTheVersionRecord) {
    JTFile f(nullptr, nullptr, 0, true);
    EXPECT_EQ(f.Version(), 2u);
    ASSERT_EQ(f.GetCurrentMemBufferUsed(), 13u);
    EXPECT_EQ(std::memcmp(f.GetCurrentMemBuffer(), "Version    2\n", 13), 0);
    EXPECT_FALSE(f.Opened());
    EXPECT_TRUE(f.Saving());
}

TEST(Stream, MemoryGrowsByTheLengthPlusSlack) {
    JTFile f(nullptr, nullptr, 0, true);
    EXPECT_EQ(f.GetCurrentMemBufferCapacity(), 1024u);
    unsigned char block[1020] = {};
    ASSERT_TRUE(f.SaveLoad(block, sizeof block));
    EXPECT_EQ(f.GetCurrentMemBufferCapacity(), 1024u + 1020u + 1024u);
    EXPECT_EQ(f.GetCurrentMemBufferUsed(), 13u + 1020u);
    EXPECT_TRUE(f.SaveLoad(nullptr, 0)); // nothing to move
}

TEST(Stream, ValuesRoundTripLittleEndian) {
    JTFile out(nullptr, nullptr, 0, true);
    uint16_t a = 0x1234;
    int32_t b = -2;
    float c = 1.5f;
    bool d = true;
    uint8_t e = 0xAB;
    ASSERT_TRUE(out.SaveLoadValue(a) && out.SaveLoadValue(b) && out.SaveLoadValue(c) &&
                out.SaveLoadValue(d) && out.SaveLoadValue(e));
    const unsigned char* p = out.GetCurrentMemBuffer() + 13;
    const unsigned char expected[] = {0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF,
                                      0x00, 0x00, 0xC0, 0x3F, 0x01, 0xAB};
    ASSERT_EQ(out.GetCurrentMemBufferUsed(), 13u + sizeof expected);
    EXPECT_EQ(std::memcmp(p, expected, sizeof expected), 0);

    JTFile in(nullptr, Copy(out.GetCurrentMemBuffer(), out.GetCurrentMemBufferUsed()),
              out.GetCurrentMemBufferUsed(), false);
    uint16_t a2 = 0;
    int32_t b2 = 0;
    float c2 = 0;
    bool d2 = false;
    uint8_t e2 = 0;
    ASSERT_TRUE(in.SaveLoadValue(a2) && in.SaveLoadValue(b2) && in.SaveLoadValue(c2) &&
                in.SaveLoadValue(d2) && in.SaveLoadValue(e2));
    EXPECT_EQ(a2, a);
    EXPECT_EQ(b2, b);
    EXPECT_EQ(c2, c);
    EXPECT_EQ(d2, d);
    EXPECT_EQ(e2, e);
    EXPECT_FALSE(in.Failed());
}

TEST(Stream, MemoryReadPastTheDataFailsAndStaysFailed) {
    const char data[] = "Version    2\nAB";
    JTFile in(nullptr, Copy(data, 15), 15, false);
    uint32_t word = 0x5A5A5A5A;
    EXPECT_FALSE(in.SaveLoadValue(word));
    EXPECT_EQ(word, 0x5A5A5A5Au); // nothing invented
    EXPECT_TRUE(in.Failed());
    uint8_t byte = 0;
    EXPECT_FALSE(in.SaveLoadValue(byte)); // a failed stream stays failed

    // Too short for even the version record.
    JTFile tiny(nullptr, Copy("Vers", 4), 4, false);
    EXPECT_TRUE(tiny.Failed());
    // A buffer the stream made itself holds no data to read.
    JTFile empty(nullptr, nullptr, 0, false);
    EXPECT_FALSE(empty.SaveLoadValue(byte));
}

TEST(Stream, ForeignFirstBytesKeepVersionTwoAndReadingGoesOn) {
    const char data[] = "Hello, world!XY";
    JTFile in(nullptr, Copy(data, 15), 15, false);
    EXPECT_EQ(in.Version(), 2u);
    char two[2];
    ASSERT_TRUE(in.SaveLoad(two, 2));
    EXPECT_EQ(std::memcmp(two, "XY", 2), 0);

    const char v7[] = "Version    7\n";
    JTFile seven(nullptr, Copy(v7, 13), 13, false);
    EXPECT_EQ(seven.Version(), 7u);
}

TEST(Stream, MemoryCopyNeedsTheExactSize) {
    JTFile f(nullptr, nullptr, 0, true);
    uint32_t v = 7;
    f.SaveLoadValue(v);
    unsigned size = 0;
    ASSERT_TRUE(f.CurrentFileToMemBuffer(nullptr, &size));
    EXPECT_EQ(size, 17u);
    unsigned char buf[32];
    unsigned wrong = 18;
    EXPECT_FALSE(f.CurrentFileToMemBuffer(buf, &wrong));
    ASSERT_TRUE(f.CurrentFileToMemBuffer(buf, &size));
    EXPECT_EQ(buf[13], 7);
}

TEST(Stream, DetectFileTypeLooksAtTheLastExtension) {
    EXPECT_EQ(JTFile::DetectFileType("a.b.JPG"), JTFile::FILETYPE_JPG);
    EXPECT_EQ(JTFile::DetectFileType("sky.Tga"), JTFile::FILETYPE_TGA);
    EXPECT_EQ(JTFile::DetectFileType("x.bmp"), JTFile::FILETYPE_BMP);
    EXPECT_EQ(JTFile::DetectFileType("x.dds"), JTFile::FILETYPE_DDS);
    EXPECT_EQ(JTFile::DetectFileType("x.psd"), JTFile::FILETYPE_PSD);
    EXPECT_EQ(JTFile::DetectFileType("x.scc"), JTFile::FILETYPE_SCC);
    EXPECT_EQ(JTFile::DetectFileType("x.gif"), JTFile::FILETYPE_GIF);
    EXPECT_EQ(JTFile::DetectFileType("x.MAX"), JTFile::FILETYPE_MAX);
    EXPECT_EQ(JTFile::DetectFileType("x.jpeg"), JTFile::FILETYPE_UNKNOWN);
    EXPECT_EQ(JTFile::DetectFileType("nodot"), JTFile::FILETYPE_UNKNOWN);
    EXPECT_EQ(JTFile::DetectFileType(nullptr), JTFile::FILETYPE_UNKNOWN);
}

TEST_F(StreamFiles, DiskStreamRoundTripsAndCreatesFolders) {
    std::string name = EngineName("saves\\a\\b.jtm");
    {
        JTFile out(name.c_str(), true);
        ASSERT_TRUE(out.Opened());
        int32_t v = 123456;
        ASSERT_TRUE(out.SaveLoadValue(v));
        EXPECT_STREQ(out.GetFileName(), name.c_str());
        EXPECT_TRUE(out.Close());
    }
    ASSERT_TRUE(fs::is_directory(Path("saves/a")));
    std::string bytes = Read(Path("saves/a/b.jtm"));
    ASSERT_EQ(bytes.size(), 17u);
    EXPECT_EQ(bytes.substr(0, 13), "Version    2\n");

    // Names ignore letter case when loading.
    std::string other = EngineName("SAVES\\A\\B.JTM");
    JTFile in(other.c_str(), false);
    ASSERT_TRUE(in.Opened());
    int32_t v = 0;
    ASSERT_TRUE(in.SaveLoadValue(v));
    EXPECT_EQ(v, 123456);
    EXPECT_FALSE(in.SaveLoadValue(v)); // end of file
    EXPECT_TRUE(in.Failed());
}

TEST_F(StreamFiles, RelativeNamesLiveBelowTheWorkingFolderNotTheCurrentOne) {
    JTSetDataFolder(dir.c_str());
    {
        JTFile out("Recorded\\Game1.gam", true);
        ASSERT_TRUE(out.Opened());
        int32_t v = 7;
        ASSERT_TRUE(out.SaveLoadValue(v));
        EXPECT_TRUE(out.Close());
    }
    EXPECT_TRUE(fs::exists(Path("Recorded/Game1.gam")));
    JTFile in("recorded\\GAME1.GAM", false);
    int32_t v = 0;
    EXPECT_TRUE(in.Opened() && in.SaveLoadValue(v));
    EXPECT_EQ(v, 7);
    JTSetDataFolder(nullptr);
}

TEST_F(StreamFiles, NamedMemoryStreamsSaveBelowTheWorkingFolderToo) {
    JTSetDataFolder(dir.c_str());
    {
        JTFile out("saves\\mem.jtm", nullptr, 0, true);
        int32_t v = 11;
        ASSERT_TRUE(out.SaveLoadValue(v));
        EXPECT_TRUE(out.Close());
    }
    JTSetDataFolder(nullptr);
    EXPECT_EQ(Read(Path("saves/mem.jtm")), std::string("Version    2\n\x0b\0\0\0", 17));
    EXPECT_FALSE(fs::exists("saves/mem.jtm"));
}

TEST_F(StreamFiles, MissingFileIsNotOpenedAndReadsFail) {
    std::string name = EngineName("nothing\\here.jtm");
    JTFile in(name.c_str(), false);
    EXPECT_FALSE(in.Opened());
    EXPECT_EQ(in.Version(), 0u); // no record was read
    uint16_t v = 0;
    EXPECT_FALSE(in.SaveLoadValue(v));
}

TEST_F(StreamFiles, NamedMemoryStreamIsWrittenAtClose) {
    std::string name = EngineName("built.jtm");
    {
        JTFile out(name.c_str(), nullptr, 0, true);
        uint16_t v = 9;
        out.SaveLoadValue(v);
        EXPECT_FALSE(fs::exists(Path("built.jtm")));
        EXPECT_TRUE(out.Close());
        EXPECT_EQ(out.GetCurrentMemBuffer(), nullptr);
    }
    EXPECT_EQ(Read(Path("built.jtm")), std::string("Version    2\n\x09\x00", 15));

    // A file that cannot be created (a plain file stands where its folder
    // belongs) is reported by Close.
    { std::ofstream blocker(Path("blocker")); }
    std::string bad = EngineName("blocker\\x.jtm");
    JTFile out(bad.c_str(), nullptr, 0, true);
    EXPECT_FALSE(out.Close());

    // A save that failed on the way leaves the earlier file as it was.
    {
        JTFile broken(name.c_str(), nullptr, 0, true);
        uint32_t w = 0xDEADBEEF;
        broken.SaveLoadValue(w);
        broken.Fail();
        EXPECT_FALSE(broken.Close());
    }
    EXPECT_EQ(Read(Path("built.jtm")), std::string("Version    2\n\x09\x00", 15));
}

TEST_F(StreamFiles, SizeQueryCountsToTheEndPlusOne) {
    std::string path = Path("twenty.bin");
    {
        std::ofstream o(path, std::ios::binary);
        o << "Version    2\n0123456789ABCDEFGHIJ";
    }
    JTFile in(path.c_str(), false);
    ASSERT_TRUE(in.Opened());
    ASSERT_EQ(fseek(in.GetFilePointer(), -10, SEEK_END), 0);
    unsigned size = 0;
    ASSERT_TRUE(in.CurrentFileToMemBuffer(nullptr, &size));
    EXPECT_EQ(size, 11u);
    EXPECT_EQ(ftell(in.GetFilePointer()), 13 + 10); // measured without moving
    char small[5];
    unsigned smallSize = sizeof small;
    EXPECT_FALSE(in.CurrentFileToMemBuffer(reinterpret_cast<unsigned char*>(small), &smallSize));
    char buf[11];
    ASSERT_TRUE(in.CurrentFileToMemBuffer(reinterpret_cast<unsigned char*>(buf), &size));
    EXPECT_STREQ(buf, "ABCDEFGHIJ");
}

TEST_F(StreamFiles, EnsureFilePathExistsMakesTheFolders) {
    std::string file = EngineName("saves\\a\\b.jtm");
    JTFile::EnsureFilePathExists(file.c_str());
    EXPECT_TRUE(fs::is_directory(Path("saves/a")));
    EXPECT_FALSE(fs::exists(Path("saves/a/b.jtm")));

    std::string folder = EngineName("other\\a\\");
    JTFile::EnsureFilePathExists(folder.c_str());
    EXPECT_TRUE(fs::is_directory(Path("other/a")));

    // An existing folder spelled in another case is reused, not doubled.
    std::string mixed = EngineName("SAVES\\A\\c\\d.jtm");
    JTFile::EnsureFilePathExists(mixed.c_str());
    EXPECT_TRUE(fs::is_directory(Path("saves/a/c")));
    EXPECT_FALSE(fs::exists(Path("SAVES")));
}

} // namespace
