// The program scene engine's sound: the sound manager (on the sound device,
// or silent without one) and the music player made at start-up, the three
// volume levels the settings give, the manager's step in the frame, and
// stopping what plays when a scene ends, the desktop pauses or the run ends.
#include "desktop/app/program_scene_engine.h"

#include "desktop/scene/sound/music_player.h"
#include "desktop/scene/sound/sound_cues.h"
#include "desktop/scene/sound/sound_manager.h"

namespace lumivane {

namespace {

// The sounds that play at the listener: cues, scene sounds, announcements.
void StopListenerSounds(SoundManager& sound) {
    for (int32_t i = 0; i < sound.SlotCount(); ++i)
        sound.StopSound(i);
}

} // namespace

void ProgramSceneEngine::CreateSound() {
    if (sound_) return;
    sound_ = std::make_unique<SoundManager>();
    // Without a sound device the manager stays silent and the program runs.
    sound_->Init(sources_.dataRoot ? sources_.dataRoot() : std::filesystem::path(),
                 sources_.script ? sources_.script() : nullptr);
    InstallSoundManager(sound_.get());
    music_ = std::make_unique<MusicPlayer>();
}

void ProgramSceneEngine::SetVolume(float level) {
    SoundLevels& levels = GetSoundLevels();
    levels.sound = levels.music = levels.announcement = level;
    // The positional voices follow the levels at the manager's next update;
    // a sound already playing at the listener keeps the level it started
    // with, so silence stops it.
    if (sound_ && level <= 0.0f) StopListenerSounds(*sound_);
}

void ProgramSceneEngine::UpdateSound() {
    if (sound_) sound_->Update();
}

void ProgramSceneEngine::StopAllSounds() {
    if (!sound_) return;
    sound_->StopSounds();
    StopListenerSounds(*sound_);
    sound_->ClearAnnouncements();
}

void ProgramSceneEngine::ResetSoundForScene() {
    if (!sound_) return;
    sound_->StopSounds();
    sound_->StopSceneSounds();
    sound_->ClearAnnouncements();
}

void ProgramSceneEngine::ReleaseSound() {
    music_.reset();
    if (!sound_) return;
    if (GetSoundManager() == sound_.get()) InstallSoundManager(nullptr);
    sound_->Shutdown();
    sound_.reset();
}

} // namespace lumivane
