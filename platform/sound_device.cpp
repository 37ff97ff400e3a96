// Sound output on OpenAL Soft. One device and context per process; every
// voice is one source, fed either one whole buffer or a queue of stream blocks.
#include "platform/sound_device.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {

float GainFromHundredthsDb(int hundredthsDb) {
    if (hundredthsDb <= -10000) return 0.0f;
    if (hundredthsDb >= 0) return 1.0f;
    return std::pow(10.0f, static_cast<float>(hundredthsDb) / 2000.0f);
}

static ALenum AlFormat(const PcmFormat& format) {
    if (!format.IsPlayable()) return 0;
    if (format.channels == 1) return format.bitsPerSample == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
    return format.bitsPerSample == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

struct SoundDevice::Impl {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
};

SoundDevice::SoundDevice() : impl_(std::make_unique<Impl>()) {}

SoundDevice::~SoundDevice() {
    Close();
}

bool SoundDevice::Open(int voices, std::string& error) {
    Close();
    impl_->device = alcOpenDevice(nullptr);
    if (!impl_->device) {
        error = "no sound output device could be opened";
        return false;
    }
    // Ask for room for every voice as mono or stereo; the library may give more.
    const ALCint attributes[] = {ALC_MONO_SOURCES, voices, ALC_STEREO_SOURCES, voices, 0};
    impl_->context = alcCreateContext(impl_->device, attributes);
    if (!impl_->context || !alcMakeContextCurrent(impl_->context)) {
        error = "the sound output device refused a playback context";
        Close();
        return false;
    }
    // Sounds keep their level at any distance unless placed in the world.
    alDistanceModel(AL_NONE);
    return true;
}

void SoundDevice::Close() {
    if (impl_->context) {
        if (alcGetCurrentContext() == impl_->context) alcMakeContextCurrent(nullptr);
        alcDestroyContext(impl_->context);
        impl_->context = nullptr;
    }
    if (impl_->device) {
        alcCloseDevice(impl_->device);
        impl_->device = nullptr;
    }
}

bool SoundDevice::IsOpen() const {
    return impl_->context != nullptr;
}

void SoundDevice::SetListenerPosition(float x, float y, float z) {
    if (IsOpen()) alListener3f(AL_POSITION, x, y, z);
}

void SoundDevice::SetListenerOrientation(float atX, float atY, float atZ, float upX, float upY,
                                         float upZ) {
    if (!IsOpen()) return;
    const ALfloat orientation[] = {atX, atY, atZ, upX, upY, upZ};
    alListenerfv(AL_ORIENTATION, orientation);
}

struct SoundVoice::Impl {
    bool open = false;
    ALuint source = 0;
    ALuint whole = 0;           // buffer of a whole sound
    std::vector<ALuint> spare;  // stream buffers ready to be filled
    std::vector<ALuint> queued; // stream buffers in play order
    PcmFormat format;
    ALenum alFormat = 0;
    bool streaming = false;
    float gain = 1.0f;

    void DropStream() {
        if (!queued.empty()) {
            alSourceStop(source);
            alSourcei(source, AL_BUFFER, 0);
            spare.insert(spare.end(), queued.begin(), queued.end());
            queued.clear();
        }
    }
};

SoundVoice::SoundVoice(SoundDevice& device) : impl_(std::make_unique<Impl>()) {
    if (!device.IsOpen()) return;
    alGetError();
    alGenSources(1, &impl_->source);
    if (alGetError() != AL_NO_ERROR) return;
    impl_->open = true;
    alSourcei(impl_->source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(impl_->source, AL_POSITION, 0.0f, 0.0f, 0.0f);
}

SoundVoice::~SoundVoice() {
    if (!impl_->open) return;
    alSourceStop(impl_->source);
    alSourcei(impl_->source, AL_BUFFER, 0);
    alDeleteSources(1, &impl_->source);
    if (impl_->whole) alDeleteBuffers(1, &impl_->whole);
    impl_->spare.insert(impl_->spare.end(), impl_->queued.begin(), impl_->queued.end());
    if (!impl_->spare.empty())
        alDeleteBuffers(static_cast<ALsizei>(impl_->spare.size()), impl_->spare.data());
}

bool SoundVoice::IsValid() const {
    return impl_->open;
}

bool SoundVoice::SetData(const PcmFormat& format, const void* samples, size_t bytes) {
    if (!impl_->open) return false;
    const ALenum alFormat = AlFormat(format);
    const size_t block = static_cast<size_t>(format.BlockAlign());
    if (!alFormat || bytes > 0x7FFFFFFF) return false;
    bytes -= bytes % block; // only whole sample frames reach the device
    impl_->DropStream();
    impl_->streaming = false;
    alSourceStop(impl_->source);
    alSourcei(impl_->source, AL_BUFFER, 0);
    alGetError();
    if (!impl_->whole) alGenBuffers(1, &impl_->whole);
    // An empty sound still gets a buffer so that it "plays" and ends at once.
    static const int16_t silence[2] = {0, 0};
    const void* data = bytes ? samples : silence;
    alBufferData(impl_->whole, alFormat, data, static_cast<ALsizei>(bytes ? bytes : block),
                 format.sampleRate);
    if (alGetError() != AL_NO_ERROR) return false;
    alSourcei(impl_->source, AL_BUFFER, static_cast<ALint>(impl_->whole));
    impl_->format = format;
    impl_->alFormat = alFormat;
    return alGetError() == AL_NO_ERROR;
}

bool SoundVoice::BeginStream(const PcmFormat& format) {
    if (!impl_->open) return false;
    const ALenum alFormat = AlFormat(format);
    if (!alFormat) return false;
    alSourceStop(impl_->source);
    alSourcei(impl_->source, AL_BUFFER, 0);
    impl_->DropStream();
    impl_->streaming = true;
    impl_->format = format;
    impl_->alFormat = alFormat;
    alSourcei(impl_->source, AL_LOOPING, AL_FALSE);
    return true;
}

bool SoundVoice::QueueBlock(const void* samples, size_t bytes) {
    if (!impl_->open || !impl_->streaming) return false;
    const size_t block = static_cast<size_t>(impl_->format.BlockAlign());
    bytes -= bytes % block;
    if (bytes == 0 || bytes > 0x7FFFFFFF) return false;
    alGetError();
    ALuint buffer = 0;
    if (!impl_->spare.empty()) {
        buffer = impl_->spare.back();
        impl_->spare.pop_back();
    } else {
        alGenBuffers(1, &buffer);
        if (alGetError() != AL_NO_ERROR) return false;
    }
    alBufferData(buffer, impl_->alFormat, samples, static_cast<ALsizei>(bytes),
                 impl_->format.sampleRate);
    if (alGetError() == AL_NO_ERROR) alSourceQueueBuffers(impl_->source, 1, &buffer);
    if (alGetError() != AL_NO_ERROR) {
        impl_->spare.push_back(buffer);
        return false;
    }
    impl_->queued.push_back(buffer);
    return true;
}

int SoundVoice::ProcessedBlocks() {
    if (!impl_->open || !impl_->streaming) return 0;
    ALint processed = 0;
    alGetSourcei(impl_->source, AL_BUFFERS_PROCESSED, &processed);
    return processed;
}

int SoundVoice::QueuedBlocks() {
    return static_cast<int>(impl_->queued.size());
}

void SoundVoice::UnqueueProcessed() {
    int processed = ProcessedBlocks();
    while (processed-- > 0 && !impl_->queued.empty()) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(impl_->source, 1, &buffer);
        impl_->queued.erase(impl_->queued.begin());
        impl_->spare.push_back(buffer);
    }
}

void SoundVoice::Play(bool loop) {
    if (!impl_->open) return;
    alSourcei(impl_->source, AL_LOOPING, loop && !impl_->streaming ? AL_TRUE : AL_FALSE);
    alSourcePlay(impl_->source);
}

void SoundVoice::SetLooping(bool loop) {
    if (impl_->open && !impl_->streaming)
        alSourcei(impl_->source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
}

void SoundVoice::Stop() {
    if (impl_->open) alSourceStop(impl_->source);
}

void SoundVoice::Rewind() {
    if (!impl_->open || impl_->streaming) return;
    ALint state = AL_STOPPED;
    alGetSourcei(impl_->source, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) {
        alSourcei(impl_->source, AL_BYTE_OFFSET, 0);
    } else {
        alSourceRewind(impl_->source);
    }
}

bool SoundVoice::IsPlaying() {
    if (!impl_->open) return false;
    ALint state = AL_STOPPED;
    alGetSourcei(impl_->source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

void SoundVoice::SetVolume(int hundredthsDb) {
    SetGain(GainFromHundredthsDb(hundredthsDb));
}

void SoundVoice::SetGain(float gain) {
    impl_->gain = std::isfinite(gain) ? std::max(0.0f, gain) : 0.0f;
    if (impl_->open) alSourcef(impl_->source, AL_GAIN, impl_->gain);
}

float SoundVoice::Gain() {
    return impl_->gain;
}

void SoundVoice::SetPositional(bool on) {
    if (!impl_->open) return;
    alSourcei(impl_->source, AL_SOURCE_RELATIVE, on ? AL_FALSE : AL_TRUE);
    if (!on) alSource3f(impl_->source, AL_POSITION, 0.0f, 0.0f, 0.0f);
}

void SoundVoice::SetPosition(float x, float y, float z) {
    if (impl_->open) alSource3f(impl_->source, AL_POSITION, x, y, z);
}

} // namespace platform
