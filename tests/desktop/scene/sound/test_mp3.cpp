// Mp3Decoder: lame-encoded mono and stereo tones decode to their frames,
// rate and channels, whole or fed in chunks; files too short, without a
// frame, or behind a tag are handled cleanly.
#include "desktop/scene/sound/mp3_decoder.h"

#include <gtest/gtest.h>

#include "tests/desktop/scene/sound/sound_fixture.h"

namespace lumivane::test {

namespace {

constexpr int kMp3FrameSamples = 1152;

} // namespace

TEST(LvMp3, MonoAndStereoDecodeWithTheirFramesRateAndChannels) {
    if (!HaveLame()) GTEST_SKIP() << "lame is not installed";
    SoundFolder folder;
    folder.WriteMp3("mono.mp3", {.channels = 1, .rate = 22050, .frames = 11025});
    folder.WriteMp3("stereo.mp3", {.channels = 2, .rate = 44100, .frames = 22050});
    struct Case {
        const char* file;
        int channels, rate, frames;
        size_t chunk;
    };
    for (const Case& c :
         {Case{"mono.mp3", 1, 22050, 11025, 0}, Case{"stereo.mp3", 2, 44100, 22050, 0},
          Case{"stereo.mp3", 2, 44100, 22050, 1000}}) {
        SCOPED_TRACE(std::string(c.file) + " chunk " + std::to_string(c.chunk));
        Mp3Decoder decoder;
        EXPECT_EQ(decoder.FrameCount(), -1);
        ASSERT_TRUE(decoder.Open(folder.Sound(c.file), c.chunk));
        EXPECT_EQ(decoder.GetSampleRate(), c.rate);
        EXPECT_EQ(decoder.GetChannels(), c.channels);
        EXPECT_EQ(decoder.GetBitsPerSample(), 16);
        const int frames = decoder.DecodeAll();
        EXPECT_NEAR(frames, c.frames, kMp3FrameSamples);
        EXPECT_EQ(decoder.PcmBytes(), size_t(frames) * size_t(c.channels) * 2);
        std::vector<int16_t> pcm(decoder.PcmBytes() / 2 + 1, 0x5555);
        ASSERT_TRUE(decoder.CopyPcm(pcm.data()));
        EXPECT_EQ(pcm.back(), 0x5555) << "copies exactly channels x frames x 2 bytes";
        // A tone, not silence, came out.
        int16_t loudest = 0;
        for (int16_t s : pcm)
            if (s != 0x5555) loudest = std::max<int16_t>(loudest, int16_t(std::abs(s)));
        EXPECT_GT(loudest, 3000);
        decoder.Close();
        EXPECT_EQ(decoder.FrameCount(), -1);
        EXPECT_EQ(decoder.GetSampleRate(), 0);
    }
}

TEST(LvMp3, ATagBeforeTheFirstFrameStillDecodes) {
    if (!HaveLame()) GTEST_SKIP() << "lame is not installed";
    SoundFolder folder;
    folder.WriteMp3("plain.mp3", {.channels = 1, .rate = 22050, .frames = 4410});
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(platform::ReadWholeFile(folder.Sound("plain.mp3"), bytes));
    // An ID3v2 tag of 100 bytes of text in front of the stream.
    std::vector<uint8_t> tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 100};
    tagged.resize(10 + 100, 'x');
    tagged.insert(tagged.end(), bytes.begin(), bytes.end());
    folder.WriteBytes("tagged.mp3", tagged);
    Mp3Decoder decoder;
    ASSERT_TRUE(decoder.Open(folder.Sound("tagged.mp3"), 0));
    EXPECT_EQ(decoder.GetSampleRate(), 22050);
    EXPECT_NEAR(decoder.DecodeAll(), 4410, kMp3FrameSamples);
}

TEST(LvMp3, FilesThatHoldNoStreamAreRefused) {
    SoundFolder folder;
    folder.WriteBytes("three.mp3", {0xFF, 0xFB, 0x90});
    folder.WriteBytes("empty.mp3", {});
    std::vector<uint8_t> noise(3000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = uint8_t(i * 7 % 13);
    folder.WriteBytes("noise.mp3", noise);
    // Frame headers that name the reserved sampling rate: a rate of 0.
    std::vector<uint8_t> noRate;
    for (int i = 0; i < 200; ++i)
        noRate.insert(noRate.end(), {0xFF, 0xFB, 0x9C, 0x00});
    folder.WriteBytes("norate.mp3", noRate);
    for (const char* file : {"three.mp3", "empty.mp3", "noise.mp3", "norate.mp3", "missing.mp3"}) {
        for (size_t chunk : {size_t(0), size_t(64)}) {
            Mp3Decoder decoder;
            EXPECT_FALSE(decoder.Open(folder.Sound(file), chunk)) << file;
            EXPECT_EQ(decoder.GetSampleRate(), 0);
            EXPECT_EQ(decoder.DecodeAll(), -1) << file;
        }
    }
}

} // namespace lumivane::test
