// The translation table: reading "Langfile.csv" (quoting, line endings, odd
// lines, long fields), lookups, editing and writing it back.
#include "Jentra/JTTransMap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

class LangfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/jentra-langfile-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string Write(const std::string& name, const std::string& bytes) {
        std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path folder;
};

TEST_F(LangfileTest, SelectedColumnOnlyAndLookupResults) {
    std::string path =
        Write("Langfile.csv", "\"Chess\",x\nId,English\n25,\"Error\",,\"x.wav\",note\n");
    JTTransMap map;
    ASSERT_TRUE(map.OpenTransFile(path.c_str(), JTTransMap::ColumnForeign));
    EXPECT_STREQ(map.GetTitle(), "Chess");
    ASSERT_NE(map.GetDefaultString(25), nullptr);
    EXPECT_STREQ(map.GetDefaultString(25), "");
    EXPECT_EQ(map.GetString(25, JTTransMap::English), nullptr);
    EXPECT_EQ(map.GetString(25, JTTransMap::Wavefile), nullptr);
    EXPECT_STREQ(map.GetString(26, JTTransMap::Foreign), "");
    EXPECT_EQ(map.GetEntryPtr(26), nullptr);

    JTTransMap all;
    ASSERT_TRUE(all.OpenTransFile(path.c_str(), JTTransMap::ColumnAll));
    EXPECT_STREQ(all.GetString(25, JTTransMap::English), "Error");
    EXPECT_STREQ(all.GetString(25, JTTransMap::Wavefile), "x.wav");
    EXPECT_STREQ(all.GetString(25, JTTransMap::Notes), "note");
}

TEST_F(LangfileTest, QuotingEllipsisAndSkippedLines) {
    std::string path = Write("Langfile.csv", "T\nheader\n"
                                             "6,\"a,b\nsay \"\"hi\"\"\",second\n"
                                             "7,first English,first Foreign,first.wav\n"
                                             "text line,1,2\n"
                                             "\n"
                                             "\xFF"
                                             "9,skipped\n"
                                             "8,wait\x85,\"\"\n"
                                             "7,dup English,dup Foreign\n"
                                             "12abc,leading digits\n"
                                             "2147483647,largest\n"
                                             "4294967321,too large for an id\n");
    JTTransMap map;
    ASSERT_TRUE(map.OpenTransFile(path.c_str(), JTTransMap::ColumnAll));
    EXPECT_STREQ(map.GetString(6, JTTransMap::English), "a,b\nsay \"hi\"");
    EXPECT_STREQ(map.GetString(6, JTTransMap::Foreign), "second");
    // A repeated id writes its fields into the first row with that id.
    EXPECT_STREQ(map.GetString(7, JTTransMap::English), "dup English");
    EXPECT_STREQ(map.GetString(7, JTTransMap::Foreign), "dup Foreign");
    EXPECT_STREQ(map.GetString(7, JTTransMap::Wavefile), "first.wav");
    EXPECT_STREQ(map.GetString(8, JTTransMap::English), "wait...");
    EXPECT_STREQ(map.GetString(8, JTTransMap::Foreign), "");
    EXPECT_STREQ(map.GetString(12, JTTransMap::English), "leading digits");
    // The byte-255 line is skipped like any non-digit line; rows after it stay.
    EXPECT_EQ(map.GetEntryPtr(9), nullptr);
    // An id beyond the int range is no id (it would not survive a save).
    EXPECT_STREQ(map.GetString(2147483647, JTTransMap::English), "largest");
    EXPECT_STREQ(map.GetString(25, JTTransMap::English), "");
    EXPECT_EQ(map.GetRowCount(), 6); // 6, 7, 8, the empty repeat of 7, 12, the largest
}

TEST_F(LangfileTest, CrLfReadsLikeLf) {
    std::string lf = Write("lf.csv", "T\nh\n1,one,un\n2,\"two\nlines\",deux\n");
    std::string crlf = Write("crlf.csv", "T\r\nh\r\n1,one,un\r\n2,\"two\r\nlines\",deux\r\n");
    JTTransMap a, b;
    ASSERT_TRUE(a.OpenTransFile(lf.c_str(), JTTransMap::ColumnAll));
    ASSERT_TRUE(b.OpenTransFile(crlf.c_str(), JTTransMap::ColumnAll));
    ASSERT_EQ(a.GetRowCount(), 2);
    ASSERT_EQ(b.GetRowCount(), 2);
    for (int id : {1, 2}) {
        for (auto column : {JTTransMap::English, JTTransMap::Foreign}) {
            EXPECT_STREQ(a.GetString(id, column), b.GetString(id, column));
        }
    }
    EXPECT_STREQ(b.GetString(2, JTTransMap::English), "two\nlines");
    EXPECT_STREQ(b.GetString(1, JTTransMap::Foreign), "un");
}

TEST_F(LangfileTest, EmptyAndMissingFiles) {
    JTTransMap map;
    std::string missing = (folder / "none.csv").string();
    EXPECT_FALSE(map.OpenTransFile(missing.c_str(), JTTransMap::ColumnForeign));
    EXPECT_EQ(map.GetRowCount(), 0);
    EXPECT_STREQ(map.GetDefaultString(25), "");

    std::string empty = Write("empty.csv", "");
    EXPECT_TRUE(map.OpenTransFile(empty.c_str(), JTTransMap::ColumnForeign));
    EXPECT_EQ(map.GetRowCount(), 0);
    // A row line without a line feed at the end of the file still counts.
    std::string unterminated = Write("short.csv", "T\nh\n3,x,y");
    EXPECT_TRUE(map.OpenTransFile(unterminated.c_str(), JTTransMap::ColumnForeign));
    EXPECT_STREQ(map.GetDefaultString(3), "y");
    // The end of the file does not end the row: its last columns read empty.
    JTTransMap all;
    EXPECT_TRUE(all.OpenTransFile(unterminated.c_str(), JTTransMap::ColumnAll));
    EXPECT_STREQ(all.GetString(3, JTTransMap::Wavefile), "");
    EXPECT_STREQ(all.GetString(3, JTTransMap::Notes), "");
    EXPECT_EQ(all.GetRowCount(), 1);
}

TEST_F(LangfileTest, OverlongFieldIsCutToTheBuffer) {
    std::string huge(6000, 'a');
    std::string dots(3000, '\x85'); // each grows to three characters
    std::string path = Write("long.csv", "T\nh\n1,\"" + huge + "\",after\n2," + dots + ",z\n");
    JTTransMap map;
    ASSERT_TRUE(map.OpenTransFile(path.c_str(), JTTransMap::ColumnAll));
    const char* first = map.GetString(1, JTTransMap::English);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::string(first), std::string(JTTransMap::kFieldBufferSize - 1, 'a'));
    EXPECT_STREQ(map.GetString(1, JTTransMap::Foreign), "after");
    EXPECT_EQ(std::strlen(map.GetString(2, JTTransMap::English)), JTTransMap::kFieldBufferSize - 1);
    EXPECT_STREQ(map.GetString(2, JTTransMap::Foreign), "z");
}

TEST_F(LangfileTest, SaveWritesTheFormatAndReadsBack) {
    JTTransMap map;
    map.SetString(25, JTTransMap::English, "A \"quoted\", word\nand\r\nmore");
    map.SetString(25, JTTransMap::Foreign, "Fremd");
    map.SetString(3, JTTransMap::Notes, "only notes");
    map.SetString(3, JTTransMap::Notes, "notes");
    map.SetString(4, JTTransMap::English, "gone");
    map.SetString(4, JTTransMap::English, nullptr);
    std::string path = (folder / "out.csv").string();
    ASSERT_TRUE(map.SaveTransFile(path.c_str()));
    EXPECT_EQ(Read(path), "Translation File\n"
                          "Id, English, Foreign, Wavefile, Notes\n"
                          "25,\"A \"\"quoted\"\", word\nand\nmore\",\"Fremd\",,,\n"
                          "3,,,,\"notes\",\n"
                          "4,,,,,\n");

    JTTransMap back;
    ASSERT_TRUE(back.OpenTransFile(path.c_str(), JTTransMap::ColumnAll));
    EXPECT_STREQ(back.GetTitle(), "Translation File");
    EXPECT_STREQ(back.GetString(25, JTTransMap::English), "A \"quoted\", word\nand\nmore");
    EXPECT_STREQ(back.GetString(25, JTTransMap::Foreign), "Fremd");
    EXPECT_STREQ(back.GetString(25, JTTransMap::Wavefile), "");
    EXPECT_STREQ(back.GetString(3, JTTransMap::Notes), "notes");
    EXPECT_EQ(back.GetRowCount(), 3);

    // A table that was read keeps its title and writes byte-identically.
    std::string again = (folder / "again.csv").string();
    ASSERT_TRUE(back.SaveTransFile(again.c_str()));
    JTTransMap third;
    ASSERT_TRUE(third.OpenTransFile(again.c_str(), JTTransMap::ColumnAll));
    std::string once_more = (folder / "third.csv").string();
    ASSERT_TRUE(third.SaveTransFile(once_more.c_str()));
    EXPECT_EQ(Read(again), Read(once_more));
}

TEST_F(LangfileTest, TitleWithQuotesAndCommasSurvivesARoundTrip) {
    std::string path = Write("titled.csv", "\"The \"\"Big\"\" Book, 2nd\",junk\nId\n7,\"x\",\n");
    JTTransMap map;
    ASSERT_TRUE(map.OpenTransFile(path.c_str(), JTTransMap::ColumnAll));
    EXPECT_STREQ(map.GetTitle(), "The \"Big\" Book, 2nd");
    std::string out = (folder / "titled-out.csv").string();
    ASSERT_TRUE(map.SaveTransFile(out.c_str()));
    JTTransMap back;
    ASSERT_TRUE(back.OpenTransFile(out.c_str(), JTTransMap::ColumnAll));
    EXPECT_STREQ(back.GetTitle(), "The \"Big\" Book, 2nd");
    EXPECT_STREQ(back.GetString(7, JTTransMap::English), "x");
}

TEST_F(LangfileTest, SaveFailureTellsThePlayerWithoutFormatting) {
    JTTransMap map;
    map.SetString(5143, JTTransMap::Foreign, "Save failed");
    map.SetString(5144, JTTransMap::Foreign, "Cannot write %s (100%% sure) %d %n");
    JTTransMap* previous = gpTransMap;
    gpTransMap = &map;
    std::string path = (folder / "no-such-folder" / "x.csv").string();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(map.SaveTransFile(path.c_str()));
    std::string shown = testing::internal::GetCapturedStderr();
    gpTransMap = previous;
    EXPECT_NE(shown.find("Save failed"), std::string::npos);
    EXPECT_NE(shown.find("Cannot write " + path + " (100% sure) %d %n"), std::string::npos);
}

TEST(TranslateTest, NeverNullAndFormatIsBounded) {
    JTTransMap map;
    map.SetString(1, JTTransMap::English, "english only");
    JTTransMap* previous = gpTransMap;
    gpTransMap = nullptr;
    EXPECT_STREQ(JTTranslate(1), "");
    gpTransMap = &map;
    EXPECT_STREQ(JTTranslate(1), ""); // Foreign column unset
    map.SetDefaultString(JTTransMap::English);
    EXPECT_STREQ(JTTranslate(1), "english only");
    gpTransMap = previous;

    char small[8];
    JTFormatText(small, sizeof small, "ab%scd", "0123456789");
    EXPECT_STREQ(small, "ab01234");
    char out[64];
    JTFormatText(out, sizeof out, "%s and %s", "one");
    EXPECT_STREQ(out, "one and %s");
    JTFormatText(out, sizeof out, nullptr, "x");
    EXPECT_STREQ(out, "");
}

} // namespace
