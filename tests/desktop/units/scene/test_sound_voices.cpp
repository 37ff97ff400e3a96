// Hums and voices of the world's units: the nearest three play and the
// voices follow the world as units come and go.
#include <gtest/gtest.h>

#include <algorithm>

#include "desktop/units/unit_class_headers.h"
#include "tests/desktop/scene/sound/sound_fixture.h"

namespace lumivane::test {

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
