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
    const uint64_t at = writer.Offset();
    ASSERT_TRUE(writer.Write("\xFF\xFF\xFF\xFF", 4));
    ASSERT_TRUE(writer.PatchU32(at, 42));
    ASSERT_TRUE(writer.Close());

    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(platform::ReadWholeFile(path, bytes, &error)) << error;
    EXPECT_EQ(bytes.size(), 12u + 8 + 4 + 8 + 4); // odd chunk padded to 4
    uint32_t formSize = 0;
    platform::MemoryReader header(bytes.data(), bytes.size());
    ASSERT_TRUE(header.Skip(4) && header.ReadU32(formSize));
    EXPECT_EQ(formSize, bytes.size() - 8);
    platform::RiffReader reader;
    ASSERT_TRUE(reader.Open(bytes.data(), bytes.size(), error)) << error;
    EXPECT_EQ(reader.Form(), FourCC('T', 'E', 'S', 'T'));
    ASSERT_EQ(reader.Chunks().size(), 2u);
    platform::RiffChunk chunk;
    ASSERT_TRUE(reader.Find(FourCC('o', 'd', 'd', ' '), chunk));
    EXPECT_EQ(chunk.size, 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(chunk.data), 3), "abc");
    ASSERT_TRUE(reader.Find(FourCC('n', 'u', 'm', 's'), chunk));
    uint32_t patched = 0;
    ASSERT_TRUE(platform::MemoryReader(chunk.data, chunk.size).ReadU32(patched));
    EXPECT_EQ(patched, 42u);
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

TEST(Riff, AnUnfinishedFileNeverReplacesTheOldOne) {
    const std::string path = TempPath("riff_unfinished.riff");
    {
        platform::RiffWriter first;
        ASSERT_TRUE(first.Create(path, FourCC('O', 'L', 'D', ' ')));
        ASSERT_TRUE(first.Close());
    }
    const auto before = std::filesystem::file_size(path);
    {
        platform::RiffWriter abandoned;
        ASSERT_TRUE(abandoned.Create(path, FourCC('N', 'E', 'W', ' ')));
        ASSERT_TRUE(abandoned.BeginChunk(FourCC('d', 'a', 't', 'a')));
        ASSERT_TRUE(abandoned.Write("half", 4));
    } // dropped without Close
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(platform::ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes.size(), before);
    platform::RiffReader reader;
    std::string error;
    ASSERT_TRUE(reader.Open(bytes.data(), bytes.size(), error)) << error;
    EXPECT_EQ(reader.Form(), FourCC('O', 'L', 'D', ' '));
    // Nothing of the abandoned write is left beside it either.
    int files = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        files += entry.path().string().rfind(path, 0) == 0 ? 1 : 0;
    EXPECT_EQ(files, 1);
    std::filesystem::remove(path);
}
