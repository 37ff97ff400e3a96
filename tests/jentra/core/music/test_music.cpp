// Music: fades stepped by hand follow their curves, and on the real music
// thread a cross-fade and the shut-down fade finish without hanging.
#include "Jentra/JTAudio.h"
#include "Jentra/JTMusic.h"
#include "tests/jentra/test_audio_fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

using namespace audio_fixtures;
using namespace std::chrono_literals;

namespace {

MusicAction Action(const char* name, float fadeIn, float fadeOutCurrent, bool crossFade,
                   float exponent = 1.0f, int loops = 0) {
    MusicAction action;
    std::snprintf(action.name, sizeof action.name, "%s", name);
    action.fadeInTime = fadeIn;
    action.fadeOutCurrent = fadeOutCurrent;
    action.crossFade = crossFade;
    action.fadeExponent = exponent;
    action.loops = loops;
    return action;
}

class MusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        JTSoundOptions& options = JTGetSoundOptions();
        options.sound = true;
        options.musicVolume = 1.0f;
        options.framesRunning = true;
        data.Write("music/first.wav", BuildWave(ImaAdpcm(22050, 20))); // ~0.46 s
        data.Write("music/second.wav", BuildWave(ImaAdpcm(22050, 20)));
        data.Write("music/blip.wav", BuildWave(ImaAdpcm(22050, 4))); // ~0.09 s
        gpJTAudio = new JTAudio();
        gpMusic = new JTMusic();
        ASSERT_EQ(gpMusic->Init(), 0);
    }
    void TearDown() override {
        delete gpMusic;
        gpMusic = nullptr;
        delete gpJTAudio;
        gpJTAudio = nullptr;
        JTGetSoundOptions().framesRunning = false;
    }
    template <typename Predicate> bool Await(Predicate done, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }
    DataFolder data;
};

} // namespace

TEST_F(MusicTest, FadeCurvesFollowTheExponent) {
    MusicAction in = Action("first.wav", 1.0f, 0.0f, true, 2.0f);
    gpMusic->PlayMusic(&in);
    EXPECT_EQ(gpMusic->GetState(0), JTMusic::FADING_IN);
    for (int k = 0; k <= 5; ++k) {
        gpMusic->StepPieces(0.1f);
        // Level 0.5 (music at half the option) x fraction, squared.
        const float level = std::pow(0.5f * k / 10.0f, 2.0f);
        EXPECT_EQ(gpMusic->GetVolume(0), JTVolumeFromLevel(level)) << "step " << k;
    }
    EXPECT_EQ(gpMusic->GetVolume(0), -2408);
    EXPECT_STREQ(gpMusic->GetPlayingMusic(), "first.wav");
    gpMusic->Reset(); // fades out over the last end fade-out time: 0, so at once
    gpMusic->StepPieces(0.1f);
    EXPECT_EQ(gpMusic->GetState(0), JTMusic::IDLE);
    EXPECT_EQ(gpMusic->GetVolume(0), JTVolumeFromLevel(0.0f))
        << "a zero fade ends at its end level";
    EXPECT_EQ(gpMusic->GetPlayingMusic(), nullptr);
    gpMusic->StepPieces(0.1f);
    EXPECT_FALSE(gpMusic->IsPlaying()); // deleted the step after going idle

    // Fading out with exponent 2 falls as the square root.
    gpMusic->PlayMusic(&in);
    MusicAction out = Action("", 0.0f, 1.0f, true, 2.0f);
    out.fadeExponent = 2.0f;
    for (int k = 0; k < 12; ++k)
        gpMusic->StepPieces(0.1f);
    ASSERT_EQ(gpMusic->GetState(1), JTMusic::PLAYING);
    gpMusic->PlayMusic(&out);
    for (int k = 0; k <= 3; ++k)
        gpMusic->StepPieces(0.1f);
    EXPECT_EQ(gpMusic->GetVolume(1), JTVolumeFromLevel(std::sqrt((1.0f - 0.3f) * 0.5f)));
}

TEST_F(MusicTest, WithoutCrossFadeTheNewPieceWaitsForTheOld) {
    MusicAction first = Action("first.wav", 0.0f, 0.0f, true);
    gpMusic->PlayMusic(&first);
    gpMusic->StepPieces(0.1f);
    gpMusic->StepPieces(0.1f);
    EXPECT_EQ(gpMusic->GetState(0), JTMusic::PLAYING);
    MusicAction second = Action("second.wav", 0.2f, 0.3f, false);
    gpMusic->PlayMusic(&second);
    EXPECT_EQ(gpMusic->GetState(0), JTMusic::FADING_OUT);
    EXPECT_EQ(gpMusic->GetState(1), JTMusic::WAITING);
    int steps = 0;
    while (gpMusic->GetState(1) == JTMusic::WAITING && steps < 50) {
        gpMusic->StepPieces(0.1f);
        ++steps;
    }
    // 0.3 s of fade-out reaches idle on the third step; the waiting piece,
    // stepped after it, starts fading in on that same step.
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(gpMusic->GetState(1), JTMusic::FADING_IN);
    EXPECT_EQ(gpMusic->GetState(0), JTMusic::IDLE);
    EXPECT_STREQ(gpMusic->GetPlayingMusic(), "second.wav");
}

TEST_F(MusicTest, LoopsTwiceThenGoesIdleAndIsDeleted) {
    MusicAction twice = Action("blip.wav", 0.0f, 0.0f, true, 1.0f, 2);
    gpMusic->PlayMusic(&twice);
    ASSERT_TRUE(Await(
        [&] {
            gpMusic->StepPieces(0.01f);
            return gpMusic->GetState(0) == JTMusic::IDLE;
        },
        3000ms));
    EXPECT_TRUE(gpMusic->IsPlaying());
    gpMusic->StepPieces(0.01f);
    EXPECT_FALSE(gpMusic->IsPlaying());
}

TEST_F(MusicTest, SoundOffAndMissingFilesPlayNothing) {
    JTGetSoundOptions().sound = false;
    MusicAction first = Action("first.wav", 0.0f, 0.0f, true);
    gpMusic->PlayMusic(&first);
    EXPECT_FALSE(gpMusic->IsPlaying());
    JTGetSoundOptions().sound = true;
    MusicAction missing = Action("missing.wav", 0.0f, 0.0f, true);
    gpMusic->PlayMusic(&missing);
    EXPECT_FALSE(gpMusic->IsPlaying());
    EXPECT_EQ(gpMusic->GetPlayingPosition(), 0u);
}

TEST_F(MusicTest, CrossFadeAndShutDownFadeOnTheMusicThread) {
    std::thread thread = JTStartMusicThread();
    MusicAction first = Action("first.wav", 0.2f, 0.0f, true);
    gpMusic->PlayMusic(&first);
    ASSERT_TRUE(Await([&] { return gpMusic->GetState(0) == JTMusic::PLAYING; }, 3000ms));
    MusicAction second = Action("second.wav", 0.3f, 0.3f, true);
    gpMusic->PlayMusic(&second);
    ASSERT_TRUE(Await([&] { return gpMusic->GetState(1) == JTMusic::PLAYING; }, 3000ms));
    ASSERT_TRUE(Await([&] { return gpMusic->GetState(0) == JTMusic::IDLE; }, 3000ms));
    EXPECT_STREQ(gpMusic->GetPlayingMusic(), "second.wav");

    // The application's exit: a two-second fade of what plays, then the end.
    MusicAction goodbye = Action("", 0.0f, 2.0f, true);
    gpMusic->PlayMusic(&goodbye);
    const auto start = std::chrono::steady_clock::now();
    JTEndMusicThread(thread);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 1900ms);
    EXPECT_LT(took, 6000ms);
    EXPECT_FALSE(gpMusic->IsPlaying());
    EXPECT_FALSE(JTMusicKillFlag().load());
}

TEST_F(MusicTest, QuittingBeforeTheFirstFrameStillEnds) {
    JTGetSoundOptions().framesRunning = false;
    std::thread thread = JTStartMusicThread();
    MusicAction first = Action("first.wav", 0.5f, 0.0f, true);
    gpMusic->PlayMusic(&first);
    MusicAction goodbye = Action("", 0.0f, 0.2f, true);
    gpMusic->PlayMusic(&goodbye);
    JTGetSoundOptions().sound = false; // even with sound turned off meanwhile
    const auto start = std::chrono::steady_clock::now();
    JTEndMusicThread(thread);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3000ms);
    EXPECT_FALSE(gpMusic->IsPlaying());
    JTGetSoundOptions().sound = true;
}

// Under ThreadSanitizer: OpenAL Soft hands source changes to its mixer thread
// through its own lock-free queues, which the sanitizer cannot see in the
// uninstrumented library; only those reports are silenced.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libopenal.so.1\n";
}
