// The WAVE reader: the format record with only the extra bytes the chunk
// holds, the fact count and the data chunk; what is no WAVE is refused.
#include "platform/wave_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/riff.h"

using platform::FourCC;

namespace {

struct Chunk {
    uint32_t id;
    std::vector<uint8_t> bytes;
};

std::filesystem::path WriteForm(const char* name, uint32_t form, const std::vector<Chunk>& chunks) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / (std::to_string(getpid()) + "_" + name);
    platform::RiffWriter writer;
    EXPECT_TRUE(writer.Create(path, form));
    for (const Chunk& chunk : chunks) {
        EXPECT_TRUE(writer.BeginChunk(chunk.id));
        EXPECT_TRUE(writer.Write(chunk.bytes.data(), chunk.bytes.size()));
    }
    EXPECT_TRUE(writer.Close());
    return path;
}

// tag 2, stereo, 22050 Hz, 11025 bytes a second, blocks of 512, 4 bits,
// then `tail` (the extra-size word and extra bytes, if any).
std::vector<uint8_t> Format(std::initializer_list<uint8_t> tail) {
    constexpr uint8_t kRecord[16] = {2, 0, 2, 0, 0x22, 0x56, 0, 0, 0x11, 0x2B, 0, 0, 0, 2, 4, 0};
    std::vector<uint8_t> bytes(std::begin(kRecord), std::end(kRecord));
    for (uint8_t byte : tail)
        bytes.push_back(byte);
    return bytes;
}

} // namespace

TEST(WaveFile, ReadsTheRecordTheFactAndTheDataAsTheyAre) {
    std::string error;
    platform::WaveFile wave;
    // extraSize says 32, the chunk holds 2 of them: only those are taken.
    const auto full = WriteForm("wave_full.wav", FourCC('W', 'A', 'V', 'E'),
                                {{FourCC('f', 'm', 't', ' '), Format({32, 0, 0xF4, 0x01})},
                                 {FourCC('f', 'a', 'c', 't'), {0x10, 0x27, 0, 0}},
                                 {FourCC('d', 'a', 't', 'a'), {1, 2, 3, 4, 5}}});
    ASSERT_TRUE(platform::ReadWaveFile(full, wave, error)) << error;
    EXPECT_EQ(wave.format.formatTag, 2);
    EXPECT_EQ(wave.format.channels, 2);
    EXPECT_EQ(wave.format.samplesPerSecond, 22050u);
    EXPECT_EQ(wave.format.averageBytesPerSecond, 11025u);
    EXPECT_EQ(wave.format.blockAlign, 512);
    EXPECT_EQ(wave.format.bitsPerSample, 4);
    EXPECT_EQ(wave.format.extraSize, 32);
    EXPECT_EQ(wave.extra, (std::vector<uint8_t>{0xF4, 0x01}));
    EXPECT_TRUE(wave.hasFact);
    EXPECT_EQ(wave.factSamples, 10000u);
    ASSERT_NE(wave.data, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(wave.data, wave.data + wave.dataSize),
              (std::vector<uint8_t>{1, 2, 3, 4, 5}));

    // A 16-byte record and no data: read, and the caller decides.
    const auto bare = WriteForm("wave_bare.wav", FourCC('W', 'A', 'V', 'E'),
                                {{FourCC('f', 'm', 't', ' '), Format({})}});
    ASSERT_TRUE(platform::ReadWaveFile(bare, wave, error)) << error;
    EXPECT_EQ(wave.format.extraSize, 0);
    EXPECT_TRUE(wave.extra.empty());
    EXPECT_FALSE(wave.hasFact);
    EXPECT_EQ(wave.data, nullptr);

    const auto shortRecord = WriteForm("wave_short.wav", FourCC('W', 'A', 'V', 'E'),
                                       {{FourCC('f', 'm', 't', ' '), {1, 0, 1, 0}}});
    EXPECT_FALSE(platform::ReadWaveFile(shortRecord, wave, error));
    EXPECT_EQ(error, "no complete \"fmt \" chunk");
    const auto other = WriteForm("wave_other.avi", FourCC('A', 'V', 'I', ' '),
                                 {{FourCC('f', 'm', 't', ' '), Format({})}});
    EXPECT_FALSE(platform::ReadWaveFile(other, wave, error));
    EXPECT_EQ(error, "not a WAVE file");
    EXPECT_FALSE(platform::ReadWaveFile(full.string() + ".missing", wave, error));
    for (const auto& path : {full, bare, shortRecord, other})
        std::filesystem::remove(path);
}
