// Sound device on the silent output: whole sounds end on their own, looping
// sounds play until stopped, stream blocks are consumed in real time.
#include "platform/sound_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

std::vector<int16_t> Tone(int rate, int channels, double seconds) {
    const size_t frames = static_cast<size_t>(rate * seconds);
    std::vector<int16_t> samples(frames * channels);
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[i * channels + c] = static_cast<int16_t>(8000 * std::sin(i * 0.05));
    return samples;
}

template <typename Predicate> bool WaitFor(Predicate done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

class SoundDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(device.Open(32, error)) << error;
    }
    platform::SoundDevice device;
};

} // namespace

TEST(SoundVolume, HundredthsOfDecibelToGain) {
    EXPECT_FLOAT_EQ(platform::GainFromHundredthsDb(0), 1.0f);
    EXPECT_NEAR(platform::GainFromHundredthsDb(-602), 0.5f, 0.001f);
    EXPECT_NEAR(platform::GainFromHundredthsDb(-2000), 0.1f, 0.0001f);
    EXPECT_EQ(platform::GainFromHundredthsDb(-10000), 0.0f);
    EXPECT_EQ(platform::GainFromHundredthsDb(-20000), 0.0f);
    EXPECT_FLOAT_EQ(platform::GainFromHundredthsDb(602), 1.0f);
}

TEST_F(SoundDeviceTest, WholeSoundEndsOnItsOwn) {
    platform::SoundVoice voice(device);
    ASSERT_TRUE(voice.IsValid());
    const auto tone = Tone(22050, 1, 0.1);
    ASSERT_TRUE(voice.SetData({1, 22050, 16}, tone.data(), tone.size() * 2));
    voice.Play(false);
    EXPECT_TRUE(voice.IsPlaying());
    EXPECT_TRUE(WaitFor([&] { return !voice.IsPlaying(); }, 2000ms));
}

TEST_F(SoundDeviceTest, LoopingSoundStopsWhenTold) {
    platform::SoundVoice voice(device);
    const auto tone = Tone(44100, 2, 0.05);
    ASSERT_TRUE(voice.SetData({2, 44100, 16}, tone.data(), tone.size() * 2));
    voice.Play(true);
    std::this_thread::sleep_for(200ms); // four times its length
    EXPECT_TRUE(voice.IsPlaying());
    voice.Stop();
    EXPECT_FALSE(voice.IsPlaying());
    // Played again after a rewind it starts from the top.
    voice.Rewind();
    voice.Play(false);
    EXPECT_TRUE(voice.IsPlaying());
    EXPECT_TRUE(WaitFor([&] { return !voice.IsPlaying(); }, 2000ms));
}

TEST_F(SoundDeviceTest, RefusesFormatsItCannotPlay) {
    platform::SoundVoice voice(device);
    const int16_t samples[8] = {};
    EXPECT_FALSE(voice.SetData({3, 22050, 16}, samples, sizeof samples));
    EXPECT_FALSE(voice.SetData({1, 0, 16}, samples, sizeof samples));
    EXPECT_FALSE(voice.SetData({1, 22050, 24}, samples, sizeof samples));
    EXPECT_FALSE(voice.BeginStream({2, 22050, 12}));
}

TEST_F(SoundDeviceTest, StreamBlocksAreConsumedInOrder) {
    platform::SoundVoice voice(device);
    ASSERT_TRUE(voice.BeginStream({1, 22050, 16}));
    const auto block = Tone(22050, 1, 0.05);
    ASSERT_TRUE(voice.QueueBlock(block.data(), block.size() * 2));
    ASSERT_TRUE(voice.QueueBlock(block.data(), block.size() * 2));
    EXPECT_EQ(voice.QueuedBlocks(), 2);
    voice.Play(false);
    EXPECT_TRUE(WaitFor([&] { return voice.ProcessedBlocks() >= 1; }, 2000ms));
    voice.UnqueueProcessed();
    EXPECT_LE(voice.QueuedBlocks(), 1);
    // A refilled block keeps the stream going.
    ASSERT_TRUE(voice.QueueBlock(block.data(), block.size() * 2));
    EXPECT_TRUE(WaitFor([&] { return !voice.IsPlaying(); }, 2000ms));
    voice.UnqueueProcessed();
    EXPECT_EQ(voice.QueuedBlocks(), 0);
    // Half a sample frame is never queued.
    const uint8_t odd = 0;
    EXPECT_FALSE(voice.QueueBlock(&odd, 1));
}

TEST_F(SoundDeviceTest, GainAndPlacementAreKept) {
    platform::SoundVoice voice(device);
    voice.SetVolume(-602);
    EXPECT_NEAR(voice.Gain(), 0.5f, 0.001f);
    voice.SetGain(-3.0f);
    EXPECT_EQ(voice.Gain(), 0.0f);
    voice.SetGain(NAN);
    EXPECT_EQ(voice.Gain(), 0.0f);
    // These must be accepted on any voice without disturbing playback.
    const auto tone = Tone(22050, 1, 0.05);
    ASSERT_TRUE(voice.SetData({1, 22050, 16}, tone.data(), tone.size() * 2));
    voice.SetPositional(true);
    voice.SetPosition(3.0f, 0.0f, -1.0f);
    device.SetListenerPosition(0.0f, 0.0f, 0.0f);
    voice.Play(false);
    EXPECT_TRUE(WaitFor([&] { return !voice.IsPlaying(); }, 2000ms));
}

TEST_F(SoundDeviceTest, OneBufferPlaysOnSeveralVoicesFromTheirOwnStart) {
    auto buffer = std::make_shared<platform::SoundBuffer>(device);
    const auto tone = Tone(22050, 1, 0.4);
    ASSERT_TRUE(buffer->SetData({1, 22050, 16}, tone.data(), tone.size() * 2));
    EXPECT_EQ(buffer->Bytes(), tone.size() * 2);
    platform::SoundVoice late(device), early(device);
    ASSERT_TRUE(late.Attach(buffer));
    ASSERT_TRUE(early.Attach(buffer));
    buffer.reset(); // the voices keep it
    late.SetStartFrame(22050 * 35 / 100);
    late.SetPositional(true);
    late.SetPosition(5.0f, 0.0f, 5.0f);
    late.SetVelocity(1.0f, 0.0f, 0.0f);
    late.SetDirection(0.0f, 0.0f, 1.0f);
    late.SetCone(90.0f, 180.0f, 0.25f);
    late.SetDistances(2.0f, 1000.0f);
    device.SetListenerVelocity(0.0f, 0.0f, 1.0f);
    late.Play(false);
    early.Play(false);
    // The late voice has 50 ms left, the early one all 400.
    EXPECT_TRUE(WaitFor([&] { return !late.IsPlaying(); }, 2000ms));
    EXPECT_TRUE(early.IsPlaying());
    EXPECT_TRUE(WaitFor([&] { return !early.IsPlaying(); }, 2000ms));
    // Given its own data again, a voice lets the shared buffer go.
    ASSERT_TRUE(early.SetData({1, 22050, 16}, tone.data(), 64));
    EXPECT_FALSE(early.Attach(nullptr));
}

TEST_F(SoundDeviceTest, TheRoomReverbSwitchesOnAndOff) {
    if (!device.HasReverb()) GTEST_SKIP() << "the output has no effects extension";
    platform::ReverbSettings room;
    room.decayTime = 100.0f; // held to the library's range
    EXPECT_TRUE(device.SetReverb(&room));
    platform::SoundVoice voice(device);
    const auto tone = Tone(22050, 1, 0.05);
    ASSERT_TRUE(voice.SetData({1, 22050, 16}, tone.data(), tone.size() * 2));
    voice.SetReverbSend(true);
    voice.Play(false);
    EXPECT_TRUE(WaitFor([&] { return !voice.IsPlaying(); }, 2000ms));
    voice.SetReverbSend(false);
    EXPECT_TRUE(device.SetReverb(nullptr));
}

TEST(SoundVolume, LevelToHundredthsOfDecibel) {
    EXPECT_EQ(platform::HundredthsDbFromLevel(1.0f), 0);
    EXPECT_EQ(platform::HundredthsDbFromLevel(0.1f), -2000);
    EXPECT_EQ(platform::HundredthsDbFromLevel(0.00001f), -10000);
    EXPECT_EQ(platform::HundredthsDbFromLevel(NAN), -10000);
    EXPECT_GT(platform::HundredthsDbFromLevel(INFINITY), 0);
}

TEST(SoundDeviceClosed, VoicesOnAClosedDeviceDoNothing) {
    platform::SoundDevice device;
    platform::SoundVoice voice(device);
    EXPECT_FALSE(voice.IsValid());
    const int16_t samples[4] = {};
    EXPECT_FALSE(voice.SetData({1, 22050, 16}, samples, sizeof samples));
    voice.Play(true);
    EXPECT_FALSE(voice.IsPlaying());
}

// Under ThreadSanitizer: OpenAL Soft hands source changes to its mixer thread
// through its own lock-free queues, which the sanitizer cannot see in the
// uninstrumented library; only those reports are silenced.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libopenal.so.1\n";
}
