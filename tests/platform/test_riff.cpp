// RIFF chunks: written sizes are fixed up and read back; damaged files are
// refused instead of read past their end.
#include "platform/riff.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using platform::FourCC;

namespace {
std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::to_string(getpid()) + "_" + name))
        .string();
}
} // namespace

TEST(Riff, WrittenChunksReadBackWithPaddingAndPatches) {
    const std::string path = TempPath("riff_roundtrip.riff");
    platform::RiffWriter writer;
    ASSERT_TRUE(writer.Create(path, FourCC('T', 'E', 'S', 'T')));
    ASSERT_TRUE(writer.BeginChunk(FourCC('o', 'd', 'd', ' ')));
    ASSERT_TRUE(writer.Write("abc", 3));
    ASSERT_TRUE(writer.EndChunk());
    ASSERT_TRUE(writer.BeginChunk(FourCC('n', 'u', 'm', 's')));
    const long at = writer.Offset();
    ASSERT_TRUE(writer.Write("\xFF\xFF\xFF\xFF", 4));
    ASSERT_TRUE(writer.Patch(at, "\x2A\0\0\0", 4));
    ASSERT_TRUE(writer.Close());

    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(platform::ReadWholeFile(path, bytes, error)) << error;
    EXPECT_EQ(bytes.size(), 12u + 8 + 4 + 8 + 4); // odd chunk padded to 4
    EXPECT_EQ(platform::ReadLE32(bytes.data() + 4), bytes.size() - 8);
    platform::RiffReader reader;
    ASSERT_TRUE(reader.Open(bytes.data(), bytes.size(), error)) << error;
    EXPECT_EQ(reader.Form(), FourCC('T', 'E', 'S', 'T'));
    ASSERT_EQ(reader.Chunks().size(), 2u);
    platform::RiffChunk chunk;
    ASSERT_TRUE(reader.Find(FourCC('o', 'd', 'd', ' '), chunk));
    EXPECT_EQ(chunk.size, 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(chunk.data), 3), "abc");
    ASSERT_TRUE(reader.Find(FourCC('n', 'u', 'm', 's'), chunk));
    EXPECT_EQ(platform::ReadLE32(chunk.data), 42u);
    EXPECT_FALSE(reader.Find(FourCC('n', 'o', 'n', 'e'), chunk));
    std::filesystem::remove(path);
}

TEST(Riff, DamagedFilesAreRefused) {
    std::string error;
    platform::RiffReader reader;
    // Not RIFF at all, and too short for a header.
    const uint8_t junk[12] = {'R', 'I', 'F', 'X'};
    EXPECT_FALSE(reader.Open(junk, sizeof junk, error));
    EXPECT_FALSE(reader.Open(junk, 8, error));
    // A chunk claiming more bytes than the file holds.
    uint8_t file[28] = {'R', 'I', 'F', 'F', 20,  0,   0,    0,    'W',  'A',
                        'V', 'E', 'd', 'a', 't', 'a', 0xF0, 0xFF, 0xFF, 0x7F};
    EXPECT_FALSE(reader.Open(file, sizeof file, error));
    EXPECT_FALSE(error.empty());
    // The same chunk with its true size reads, even when the form size lies.
    file[16] = 8;
    file[17] = file[18] = file[19] = 0;
    file[4] = 0xFF;
    ASSERT_TRUE(reader.Open(file, sizeof file, error)) << error;
    platform::RiffChunk chunk;
    ASSERT_TRUE(reader.Find(FourCC('d', 'a', 't', 'a'), chunk));
    EXPECT_EQ(chunk.size, 8u);
    // A truncated chunk header at the end is ignored, not read past.
    EXPECT_TRUE(reader.Open(file, 12 + 8 + 8 + 3, error));
}

TEST(Riff, MissingFileIsAnError) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(platform::ReadWholeFile(TempPath("does_not_exist.wav"), bytes, error));
    EXPECT_NE(error.find("does_not_exist"), std::string::npos);
}
