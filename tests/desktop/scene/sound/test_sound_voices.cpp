// Positional voices: the loudest entity sounds by level over distance, at
// most three on one sound and sixteen in all, followed as entities come and
// go; a one-shot slot past its sound's length is cleared.
#include <gtest/gtest.h>

#include <algorithm>

#include "desktop/scene/sound/voice_choice.h"
#include "tests/desktop/scene/sound/sound_fixture.h"

namespace lumivane::test {

TEST_F(LvSound, VoiceChoiceTakesTheLoudestWithThreePerSound) {
    EXPECT_FLOAT_EQ(VoicePriority(1.0f, 20.0f, 1.0f, 5.0f), 0.0625f); // r = 4
    EXPECT_FLOAT_EQ(VoicePriority(0.5f, 0.0f, 1.0f, 5.0f), 0.5f) << "r = 1 at the centre";
    EXPECT_EQ(VoicePriority(0.5f, 10.0f, 0.0f, 5.0f), 0.0f) << "no minimum distance: silent";

    std::vector<VoiceCandidate> candidates;
    // Sound 7 on five entities (priorities 5, 4, 3, 2, 1), then twenty
    // quieter ones on sounds of their own.
    for (int i = 0; i < 5; ++i)
        candidates.push_back({EntityHandle(100 + i), 0, 7, float(5 - i)});
    for (int i = 0; i < 20; ++i)
        candidates.push_back({EntityHandle(200 + i), 1, 20 + i, 0.5f - i * 0.01f});
    const auto chosen = ChooseVoices(candidates, 16, 3);
    ASSERT_EQ(chosen.size(), 16u);
    EXPECT_EQ(chosen[0].owner, 100);
    EXPECT_EQ(chosen[1].owner, 101);
    EXPECT_EQ(chosen[2].owner, 102);
    EXPECT_EQ(chosen[3].owner, 200) << "the fourth on sound 7 is passed over";
    EXPECT_EQ(chosen[15].owner, 212);

    // A louder fourth pushes the quietest of the three out.
    candidates.push_back({EntityHandle(999), 2, 7, 10.0f});
    const auto again = ChooseVoices(candidates, 16, 3);
    EXPECT_EQ(again[0].owner, 999);
    EXPECT_EQ(again[2].owner, 101);
    EXPECT_EQ(again[3].owner, 200);
}

namespace {

std::vector<EntityHandle> VoiceOwners(const SoundManager& manager) {
    std::vector<EntityHandle> owners;
    for (const auto& voice : manager.Voices())
        owners.push_back(voice.owner);
    std::sort(owners.begin(), owners.end());
    return owners;
}

} // namespace

TEST_F(LvSound, TheNearestThreeHumsPlayAndVoicesFollowTheWorld) {
    folder.WriteMp3("hum.mp3", {.channels = 1, .rate = 22050, .frames = 22050});
    folder.WriteMp3("ping.mp3", {.channels = 1, .rate = 22050, .frames = 2205});
    InstallSoundManager(&manager);
    AddPrototype("hummer", [](Entity& e) {
        SetText(e, "sound 1 file", "hum.wav"); // "Ambient": plays from the first frame
        SetText(e, "sound 2 file", "ping.wav");
        SetInt(e, "sound 2 function", 4); // "Weapon fire"
        SetFlag(e, "can collide", false);
        SetFlag(e, "affected by gravity", false);
    });
    std::vector<Entity*> hummers;
    for (int i = 0; i < 4; ++i)
        hummers.push_back(Spawn("hummer", {0, 0, 10.0f + 10.0f * i}));
    ASSERT_GE(hummers[0]->props->Int(EntityFields().sound[0].soundId), 0);
    Step(0.05f);
    manager.Update();
    EXPECT_EQ(
        VoiceOwners(manager),
        (std::vector<EntityHandle>{hummers[0]->handle, hummers[1]->handle, hummers[2]->handle}));

    // The nearest leaves: the fourth takes its voice.
    world.QueueRemove(hummers[0], nullptr, false);
    Step(0.05f);
    manager.Update();
    EXPECT_EQ(
        VoiceOwners(manager),
        (std::vector<EntityHandle>{hummers[1]->handle, hummers[2]->handle, hummers[3]->handle}));

    // A one-shot plays on a voice of its own while its sound lasts.
    hummers[3]->PlayEventSounds(SoundEvent::WeaponFire, 0);
    manager.Update();
    EXPECT_EQ(manager.Voices().size(), 4u);
    GetSceneClock().gameTime += 500; // the ping lasts 100 ms
    manager.Update();
    EXPECT_EQ(hummers[3]->soundSlots[1].soundId, -1) << "a finished one-shot is cleared";
    EXPECT_EQ(manager.Voices().size(), 3u);

    manager.StopSounds();
    EXPECT_TRUE(manager.Voices().empty());
}

} // namespace lumivane::test
