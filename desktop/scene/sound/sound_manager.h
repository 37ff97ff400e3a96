// SoundManager: every sound of the program. Sounds are files under
// "sounds\" (MP3, or RIFF WAVE for names without an extension), loaded once
// on first use into slots of the sound device and played by index: one-shot
// cues and scene sounds at the listener, positional sounds of the entities'
// sound slots on up to sixteen voices placed in the world, and a queue of
// announcements that play one after another. Without a sound device every
// operation does nothing and answers its empty result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/sound/wave_file.h"
#include "desktop/scene/world/entity_handle.h"

namespace platform {
class SoundBuffer;
class SoundDevice;
class SoundVoice;
struct ReverbSettings;
} // namespace platform

namespace lumivane {

class Entity;
class ScriptConfig;

inline constexpr int kMaxSounds = 500;
inline constexpr int kPositionalVoices = 16;
inline constexpr int kMaxVoicesPerSound = 3;
inline constexpr int kAnnouncementQueueSize = 10;
inline constexpr size_t kSoundNameLength = 31; // a name is kept in 32 bytes
inline constexpr int32_t kSilentVolume = -10000;

// Linear volume to hundredths of a decibel: -10000 at or below 0.00001,
// else 2000 x log10(volume), truncated.
int32_t VolumeToHundredthsDb(float volume);

// The volume levels the settings give the sound code (0..1): sound (scene
// sounds, cues and positional sounds), music, and announcements (also
// exclusive scene sounds).
struct SoundLevels {
    float sound = 1.0f;
    float music = 1.0f;
    float announcement = 1.0f;
};
SoundLevels& GetSoundLevels();

// Announcements play only while this is set.
struct SoundSwitches {
    bool announcements = true;
};
SoundSwitches& GetSoundSwitches();

class SoundManager {
public:
    SoundManager();
    ~SoundManager();
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // Opens the sound device (with `openDevice` false, or when it fails, the
    // program runs silent) and reads sounds below `dataRoot`; the script
    // configuration maps logical sound names to files (may be null). 0.
    int Init(const std::filesystem::path& dataRoot, const ScriptConfig* config,
             bool openDevice = true);
    void Shutdown();
    bool IsOn() const { return enabled; }

    // --- Sounds -------------------------------------------------------------
    // A slot index, the one already holding that name (any case, as stored in
    // 31 characters), or -1 when sound is off, the slots are full or the file
    // "sounds\<name>" cannot be read. Scene sounds (flag 1) are unloaded when
    // they have finished.
    int32_t RegisterSound(std::string_view name, int32_t sceneFlag, std::string_view context);
    // Registers the file that the script configuration's [Sounds]<mapping>
    // gives the logical name; -1 when it names none.
    int32_t RegisterMappedSound(std::string_view logicalName, int32_t sceneFlag,
                                std::string_view context);
    // Loads a file below the data root: a path with an extension is read as
    // the ".mp3" of that name, one without as RIFF WAVE. 44.1 kHz MP3 data is
    // halved to 22.05 kHz. Null on failure (the file is then listed as
    // missing, unless it was a WAVE file of another encoding).
    std::shared_ptr<platform::SoundBuffer> Load(std::string_view path, uint32_t* lengthMs,
                                                WaveFormat* format, std::string_view context);
    std::shared_ptr<platform::SoundBuffer> AllocateSound(const WaveFormat& format,
                                                         const void* samples, size_t bytes);

    // Plays a registered sound once from its start at a linear volume;
    // nothing for a negative index or an empty slot.
    void PlaySound(int32_t index, float volume);
    void StopSound(int32_t index);
    bool IsPlaying(int32_t index) const;
    // Stops every playing scene sound except "elaphant.wav".
    void StopSceneSounds();
    void PlaySceneSound(std::string_view name);
    void PlaySceneSoundExclusive(std::string_view name);
    // Stops every positional voice.
    void StopSounds();

    // Mode 1 on, 0 off, others toggle; with `fade` switching on ramps the
    // master level up from 0. The new state.
    int ToggleSound(int mode, bool fade);

    // --- Announcements ------------------------------------------------------
    // Ignored while announcements are off, for a negative index and in the
    // display's cinematic mode; an index already queued is not added again,
    // and a full queue drops it.
    void QueueAnnouncement(int32_t index);
    void ClearAnnouncements() { announcements.clear(); }
    const std::vector<int32_t>& Announcements() const { return announcements; }

    // --- Frame --------------------------------------------------------------
    // The master fade, the room reverb, the listener, the positional voices,
    // the scene sounds that ended, and the next announcement.
    void Update();

    // --- State --------------------------------------------------------------
    int SlotCount() const;
    // The name a slot holds ("" when free) and its length in milliseconds.
    std::string_view SlotName(int32_t index) const;
    uint32_t SlotLength(int32_t index) const;
    const WaveFormat* SlotFormat(int32_t index) const;
    bool SlotIsScene(int32_t index) const;
    float MasterLevel() const { return masterLevel; }
    bool SoundOn() const { return soundOn; }
    size_t BytesAllocated() const { return bytesAllocated; }
    // Files that could not be loaded, as asked for.
    const std::vector<std::string>& FailedFiles() const { return failedFiles; }
    // Who the positional voices are playing: entity, its sound slot, sound.
    struct VoiceState {
        EntityHandle owner = kNoEntity;
        int32_t slot = 0;
        int32_t sound = -1;
    };
    std::vector<VoiceState> Voices() const;

private:
    struct Slot;
    struct Voice;

    bool ValidIndex(int32_t index) const;
    void NoteMissing(std::string_view path, std::string_view context);
    void UpdateFade(float frameTime);
    void UpdateReverb();
    void UpdateListener(float frameTime);
    void UpdateVoices();
    void ReleaseFinishedSceneSounds();
    void PlayNextAnnouncement();

    bool enabled = false; // a device is open
    std::filesystem::path dataRoot;
    const ScriptConfig* config = nullptr;
    std::unique_ptr<platform::SoundDevice> device;
    size_t bytesAllocated = 0;
    std::vector<Slot> slots;
    std::vector<Voice> voices;
    float masterLevel = 1.0f;
    bool soundOn = true;
    std::vector<int32_t> announcements;
    int32_t playingAnnouncement = -1;
    Vec3 listenerVelocity;
    bool reverbOn = false;
    std::vector<std::string> failedFiles;
};

SoundManager* GetSoundManager();
void SetSoundManager(SoundManager* manager);

} // namespace lumivane
