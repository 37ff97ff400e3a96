// The language table in both encodings: field rules, column masks, code
// page conversion and files that are damaged.
#include "desktop/shell/language_table.h"
#include "shell_test_support.h"

#include <gtest/gtest.h>

using namespace lumivane;
using namespace shell_test;

namespace {

using LvLanguage = ShellTest;

// The same lines as a comma file and as a UTF-16 tab file.
const char* const kCases[] = {
    "Language 7",
    "1,2,3,4", // line 2 is skipped whatever it holds
    "12,\"\"\"word\"\"\",x",
    "Comment,5,5,5",
    " 13,blank,start",
    "14,\"a, b\",second,third,fourth,ignored",
    "15,\"\",\"\"",
};

std::string CommaFile() {
    std::string text;
    for (const char* line : kCases)
        text += std::string(line) + "\r\n";
    return text;
}

std::string Utf16Le(std::u16string_view text, bool byteOrderMark) {
    std::string bytes;
    if (byteOrderMark) bytes += "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += char(unit & 0xff);
        bytes += char(unit >> 8);
    }
    return bytes;
}

std::u16string TabFileText() {
    std::u16string text;
    for (const char* line : kCases) {
        std::string tabbed = line;
        for (char& c : tabbed)
            if (c == ',') c = '\t';
        // Keep the quoted comma of id 14 a comma.
        if (tabbed.rfind("14", 0) == 0) tabbed = "14\t\"a, b\"\tsecond\tthird\tfourth\tignored";
        text += std::u16string(tabbed.begin(), tabbed.end()) + u"\r\n";
    }
    return text;
}

void ExpectCases(const LanguageTable& table) {
    EXPECT_EQ(table.HeaderText(), "Language 7");
    EXPECT_STREQ(table.GetString(12, 0), "\"word\"");
    EXPECT_STREQ(table.GetString(12, 1), "x");
    EXPECT_EQ(table.FindRow(1), nullptr);  // line 2
    EXPECT_EQ(table.FindRow(13), nullptr); // starts with a blank
    EXPECT_EQ(table.RowCount(), 3u);
    EXPECT_STREQ(table.GetString(14, 0), "a, b");
    EXPECT_STREQ(table.GetString(14, 3), "fourth");
    EXPECT_STREQ(table.GetString(15, 0), ""); // a lone quote pair is empty
    EXPECT_TRUE(table.FindRow(15)->Has(1));
    const char* missing = table.GetString(999);
    ASSERT_NE(missing, nullptr);
    EXPECT_STREQ(missing, "");
}

TEST_F(LvLanguage, CommaAndUtf16FilesFollowTheSameRules) {
    WriteFile(Dir() / "Langfile.csv", CommaFile());
    WriteFile(Dir() / "Langfile.TXT", Utf16Le(TabFileText(), true));
    LanguageTable comma, wide;
    ASSERT_TRUE(comma.Load((Dir() / "Langfile.csv").string(), 0xF));
    ASSERT_TRUE(wide.Load((Dir() / "Langfile.TXT").string(), 0xF));
    ExpectCases(comma);
    ExpectCases(wide);
}

TEST_F(LvLanguage, MaskKeepsOnlyItsColumnsAndRepeatedIdsRefillTheFirstRow) {
    WriteFile(Dir() / "Langfile.csv",
              "h\nh\n20,zero,one,two,three\n21,a\x85,b\x85\n20,new zero,new one\n");
    LanguageTable table;
    ASSERT_TRUE(table.Load((Dir() / "Langfile.csv").string(), LanguageTable::kColumn1));
    EXPECT_STREQ(table.GetString(20), "new one");
    EXPECT_FALSE(table.FindRow(20)->Has(0));
    EXPECT_FALSE(table.FindRow(20)->Has(2));
    EXPECT_STREQ(table.GetString(20, 0), "");
    EXPECT_STREQ(table.GetString(21), "b...");
}

TEST_F(LvLanguage, Utf16TextIsConvertedWithTheCodePage) {
    const std::u16string text = u"x\r\nx\r\n5058\t\u041b\u0443\u043c\t\u041b\u0443\u043c\u0438"
                                u"\u0432\u0430\u043d \u2026 \u00e9\r\n";
    WriteFile(Dir() / "ru.txt", Utf16Le(text, true));
    LanguageTable cyrillic(1251);
    ASSERT_TRUE(cyrillic.Load((Dir() / "ru.txt").string(), LanguageTable::kColumn1));
    // "Лумиван ... ?": the ellipsis as full stops, é has no CP1251 byte.
    EXPECT_STREQ(cyrillic.GetString(5058), "\xCB\xF3\xEC\xE8\xE2\xE0\xED ... ?");
    EXPECT_EQ(cyrillic.CodePage(), 1251u);

    LanguageTable western(0); // 0 means 1252
    ASSERT_TRUE(western.Load((Dir() / "ru.txt").string(), LanguageTable::kColumn1));
    EXPECT_STREQ(western.GetString(5058), "??????? ... \xE9");
}

TEST_F(LvLanguage, DamagedFilesNeverCrashOrRunAway) {
    LanguageTable table;
    EXPECT_FALSE(table.Load((Dir() / "missing.csv").string(), 0xF));
    EXPECT_EQ(table.RowCount(), 0u);

    // An endless line, an id past 32 bits and a quote left open at the end.
    std::string damaged = "h\nh\n30," + std::string(100000, 'z') +
                          ",after\n4294967308,big\n"
                          "2147483647,largest\n31,\"open quote";
    WriteFile(Dir() / "damaged.csv", damaged);
    ASSERT_TRUE(table.Load((Dir() / "damaged.csv").string(), 0xF));
    EXPECT_EQ(std::string(table.GetString(30, 0)).size(), LanguageTable::kMaxTextBytes);
    EXPECT_STREQ(table.GetString(30), "after");
    EXPECT_EQ(table.FindRow(12), nullptr); // 4294967308 must not wrap to 12
    EXPECT_STREQ(table.GetString(2147483647, 0), "largest");
    EXPECT_STREQ(table.GetString(31, 0), "open quote");

    // UTF-16 without a byte-order mark and with an odd last byte.
    std::string odd = Utf16Le(u"h\nh\n40\tforty\tx\n41\ty", false) + "\x41";
    WriteFile(Dir() / "odd.txt", odd);
    ASSERT_TRUE(table.Load((Dir() / "odd.txt").string(), 0xF));
    EXPECT_STREQ(table.GetString(40, 0), "forty");
    EXPECT_STREQ(table.GetString(41, 0), "y");
    EXPECT_EQ(table.FindRow(30), nullptr); // loading starts afresh
}

} // namespace
