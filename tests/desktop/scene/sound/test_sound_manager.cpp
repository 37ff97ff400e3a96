// SoundManager: registering and loading sounds (the ".mp3" rewrite, 44.1 kHz
// halving, WAVE formats), volumes, scene sounds, the announcement queue, the
// cue table, and silence without a device. Runs on the silent output.
#include "desktop/scene/sound/sound_manager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/desktop/scene/sound/sound_fixture.h"

namespace lumivane::test {

using namespace std::chrono_literals;

TEST_F(LvSound, LinearVolumesBecomeHundredthsOfADecibel) {
    EXPECT_EQ(VolumeToHundredthsDb(0.0f), -10000);
    EXPECT_EQ(VolumeToHundredthsDb(0.00001f), -10000);
    EXPECT_EQ(VolumeToHundredthsDb(1.0f), 0);
    EXPECT_EQ(VolumeToHundredthsDb(0.5f), -602);
    EXPECT_EQ(VolumeToHundredthsDb(-1.0f), -10000);
}

TEST_F(LvSound, HalvingKeepsEverySecondWholeFrame) {
    // Five stereo 16-bit frames: 0..4 in both channels.
    std::vector<uint8_t> stereo;
    for (uint8_t f = 0; f < 5; ++f)
        stereo.insert(stereo.end(), {f, 0, uint8_t(f + 100), 0});
    HalveSampleFrames(stereo, 4);
    EXPECT_EQ(stereo, (std::vector<uint8_t>{0, 0, 100, 0, 2, 0, 102, 0}));
    std::vector<uint8_t> mono = {1, 0, 2, 0, 3, 0};
    HalveSampleFrames(mono, 2);
    EXPECT_EQ(mono, (std::vector<uint8_t>{1, 0}));
}

TEST_F(LvSound, NamesRegisterOnceInAnyCaseAndWavIsReadAsMp3) {
    folder.WriteMp3("blip.mp3", {.channels = 1, .rate = 22050, .frames = 2205});
    const std::string longName(40, 'q');
    folder.WriteMp3(longName + ".mp3", {.channels = 1, .rate = 22050, .frames = 2205});

    const int32_t blip = manager.RegisterSound("Blip.wav", 0, "test");
    ASSERT_GE(blip, 0) << "read from blip.mp3";
    EXPECT_EQ(manager.SlotName(blip), "Blip.wav");
    EXPECT_EQ(manager.RegisterSound("BLIP.WAV", 0, "test"), blip);
    EXPECT_NEAR(manager.SlotLength(blip), 100, 30);
    EXPECT_EQ(manager.SlotFormat(blip)->samplesPerSecond, 22050u);

    // A long name is kept in 31 characters and found again by them.
    const int32_t longOne = manager.RegisterSound(longName + ".wav", 0, "test");
    ASSERT_GE(longOne, 0);
    EXPECT_EQ(manager.SlotName(longOne).size(), kSoundNameLength);
    EXPECT_EQ(manager.RegisterSound(longName + ".wav", 0, "test"), longOne);
    EXPECT_EQ(manager.SlotCount(), 2);

    EXPECT_EQ(manager.RegisterSound("nothere.wav", 0, "test"), -1);
    EXPECT_EQ(manager.FailedFiles().back(), "sounds\\nothere.mp3");
    EXPECT_EQ(manager.SlotCount(), 2) << "a failed load takes no slot";
}

TEST_F(LvSound, Mp3At44kHzIsHalvedTo22kHz) {
    folder.WriteMp3("wide.mp3", {.channels = 2, .rate = 44100, .frames = 44100});
    const int32_t wide = manager.RegisterSound("wide.wav", 0, "test");
    ASSERT_GE(wide, 0);
    const WaveFormat& format = *manager.SlotFormat(wide);
    EXPECT_EQ(format.samplesPerSecond, 22050u);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.blockAlign, 4);
    EXPECT_NEAR(manager.SlotLength(wide), 1000, 40) << "the length is kept";
    EXPECT_NEAR(double(manager.BytesAllocated()), 22050.0 * 4, 1152.0 * 4);
}

TEST_F(LvSound, WaveFilesAreCheckedBeforeTheyPlay) {
    folder.WriteWave("plain", {.channels = 1, .bits = 8, .frames = 2205});
    folder.WriteWave("longformat", {.channels = 2, .frames = 2205, .formatBytes = 40});
    folder.WriteWave("nochannels", {.channels = 0});
    folder.WriteWave("norate", {.rate = 0});
    folder.WriteWave("nobits", {.bits = 0});
    folder.WriteWave("packed", {.formatTag = 2});
    folder.WriteBytes("short", {'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E'});

    const int32_t plain = manager.RegisterSound("plain", 0, "test");
    ASSERT_GE(plain, 0);
    EXPECT_EQ(manager.SlotFormat(plain)->bitsPerSample, 8);
    EXPECT_EQ(manager.SlotLength(plain), 100u);
    const int32_t longFormat = manager.RegisterSound("longformat", 0, "test");
    ASSERT_GE(longFormat, 0) << "the tail of a long format record is skipped";
    EXPECT_EQ(manager.SlotFormat(longFormat)->channels, 2);
    EXPECT_EQ(manager.SlotLength(longFormat), 100u);

    for (const char* bad : {"nochannels", "norate", "nobits", "short"}) {
        EXPECT_EQ(manager.RegisterSound(bad, 0, "test"), -1) << bad;
        EXPECT_EQ(manager.FailedFiles().back(), std::string("sounds\\") + bad);
    }
    const size_t listed = manager.FailedFiles().size();
    EXPECT_EQ(manager.RegisterSound("packed", 0, "test"), -1);
    EXPECT_EQ(manager.FailedFiles().size(), listed) << "another encoding is refused quietly";
}

TEST_F(LvSound, StopSceneSoundsKeepsElaphantAndFinishedOnesAreFreed) {
    folder.WriteMp3("elaphant.mp3", {.channels = 1, .rate = 22050, .frames = 44100});
    folder.WriteMp3("voice.mp3", {.channels = 1, .rate = 22050, .frames = 44100});
    manager.PlaySceneSound("elaphant.wav");
    manager.PlaySceneSound("Voice.wav");
    const int32_t elaphant = manager.RegisterSound("ELAPHANT.WAV", 1, "test");
    const int32_t voice = manager.RegisterSound("voice.wav", 1, "test");
    ASSERT_GE(elaphant, 0);
    ASSERT_GE(voice, 0);
    EXPECT_TRUE(manager.SlotIsScene(voice));
    EXPECT_TRUE(manager.IsPlaying(elaphant));
    EXPECT_TRUE(manager.IsPlaying(voice));

    manager.StopSceneSounds();
    EXPECT_TRUE(manager.IsPlaying(elaphant));
    EXPECT_FALSE(manager.IsPlaying(voice));
    manager.Update();
    EXPECT_EQ(manager.SlotName(voice), "") << "a finished scene sound gives its slot back";
    EXPECT_EQ(manager.SlotName(elaphant), "elaphant.wav");

    // Switched off, every scene sound goes.
    EXPECT_EQ(manager.ToggleSound(0, false), 0);
    EXPECT_EQ(manager.MasterLevel(), 0.0f);
    manager.Update();
    EXPECT_EQ(manager.SlotName(elaphant), "");
}

TEST_F(LvSound, TheAnnouncementQueueHoldsTenDistinctSounds) {
    for (int32_t i = 0; i < 10; ++i)
        manager.QueueAnnouncement(i);
    manager.QueueAnnouncement(3);
    manager.QueueAnnouncement(10);
    manager.QueueAnnouncement(-1);
    EXPECT_EQ(manager.Announcements(), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

    manager.ClearAnnouncements();
    GetSoundSwitches().announcements = false;
    manager.QueueAnnouncement(1);
    EXPECT_TRUE(manager.Announcements().empty());
    GetSoundSwitches().announcements = true;
    GetSceneDisplay().SetCinematicMode(1, false);
    manager.QueueAnnouncement(1);
    EXPECT_TRUE(manager.Announcements().empty()) << "cinematic mode keeps quiet";
}

TEST_F(LvSound, AnnouncementsPlayOneAfterAnother) {
    folder.WriteMp3("first.mp3", {.channels = 1, .rate = 22050, .frames = 2205});
    folder.WriteMp3("second.mp3", {.channels = 1, .rate = 22050, .frames = 2205});
    const int32_t first = manager.RegisterSound("first.wav", 0, "test");
    const int32_t second = manager.RegisterSound("second.wav", 0, "test");
    manager.QueueAnnouncement(first);
    manager.QueueAnnouncement(second);
    manager.Update();
    EXPECT_TRUE(manager.IsPlaying(first));
    manager.Update();
    EXPECT_EQ(manager.Announcements(), std::vector<int32_t>{second}) << "waits for the first";
    const auto end = std::chrono::steady_clock::now() + 3s;
    while (manager.IsPlaying(first) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(10ms);
    manager.Update();
    EXPECT_TRUE(manager.Announcements().empty());
    EXPECT_TRUE(manager.IsPlaying(second));
}

TEST_F(LvSound, TheCueTableRegistersMappedSoundsAndFadesRampIn) {
    folder.WriteMp3("gate.mp3", {.channels = 1, .rate = 22050, .frames = 2205});
    folder.WriteMp3("cue.mp3", {.channels = 1, .rate = 22050, .frames = 2205});
    EXPECT_EQ(manager.RegisterMappedSound("nosuchname", 0, "test"), -1);
    InstallSoundManager(&manager);
    EXPECT_EQ(manager.SlotName(GetAnnouncementSounds().wormhole), "gate.wav");
    EXPECT_EQ(manager.SlotName(SceneCueSound()), "cue.wav");
    EXPECT_EQ(GetAnnouncementSounds().hubBuilt, -1) << "not mapped";
    // The scene's sound seams reach the manager.
    GetSceneSounds().PlaySceneCue(0.75f);
    EXPECT_TRUE(manager.IsPlaying(SceneCueSound()));
    GetSoundCues()->QueueAnnouncement(GetAnnouncementSounds().wormhole);
    EXPECT_EQ(manager.Announcements().size(), 1u);

    EXPECT_EQ(manager.ToggleSound(0, false), 0);
    EXPECT_EQ(manager.ToggleSound(2, true), 1) << "any other mode toggles";
    EXPECT_EQ(manager.MasterLevel(), 0.0f);
    GetSceneClock().frameTime = 0.5f;
    manager.Update();
    EXPECT_FLOAT_EQ(manager.MasterLevel(), 0.25f);
    GetSceneDisplay().SetCinematicMode(1, false);
    EXPECT_TRUE(manager.Announcements().empty()) << "a cut scene drops waiting announcements";
    for (int i = 0; i < 4; ++i)
        manager.Update();
    EXPECT_FLOAT_EQ(manager.MasterLevel(), 0.5f) << "held to half in cinematic mode";
}

TEST_F(LvSound, WithoutADeviceEverythingIsQuiet) {
    folder.WriteWave("plain", {});
    manager.Init(folder.root, &config, false);
    EXPECT_FALSE(manager.IsOn());
    EXPECT_EQ(manager.RegisterSound("plain", 0, "test"), -1);
    EXPECT_EQ(manager.RegisterMappedSound("wormhole", 0, "test"), -1);
    EXPECT_EQ(manager.Load("sounds\\plain", nullptr, nullptr, "test"), nullptr);
    manager.PlaySound(0, 1.0f);
    manager.PlaySceneSound("plain");
    manager.QueueAnnouncement(2);
    EXPECT_TRUE(manager.Announcements().empty());
    manager.Update();
    EXPECT_FALSE(manager.IsPlaying(0));
    EXPECT_TRUE(manager.FailedFiles().empty());
}

} // namespace lumivane::test
