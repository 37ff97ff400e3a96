// Sound output device: one output context, static sound buffers and
// streaming voices, with gain, looping and 3D placement.
// Callers never see the audio library; everything goes through these classes.
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

private:
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

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
