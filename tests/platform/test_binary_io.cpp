// Binary reader and writer: little-endian layout, bounds checks with a
// sticky failure, files replaced only on commit.
#include "platform/binary_io.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace platform;

namespace {

std::vector<uint8_t> Sample() {
    BufferWriter w;
    w.WriteU8(0xAB);
    w.WriteU16(0x1234);
    w.WriteU32(0xCAFEBABE);
    w.WriteI32(-2);
    w.WriteF32(1.5f);
    w.WriteU64(0x0102030405060708ull);
    w.WriteCString("Park");
    w.WriteFixedString("Fire and Ice", 8);
    EXPECT_TRUE(w.Good());
    return w.Take();
}

// Reads back what Sample wrote, from any reader.
void CheckSample(BinaryReader& r) {
    uint8_t u8 = 0;
    uint16_t u16 = 0;
    uint32_t u32 = 0;
    int32_t i32 = 0;
    float f = 0;
    uint64_t u64 = 0;
    std::string c, fixed;
    EXPECT_TRUE(r.ReadU8(u8) && r.ReadU16(u16) && r.ReadU32(u32) && r.ReadI32(i32) &&
                r.ReadF32(f) && r.ReadU64(u64) && r.ReadCString(c) && r.ReadFixedString(fixed, 8));
    EXPECT_EQ(u8, 0xAB);
    EXPECT_EQ(u16, 0x1234);
    EXPECT_EQ(u32, 0xCAFEBABEu);
    EXPECT_EQ(i32, -2);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(u64, 0x0102030405060708ull);
    EXPECT_EQ(c, "Park");
    EXPECT_EQ(fixed, "Fire an"); // cut so the field keeps its zero byte
    EXPECT_TRUE(r.AtEnd());
    EXPECT_TRUE(r.Good());
}

} // namespace

TEST(BinaryIo, AnEmptyFixedStringIsAllZeros) {
    BufferWriter w;
    EXPECT_TRUE(w.WriteFixedString(std::string_view(), 4)); // a view without storage
    EXPECT_EQ(w.Data(), std::vector<uint8_t>(4, 0));
}

TEST(BinaryIo, LayoutIsLittleEndianFieldByField) {
    std::vector<uint8_t> bytes = Sample();
    ASSERT_EQ(bytes.size(), 1u + 2 + 4 + 4 + 4 + 8 + 5 + 8);
    EXPECT_EQ(bytes[1], 0x34);
    EXPECT_EQ(bytes[2], 0x12);
    EXPECT_EQ(bytes[3], 0xBE);
    EXPECT_EQ(bytes[6], 0xCA);
    EXPECT_EQ(bytes[7], 0xFE);  // -2
    EXPECT_EQ(bytes[13], 0xC0); // 1.5f = 0x3FC00000
    EXPECT_EQ(bytes[14], 0x3F);
    MemoryReader r(bytes);
    CheckSample(r);
}

TEST(BinaryIo, ReadsPastTheEndFailCleanlyAndStayFailed) {
    const uint8_t data[] = {1, 2, 3};
    MemoryReader r(data, sizeof data);
    uint32_t v = 99;
    EXPECT_FALSE(r.ReadU32(v));
    EXPECT_EQ(v, 99u);
    EXPECT_EQ(r.Position(), 0u);
    EXPECT_TRUE(r.Failed());
    uint8_t b = 0;
    EXPECT_FALSE(r.ReadU8(b)); // sticky even though a byte is there

    MemoryReader r2(data, sizeof data);
    std::vector<uint8_t> big;
    EXPECT_FALSE(r2.ReadBytes(big, size_t(1) << 40)); // no huge allocation either
    MemoryReader r3(data, sizeof data);
    std::string s;
    EXPECT_FALSE(r3.ReadCString(s)); // no terminator before the end
    EXPECT_EQ(r3.Position(), 0u);
    MemoryReader r4(data, sizeof data);
    EXPECT_FALSE(r4.Skip(4));
    EXPECT_FALSE(r4.Seek(4));
    MemoryReader r5(data, sizeof data);
    EXPECT_TRUE(r5.Seek(3));
    EXPECT_TRUE(r5.AtEnd());
    EXPECT_TRUE(r5.Good());

    BufferWriter w;
    w.WriteU16(7);
    EXPECT_FALSE(w.PatchU32(0, 1));
    EXPECT_TRUE(w.Failed());
}

TEST(BinaryIo, FileRoundTripWithPatch) {
    platform_test::TempDir dir;
    const auto path = dir.Path() / "sample.bin";
    std::vector<uint8_t> bytes = Sample();
    {
        FileWriter w;
        ASSERT_TRUE(w.Open(path));
        w.WriteU32(0); // size, known late
        w.WriteBytes(bytes.data(), bytes.size());
        EXPECT_TRUE(w.PatchU32(0, uint32_t(bytes.size())));
        EXPECT_FALSE(w.PatchU32(w.Position() - 2, 0)); // beyond what was written
        // Failed writers never replace the file.
        EXPECT_FALSE(w.Commit());
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    {
        FileWriter w;
        ASSERT_TRUE(w.Open(path));
        w.WriteU32(0);
        w.WriteBytes(bytes.data(), bytes.size());
        EXPECT_TRUE(w.PatchU32(0, uint32_t(bytes.size())));
        std::string error;
        EXPECT_TRUE(w.Commit(&error)) << error;
    }
    FileReader r;
    ASSERT_TRUE(r.Open(path));
    uint32_t size = 0;
    ASSERT_TRUE(r.ReadU32(size));
    EXPECT_EQ(size, bytes.size());
    CheckSample(r);
    uint8_t extra;
    EXPECT_FALSE(r.ReadU8(extra));
    // Only the target remains in the folder: no temporary file left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(BinaryIo, WholeFileHelpersReportClearErrorsAndKeepOldFiles) {
    platform_test::TempDir dir;
    const auto path = dir.Path() / "whole.txt";
    std::string error;
    std::string text;
    EXPECT_FALSE(ReadWholeFile(path, text, &error));
    EXPECT_NE(error.find("whole.txt"), std::string::npos);
    EXPECT_NE(error.find("No such file"), std::string::npos);

    ASSERT_TRUE(WriteWholeFile(path, std::string_view("first"), &error)) << error;
    ASSERT_TRUE(ReadWholeFile(path, text, &error));
    EXPECT_EQ(text, "first");
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(ReadWholeFile(path, bytes, &error, 3));
    EXPECT_NE(error.find("too large"), std::string::npos);

    FileWriter abandoned;
    ASSERT_TRUE(abandoned.Open(path));
    abandoned.WriteString("second");
    abandoned.Discard();
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text, "first");

    EXPECT_FALSE(WriteWholeFile(dir.Path() / "missing" / "x.bin", std::string_view("x"), &error));
    EXPECT_NE(error.find("cannot create"), std::string::npos);
    EXPECT_FALSE(ReadWholeFile(dir.Path(), text, &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos);
}

TEST(BinaryIo, FileReaderRefusesPipesWithoutWaitingAndStartsAfreshOnReopen) {
    platform_test::TempDir dir;
    const auto fifo = dir.Path() / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string error, text;
    // Opening a pipe with no writer would block for ever.
    EXPECT_FALSE(ReadWholeFile(fifo, text, &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;

    const auto small = dir.Path() / "small.bin";
    const auto large = dir.Path() / "large.bin";
    ASSERT_TRUE(WriteWholeFile(small, std::string_view("ab")));
    ASSERT_TRUE(WriteWholeFile(large, std::string_view("abcdefgh")));
    FileReader r;
    ASSERT_TRUE(r.Open(small));
    uint32_t v = 0;
    EXPECT_FALSE(r.ReadU32(v));
    EXPECT_TRUE(r.Failed());
    // The failure belonged to the old file.
    ASSERT_TRUE(r.Open(large));
    EXPECT_TRUE(r.Good());
    EXPECT_EQ(r.Position(), 0u);
    EXPECT_TRUE(r.ReadU32(v));
    EXPECT_EQ(v, 0x64636261u);
}
