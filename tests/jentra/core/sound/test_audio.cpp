// JTAudio on the silent output: the volume rule, how names map to files,
// MP3 and WAVE loading with their rates and lengths, groups, looping, and
// damaged files refused without harm.
#include "Jentra/JTAudio.h"
#include "Jentra/JTDataFolder.h"
#include "Jentra/JTMp3Stream.h"
#include "tests/jentra/test_audio_fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <thread>

using namespace audio_fixtures;
using namespace std::chrono_literals;

namespace {

class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        JTGetSoundOptions().sound = true;
        JTGetSoundOptions().lowRAM = false;
        audio = std::make_unique<JTAudio>();
        ASSERT_TRUE(audio->HasDevice());
    }
    void TearDown() override { JTGetSoundOptions().lowRAM = false; }
    DataFolder data;
    std::unique_ptr<JTAudio> audio;
};

} // namespace

TEST(AudioVolume, LevelsBecomeHundredthsOfDecibels) {
    EXPECT_EQ(JTVolumeFromLevel(1.0f), 0);
    EXPECT_EQ(JTVolumeFromLevel(0.5f), -602);
    EXPECT_EQ(JTVolumeFromLevel(0.1f), -2000);
    EXPECT_EQ(JTVolumeFromLevel(0.00001f), -10000);
    EXPECT_EQ(JTVolumeFromLevel(0.0f), -10000);
    EXPECT_EQ(JTVolumeFromLevel(-1.0f), -10000);
    EXPECT_EQ(JTVolumeFromLevel(0.0001f), -8000);
    // Above 1 the rule goes on upwards (the device plays it at full level).
    EXPECT_EQ(JTVolumeFromLevel(2.0f), 602);
    EXPECT_EQ(JTVolumeFromLevel(10.0f), 2000);
    EXPECT_GT(JTVolumeFromLevel(std::numeric_limits<float>::infinity()), 0);
}

TEST_F(AudioTest, NamesWithAnExtensionAreReadAsMp3AndCaseIsIgnored) {
    if (!data.WriteMp3("sounds/Click.mp3", PcmTone(22050, 1, 11025)))
        GTEST_SKIP() << "lame is not installed";
    char name[] = "click.wav";
    const int index = audio->RegisterSound(name, true);
    ASSERT_GE(index, 0);
    EXPECT_STREQ(name, "click.wav"); // the caller's name is untouched
    EXPECT_EQ(audio->RegisterSound("CLICK.WAV", false), index);
    EXPECT_EQ(audio->GetRegisteredCount(), 1);
    const JTWaveFormat* format = audio->GetSoundFormat(index);
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->nSamplesPerSec, 22050u); // kept at its rate
    EXPECT_EQ(format->nChannels, 1);
    EXPECT_NEAR(audio->GetSoundLength(index), 500, 30);
    EXPECT_EQ(audio->GetSoundLength(-1), 0u);
}

TEST_F(AudioTest, StereoMp3At44100IsHalvedTo22050) {
    if (!data.WriteMp3("sounds/Wide.mp3", PcmTone(44100, 2, 44100)))
        GTEST_SKIP() << "lame is not installed";
    JTMp3Stream stream;
    ASSERT_TRUE(stream.Open((data.root / "sounds/Wide.mp3").c_str()));
    const int samples = stream.DecodeAll();
    EXPECT_EQ(stream.GetSampleRate(), 44100);
    EXPECT_EQ(stream.GetChannels(), 2);
    EXPECT_NEAR(samples, 44100, 1152);
    EXPECT_EQ(stream.GetPCMSize(), static_cast<unsigned>(samples) * 4);

    const int index = audio->RegisterSound("wide.wav", true);
    ASSERT_GE(index, 0);
    const JTWaveFormat* format = audio->GetSoundFormat(index);
    EXPECT_EQ(format->nSamplesPerSec, 22050u);
    EXPECT_EQ(format->nChannels, 2);
    EXPECT_EQ(format->nBlockAlign, 4);
    // Half the frames, whole stereo pairs: the length stays one second.
    EXPECT_NEAR(audio->GetSoundLength(index), samples * 1000.0 / 44100, 2);
    EXPECT_EQ(audio->GetBytesAllocated(), static_cast<unsigned>(samples / 2) * 4);
}

TEST_F(AudioTest, LowMemoryReadsSoundslowExceptDialogue) {
    if (!data.WriteMp3("soundslow/beep.mp3", PcmTone(22050, 1, 2205)))
        GTEST_SKIP() << "lame is not installed";
    data.WriteMp3("sounds/dialogue/line1.mp3", PcmTone(22050, 1, 2205));
    JTGetSoundOptions().lowRAM = true;
    EXPECT_GE(audio->RegisterSound("beep.wav", true), 0);
    EXPECT_GE(audio->RegisterSound("dialogue\\line1.wav", true), 0);
    JTGetSoundOptions().lowRAM = false;
    EXPECT_EQ(audio->RegisterSound("nothere.wav", true), -1);
}

TEST_F(AudioTest, WaveFilesLoadPcmAndAdpcm) {
    data.Write("sounds/tone", BuildWave(PcmTone(11025, 2, 11025)));
    const int pcm = audio->RegisterSound("TONE", true); // no dot: read as WAVE
    ASSERT_GE(pcm, 0);
    EXPECT_EQ(audio->GetSoundFormat(pcm)->nSamplesPerSec, 11025u);
    EXPECT_EQ(audio->GetSoundFormat(pcm)->nChannels, 2);
    EXPECT_EQ(audio->GetSoundLength(pcm), 1000u);

    // ADPCM: "fact" says 1000 samples of the 4 x 505 decoded.
    WaveParts adpcm = ImaAdpcm(22050, 4);
    adpcm.factSamples = 1000;
    data.Write("sounds/crunch", BuildWave(adpcm));
    const int compressed = audio->RegisterSound("crunch", true);
    ASSERT_GE(compressed, 0);
    EXPECT_EQ(audio->GetSoundFormat(compressed)->wBitsPerSample, 16);
    EXPECT_EQ(audio->GetSoundLength(compressed), 1000u * 2 * 1000 / 44100);
}

TEST_F(AudioTest, DamagedWaveFilesAreSkipped) {
    WaveParts longFmt = PcmTone(22050, 1, 100);
    longFmt.fmtExtra.assign(40, 0xAB); // cbSize 0xABAB, far past the chunk
    data.Write("sounds/longfmt", BuildWave(longFmt));
    EXPECT_GE(audio->RegisterSound("longfmt", true), 0) << "a long fmt chunk is read safely";

    WaveParts rateZero = PcmTone(22050, 1, 100);
    rateZero.rate = 0;
    data.Write("sounds/ratezero", BuildWave(rateZero));
    EXPECT_EQ(audio->RegisterSound("ratezero", true), -1);

    WaveParts empty = PcmTone(22050, 1, 0);
    data.Write("sounds/empty", BuildWave(empty));
    EXPECT_EQ(audio->RegisterSound("empty", true), -1);

    auto truncated = BuildWave(PcmTone(22050, 1, 1000));
    truncated.resize(truncated.size() / 2);
    data.Write("sounds/truncated", truncated);
    EXPECT_EQ(audio->RegisterSound("truncated", true), -1);

    WaveParts adpcmBadExtra = ImaAdpcm(22050, 1);
    adpcmBadExtra.tag = 2; // Microsoft ADPCM claiming 7 coefficient pairs it lacks
    adpcmBadExtra.fmtExtra = {6, 0, 0xF4, 0x01, 7, 0};
    data.Write("sounds/badcoef", BuildWave(adpcmBadExtra));
    EXPECT_EQ(audio->RegisterSound("badcoef", true), -1);

    data.Write("sounds/garbage.mp3", std::vector<uint8_t>(3000, 0x42));
    EXPECT_EQ(audio->RegisterSound("garbage.wav", true), -1);

    // Failed sounds do nothing when used.
    audio->PlaySoundA(-1, 0, false);
    EXPECT_FALSE(audio->IsPlaying(-1));
    EXPECT_EQ(audio->RegisterSound(std::string(200, 'x').c_str(), true), -1);
}

TEST_F(AudioTest, GroupsSetVolumesAndLoopingSoundsStopWhenTold) {
    data.Write("sounds/hum", BuildWave(PcmTone(22050, 1, 1102)));
    const int index = audio->RegisterSound("hum", true);
    ASSERT_GE(index, 0);
    audio->SetVolume(3, 0.5f); // creates groups 1 to 3
    EXPECT_EQ(audio->GetGroupCount(), 4);
    EXPECT_FLOAT_EQ(audio->GetGroupLevel(0), 1.0f);
    EXPECT_FLOAT_EQ(audio->GetGroupLevel(3), 0.5f);

    audio->PlaySoundA(index, 3, true);
    EXPECT_NEAR(audio->GetSoundGain(index), 0.5f, 0.001f);
    audio->SetVolume(3, 0.1f); // applies at once to sounds of the group
    EXPECT_NEAR(audio->GetSoundGain(index), 0.1f, 0.001f);
    audio->PlaySoundA(index, 7, true); // no such group: volume unchanged
    EXPECT_NEAR(audio->GetSoundGain(index), 0.1f, 0.001f);
    audio->SetVolume(7, 4.0f); // louder than full is full
    EXPECT_FLOAT_EQ(audio->GetSoundGain(index), 1.0f);

    std::this_thread::sleep_for(200ms); // four times its 50 ms
    EXPECT_TRUE(audio->IsPlaying(index));
    EXPECT_TRUE(audio->IsPlaying("HUM"));
    audio->StopSound("hum");
    EXPECT_FALSE(audio->IsPlaying(index));

    audio->PlaySoundA("hum", 0, false);
    EXPECT_TRUE(audio->IsPlaying(index));
    audio->StopSounds();
    EXPECT_FALSE(audio->IsPlaying(index));
}

TEST_F(AudioTest, SoundOffLoadsAndPlaysNothing) {
    data.Write("sounds/hum", BuildWave(PcmTone(22050, 1, 1102)));
    JTGetSoundOptions().sound = false;
    EXPECT_EQ(audio->RegisterSound("hum", true), -1);
    EXPECT_EQ(audio->PlaySoundA("hum", 0, false), -1);
    JTSound* streamed = audio->LoadStreamed("sounds\\hum");
    EXPECT_FALSE(streamed->IsLoaded());
    delete streamed;
    JTGetSoundOptions().sound = true;
    audio->ToggleSound(JTAudio::TOGGLE_SWITCH, false);
    EXPECT_FALSE(audio->IsSoundOn());
    EXPECT_EQ(audio->GetMasterLevel(), 0.0f);
    audio->ToggleSound(JTAudio::TOGGLE_ON, false);
    EXPECT_EQ(audio->GetMasterLevel(), 1.0f);
}

TEST_F(AudioTest, StreamedAdpcmPlaysToItsEndAndStops) {
    // 0.25 s of ADPCM: one block of source per half, looped twice then ended.
    data.Write("music/short.wav", BuildWave(ImaAdpcm(22050, 11)));
    std::unique_ptr<JTSound> sound(audio->LoadStreamed("music\\SHORT.WAV"));
    ASSERT_TRUE(sound->IsLoaded());
    ASSERT_TRUE(sound->IsStreamed());
    EXPECT_EQ(sound->GetLength(), 11u * 256 * 1000 / (22050 * 256 / 505));
    sound->Play(true);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (sound->GetLoopCount() < 2 && std::chrono::steady_clock::now() < deadline) {
        sound->Update();
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_GE(sound->GetLoopCount(), 2);
    sound->StopLooping();
    while (sound->IsPlaying() && std::chrono::steady_clock::now() < deadline + 5s) {
        sound->Update();
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_FALSE(sound->IsPlaying());
    EXPECT_EQ(sound->GetSourcePosition(), 11u * 256);

    // Played once, it ends one silent half (here as long as the sound) after
    // its data: about twice its length, never sooner.
    const auto start = std::chrono::steady_clock::now();
    sound->Play(false);
    while (sound->IsPlaying() && std::chrono::steady_clock::now() < start + 5s) {
        sound->Update();
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_FALSE(sound->IsPlaying());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2 * 11 * 505 * 1000ms / 22050 - 20ms);
}

TEST(WaveWriter, WritesAWaveThatLoadsBackWithItsSampleCount) {
    DataFolder data;
    JTWaveWriter writer;
    const auto path = (data.root / "out.wav").string();
    ASSERT_EQ(writer.Open(path.c_str(), true, 8000, 16), 0);
    std::vector<uint8_t> samples(8000 * 4 / 4, 0x10); // 0.25 s
    ASSERT_EQ(writer.Write(static_cast<unsigned>(samples.size()), samples.data()), 0);
    ASSERT_EQ(writer.Close(), 0);
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(bytes.size(), 12u + 8 + 16 + 8 + 4 + 8 + samples.size());
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "fact");
    EXPECT_EQ(bytes[44] | bytes[45] << 8, 2000); // sample frames written
    EXPECT_EQ(writer.Open((data.root / "no/such/folder.wav").c_str(), false, 8000, 16),
              static_cast<HRESULT>(0x80004005));

    JTGetSoundOptions().sound = true;
    JTAudio audio;
    JTSound* loaded = audio.LoadStreamed("out.wav");
    EXPECT_TRUE(loaded->IsLoaded());
    EXPECT_EQ(loaded->GetLength(), 250u);
    delete loaded;
}

TEST(Mp3Stream, DecodesToAWaveNamedAfterItself) {
    DataFolder data;
    if (!data.WriteMp3("song.v1.mp3", PcmTone(22050, 1, 4410)))
        GTEST_SKIP() << "lame is not installed";
    JTMp3Stream stream;
    ASSERT_TRUE(stream.Open((data.root / "song.v1.mp3").c_str(), 1000)); // chunked
    EXPECT_EQ(stream.GetChannels(), 1);
    const int samples = stream.DecodeAll();
    EXPECT_NEAR(samples, 4410, 1152);
    EXPECT_EQ(stream.GetPCMSize(), 0u); // chunked decoding only counts
    ASSERT_EQ(stream.DecodeToWave(nullptr), 0);
    ASSERT_TRUE(std::filesystem::exists(data.root / "song.v1.wav"));
    JTGetSoundOptions().sound = true;
    JTAudio audio;
    std::unique_ptr<JTSound> wave(audio.LoadStreamed("song.v1.wav"));
    ASSERT_TRUE(wave->IsLoaded());
    EXPECT_EQ(wave->GetLength(), static_cast<unsigned>(samples * 1000 / 22050));
    EXPECT_FALSE(stream.Open((data.root / "missing.mp3").c_str()));
}

TEST(AudioClass, IsTheFirstRegisteredEngineClass) {
    EXPECT_EQ(JTAudio::nType, 0);
    EXPECT_EQ(JTUnknown::LookupTypeName("jtaudio"), 0);
    JTGetSoundOptions().sound = true;
    JTAudio audio;
    EXPECT_STREQ(audio.ClassName(), "JTAudio");
    EXPECT_TRUE(audio.IsDerived(JTUnknown::nType));
    EXPECT_EQ(audio.GetType(), JTAudio::ClassType());
}

TEST(AudioData, TheBuiltSoundsOfTheGameLoad) {
    JTSetDataFolder(""); // the program's folder, where the data builder writes
    JTGetSoundOptions().sound = true;
    JTAudio audio;
    for (const char* name :
         {"JTBeep_Alert.wav", "HoloStatic9.wav", "LV-BKG1.wav", "GameOver.wav"}) {
        const int index = audio.RegisterSound(name, true);
        ASSERT_GE(index, 0) << name;
        EXPECT_EQ(audio.GetSoundFormat(index)->nSamplesPerSec, 22050u) << name;
        EXPECT_GT(audio.GetSoundLength(index), 50u) << name;
    }
}
