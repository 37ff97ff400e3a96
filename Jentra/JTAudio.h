// Sound effects: the engine's sound device with up to 500 registered sounds
// played by index or name in volume groups, and JTSound, one sound that can
// also stream compressed WAVE data (the music is built from it).
#pragma once

#include "Jentra/JTUnknown.h"
#include "Jentra/JTWaveWriter.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class SoundDevice;
class SoundVoice;
} // namespace platform

class JTCamera;

// A linear level to hundredths of a decibel: 2000 x log10(level), truncated;
// 0.00001 and below is silence (-10000). Shared by sound and music. Levels
// above 1 give positive values, which the device plays at full level.
int JTVolumeFromLevel(float level);

// What sound and music follow from the user's options and the machine. The
// application copies the options here at start-up and when they change; the
// music thread reads them too, hence atomics.
struct JTSoundOptions {
    std::atomic<bool> sound{true};          // user option Sound: off silences everything
    std::atomic<float> musicVolume{1.0f};   // user option MusicVolume
    std::atomic<bool> lowRAM{false};        // low-memory machine: "soundslow\" and halved sounds
    std::atomic<bool> framesRunning{false}; // a frame has run or the game is paused
};
JTSoundOptions& JTGetSoundOptions();

class JTSound {
public:
    JTSound();
    ~JTSound();
    JTSound(const JTSound&) = delete;
    JTSound& operator=(const JTSound&) = delete;

    void Play(bool loop);
    void Stop();
    void Rewind();
    void StopLooping();
    void SetVolume(int hundredthsDb);
    // Refills a stream and notices a sound that has ended.
    void Update();

    bool IsLoaded() const { return voice != nullptr; }
    bool IsPlaying() const { return playState != 0; }
    bool IsStreamed() const { return streamed; }
    int GetLoopCount() const { return loopCount; }
    unsigned GetLength() const { return length; }
    const JTWaveFormat& GetFormat() const { return outputFormat; }
    // Source bytes consumed so far.
    unsigned GetSourcePosition() const;

private:
    friend class JTAudio;
    bool WriteHalf();

    std::unique_ptr<platform::SoundVoice> voice;
    unsigned length = 0;
    JTWaveFormat sourceFormat;
    JTWaveFormat outputFormat;
    bool streamed = false;
    uint8_t playState = 0; // 0 stopped, 1 playing, 2 starting
    bool looping = false;
    struct Codec;
    std::unique_ptr<Codec> codec;
    std::vector<uint8_t> sourceData;
    size_t readPos = 0;
    bool exhausted = true; // no more source data this pass
    unsigned sourceStep = 0;
    unsigned halfSize = 0;
    unsigned sourceSize = 0;
    unsigned sourceRemaining = 0;
    bool ended = false;
    int loopCount = 0;
    std::vector<int16_t> decompBuffer; // each stream decodes into its own buffer
};

class JTAudio : public JTUnknown {
    JT_CLASS(JTAudio, JTUnknown)
public:
    enum Toggle { TOGGLE_OFF = 0, TOGGLE_ON = 1, TOGGLE_SWITCH = 2 };
    static constexpr int kMaxSounds = 500;

    JTAudio();
    ~JTAudio() override;
    JTAudio(const JTAudio&) = delete;
    JTAudio& operator=(const JTAudio&) = delete;

    int RegisterSound(const char* name, bool flag);
    void PlaySoundA(int index, int group, bool loop);
    int PlaySoundA(const char* name, int group, bool loop);
    void StopSound(int index);
    void StopSound(const char* name);
    bool IsPlaying(int index);
    bool IsPlaying(const char* name);
    unsigned GetSoundLength(int index) const;
    void SetVolume(int group, float level);
    void ToggleSound(Toggle t, bool keepLevel);
    void StopSounds();
    JTSound* LoadStreamed(const char* name);
    void SetCamera(JTCamera* c) { camera = c; }
    void ToggleEAX(Toggle) {}
    // Once a frame on the main thread: tells the music thread whether frames run.
    void Update();

    bool HasDevice() const;
    int GetRegisteredCount() const { return registeredCount; }
    int GetGroupCount() const { return static_cast<int>(groups.size()); }
    float GetGroupLevel(int group) const;
    unsigned GetBytesAllocated() const { return bytesAllocated; }
    const JTWaveFormat* GetSoundFormat(int index) const;
    float GetSoundGain(int index) const;
    bool IsSoundOn() const { return soundOn; }
    float GetMasterLevel() const { return masterLevel; }

private:
    std::unique_ptr<platform::SoundVoice> AllocateSound(const JTWaveFormat& format,
                                                        const void* samples, size_t size);
    std::unique_ptr<platform::SoundVoice> Load(const char* name, unsigned* length,
                                               JTWaveFormat* format);
    bool Valid(int index) const;

    JTCamera* camera = nullptr;
    std::unique_ptr<platform::SoundDevice> device;
    unsigned bytesAllocated = 0;
    char names[kMaxSounds][128] = {};
    std::unique_ptr<platform::SoundVoice> buffers[kMaxSounds];
    unsigned lengths[kMaxSounds] = {};
    JTWaveFormat formats[kMaxSounds];
    bool flags[kMaxSounds] = {};
    int soundGroups[kMaxSounds] = {};
    int registeredCount = 0;
    std::vector<float> groups{1.0f};
    float masterLevel = 1.0f;
    bool soundOn = true;
};

extern JTAudio* gpJTAudio;
