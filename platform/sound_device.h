// Sound output device: one output context, sound buffers that several voices
// may play at once, streaming voices, with gain, looping, 3D placement (cone,
// distances, velocity) and an optional room reverb.
// Callers never see the audio library; everything goes through these classes.
// Positions, velocities and directions are in the engines' left-handed axes
// (+x right, +y up, +z forward); the device converts them for the library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// PCM layout of the samples handed to a sound: 8-bit unsigned or 16-bit
// signed little-endian, one or two channels.
struct PcmFormat {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;

    int BlockAlign() const { return channels * bitsPerSample / 8; }
    bool IsPlayable() const {
        return (channels == 1 || channels == 2) && (bitsPerSample == 8 || bitsPerSample == 16) &&
               sampleRate > 0;
    }
};

// Hundredths of a decibel (0 = full level, -10000 = silence) to a linear gain;
// nothing is louder than full level, so positive values give 1.
float GainFromHundredthsDb(int hundredthsDb);
// The other way: -10000 for a level of at most 0.00001, else
// 2000 x log10(level), truncated (0.5 gives -602).
int HundredthsDbFromLevel(float level);

// A room reverb, in the terms of the EAX-style environment of an entity:
// gains are linear (0..1), times in seconds.
struct ReverbSettings {
    float gain = 0.32f;                 // of the room
    float gainHF = 0.89f;               // of the room's high frequencies
    float decayTime = 1.49f;            // 0.1..20
    float decayHFRatio = 0.83f;         // 0.1..2
    float reflectionsGain = 0.05f;      // 0..3.16
    float reflectionsDelay = 0.007f;    // 0..0.3
    float lateGain = 1.26f;             // 0..10
    float lateDelay = 0.011f;           // 0..0.1
    float diffusion = 1.0f;             // 0..1
    float airAbsorptionGainHF = 0.994f; // 0.892..1
    float roomRolloff = 0.0f;           // 0..10
    bool decayHFLimit = true;
};

class SoundDevice {
public:
    SoundDevice();
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    // Opens the default output; with ALSOFT_DRIVERS=null a silent output that
    // still plays in real time. Room is made for `voices` simultaneous sounds.
    bool Open(int voices, std::string& error);
    void Close();
    bool IsOpen() const;

    void SetListenerPosition(float x, float y, float z);
    void SetListenerOrientation(float atX, float atY, float atZ, float upX, float upY, float upZ);
    void SetListenerVelocity(float x, float y, float z);

    // Whether the output can add a room reverb (the library's effects
    // extension). SetReverb switches it on with these settings, or off with
    // null; voices reach it through SoundVoice::SetReverbSend.
    bool HasReverb() const;
    bool SetReverb(const ReverbSettings* settings);

private:
    friend class SoundBuffer;
    friend class SoundVoice;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The samples of one sound on the device. Any number of voices may play it
// at once (SoundVoice::Attach); each keeps it alive while it holds it.
class SoundBuffer {
public:
    explicit SoundBuffer(SoundDevice& device);
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    // Copies whole sample frames in; false for a format the device cannot
    // play, on a closed device, or when the device refuses the data.
    bool SetData(const PcmFormat& format, const void* samples, size_t bytes);
    bool IsValid() const;
    const PcmFormat& Format() const;
    size_t Bytes() const;

private:
    friend class SoundVoice;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// One sound with its own voice. Holds either a whole sound (SetData) or is fed
// as a stream of blocks (QueueBlock) that play back to back.
class SoundVoice {
public:
    explicit SoundVoice(SoundDevice& device);
    ~SoundVoice();
    SoundVoice(const SoundVoice&) = delete;
    SoundVoice& operator=(const SoundVoice&) = delete;

    bool IsValid() const;

    // Whole-sound use: the samples are copied into the device.
    bool SetData(const PcmFormat& format, const void* samples, size_t bytes);
    // Plays a buffer shared with other voices (held until the voice is
    // given other data or destroyed); false for an empty buffer.
    bool Attach(std::shared_ptr<SoundBuffer> buffer);

    // Stream use: blocks are queued behind each other; ProcessedBlocks tells
    // how many queued blocks have finished playing and UnqueueProcessed drops
    // them so their room can be fed again.
    bool BeginStream(const PcmFormat& format);
    bool QueueBlock(const void* samples, size_t bytes);
    int ProcessedBlocks();
    int QueuedBlocks();
    void UnqueueProcessed();

    void Play(bool loop);
    // Changes looping of a whole sound while it plays (it ends after this pass).
    void SetLooping(bool loop);
    void Stop();
    void Rewind();
    bool IsPlaying();

    void SetVolume(int hundredthsDb);
    void SetGain(float gain);
    float Gain();
    // 3D placement: off keeps the sound at the listener, on places it in the world.
    void SetPositional(bool on);
    void SetPosition(float x, float y, float z);
    void SetVelocity(float x, float y, float z);
    // The cone: full level inside `insideDegrees` about the direction,
    // `outsideGain` beyond `outsideDegrees`, blended between (360 and 360:
    // no cone).
    void SetDirection(float x, float y, float z);
    void SetCone(float insideDegrees, float outsideDegrees, float outsideGain);
    // Full level up to `minDistance`, falling off with the inverse of the
    // distance beyond it, no further fall beyond `maxDistance`.
    void SetDistances(float minDistance, float maxDistance);
    // Where the next Play starts, in sample frames from the beginning.
    void SetStartFrame(size_t frame);
    // Feeds the device's room reverb (when it has one).
    void SetReverbSend(bool on);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
