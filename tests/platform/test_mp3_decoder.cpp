// MP3 decoding: a stream encoded by lame from a known tone decodes to its
// rate, channels and length, and the frame walk agrees without synthesis.
#include "platform/mp3_decoder.h"
#include "platform/riff.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

void WriteToneWave(const std::string& path, int rate, int channels, int frames) {
    platform::RiffWriter writer;
    ASSERT_TRUE(writer.Create(path, platform::FourCC('W', 'A', 'V', 'E')));
    const uint16_t blockAlign = static_cast<uint16_t>(channels * 2);
    const uint32_t avg = rate * blockAlign;
    const uint8_t fmt[16] = {1,
                             0,
                             static_cast<uint8_t>(channels),
                             0,
                             static_cast<uint8_t>(rate),
                             static_cast<uint8_t>(rate >> 8),
                             static_cast<uint8_t>(rate >> 16),
                             0,
                             static_cast<uint8_t>(avg),
                             static_cast<uint8_t>(avg >> 8),
                             static_cast<uint8_t>(avg >> 16),
                             0,
                             static_cast<uint8_t>(blockAlign),
                             0,
                             16,
                             0};
    ASSERT_TRUE(writer.BeginChunk(platform::FourCC('f', 'm', 't', ' ')));
    ASSERT_TRUE(writer.Write(fmt, sizeof fmt));
    ASSERT_TRUE(writer.BeginChunk(platform::FourCC('d', 'a', 't', 'a')));
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            const int16_t s = static_cast<int16_t>(10000 * std::sin(i * 0.06 * (c + 1)));
            ASSERT_TRUE(writer.Write(&s, 2));
        }
    ASSERT_TRUE(writer.Close());
}

bool HaveLame() {
    return std::system("command -v lame >/dev/null 2>&1") == 0;
}

} // namespace

TEST(Mp3Decoder, DecodesRateChannelsAndLengthOfALameStream) {
    if (!HaveLame()) GTEST_SKIP() << "lame is not installed";
    const auto dir =
        std::filesystem::temp_directory_path() / ("mp3dec_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string wav = (dir / "tone.wav").string(), mp3 = (dir / "tone.mp3").string();
    const int frames = 22050; // one second
    WriteToneWave(wav, 22050, 2, frames);
    ASSERT_EQ(std::system(
                  ("lame --quiet --add-id3v2 --tt Tone -b 64 '" + wav + "' '" + mp3 + "'").c_str()),
              0);

    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(platform::ReadWholeFile(mp3, bytes, &error));
    int rate = 0, channels = 0;
    uint64_t counted = 0;
    // The ID3 tag in front does not hide the first frame's format.
    ASSERT_TRUE(
        platform::Mp3Decoder::Count(bytes.data(), bytes.size(), rate, channels, counted, error))
        << error;
    EXPECT_EQ(rate, 22050);
    EXPECT_EQ(channels, 2);

    platform::Mp3Decoder decoder;
    ASSERT_TRUE(decoder.Reset(error)) << error;
    // Fed in odd-sized pieces, drained through an odd-sized room.
    size_t fed = 0, produced = 0;
    std::vector<uint8_t> out(4603);
    for (;;) {
        size_t got = 0;
        const auto status = decoder.Decode(out.data(), out.size(), got);
        ASSERT_NE(status, platform::Mp3Decoder::Status::Failed);
        EXPECT_EQ(got % 4, 0u) << "half a sample frame";
        produced += got;
        if (status == platform::Mp3Decoder::Status::NeedMore) {
            if (fed == bytes.size()) break;
            const size_t piece = std::min<size_t>(777, bytes.size() - fed);
            ASSERT_TRUE(decoder.Feed(bytes.data() + fed, piece));
            fed += piece;
        }
    }
    ASSERT_TRUE(decoder.Format(rate, channels));
    EXPECT_EQ(rate, 22050);
    EXPECT_EQ(channels, 2);
    // Encoder delay and padding are removed; the frame walk counts them.
    EXPECT_NEAR(static_cast<double>(produced / 4), frames, 1152);
    EXPECT_GE(counted, produced / 4);
    std::filesystem::remove_all(dir);
}

TEST(Mp3Decoder, RefusesDataWithoutFrames) {
    std::vector<uint8_t> noise(5000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<uint8_t>(i * 7 % 13);
    int rate = 0, channels = 0;
    uint64_t frames = 0;
    std::string error;
    EXPECT_FALSE(
        platform::Mp3Decoder::Count(noise.data(), noise.size(), rate, channels, frames, error));
    EXPECT_FALSE(error.empty());
    platform::Mp3Decoder decoder;
    size_t got = 0;
    uint8_t out[64];
    EXPECT_EQ(decoder.Decode(out, sizeof out, got), platform::Mp3Decoder::Status::Failed);
}
