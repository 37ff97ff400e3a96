// Sound output on OpenAL Soft. One device and context per process; every
// voice is one source, fed one whole buffer (its own or a shared one) or a
// queue of stream blocks. The room reverb is one auxiliary effect slot of the
// effects extension, found at run time.
#include "platform/sound_device.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/efx.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace platform {

float GainFromHundredthsDb(int hundredthsDb) {
    if (hundredthsDb <= -10000) return 0.0f;
    if (hundredthsDb >= 0) return 1.0f;
    return std::pow(10.0f, static_cast<float>(hundredthsDb) / 2000.0f);
}

int HundredthsDbFromLevel(float level) {
    if (!(level > 0.00001f)) return -10000;
    // Float arithmetic, so that 0.1 gives exactly -2000. An infinite level is
    // held to the largest float, so the conversion stays defined.
    level = std::min(level, std::numeric_limits<float>::max());
    return static_cast<int>(2000.0f * std::log10(level));
}

namespace {

// The library's axes are right-handed: the engines' +z forward is its -z.
void SetSourceVector(ALuint source, ALenum what, float x, float y, float z) {
    alSource3f(source, what, x, y, -z);
}

float Finite(float value, float fallback = 0.0f) {
    return std::isfinite(value) ? value : fallback;
}

// The effects extension's entry points, looked up once the context exists.
struct EffectsApi {
    LPALGENEFFECTS genEffects = nullptr;
    LPALDELETEEFFECTS deleteEffects = nullptr;
    LPALEFFECTI effecti = nullptr;
    LPALEFFECTF effectf = nullptr;
    LPALGENAUXILIARYEFFECTSLOTS genSlots = nullptr;
    LPALDELETEAUXILIARYEFFECTSLOTS deleteSlots = nullptr;
    LPALAUXILIARYEFFECTSLOTI sloti = nullptr;

    bool Load() {
        genEffects = reinterpret_cast<LPALGENEFFECTS>(alGetProcAddress("alGenEffects"));
        deleteEffects = reinterpret_cast<LPALDELETEEFFECTS>(alGetProcAddress("alDeleteEffects"));
        effecti = reinterpret_cast<LPALEFFECTI>(alGetProcAddress("alEffecti"));
        effectf = reinterpret_cast<LPALEFFECTF>(alGetProcAddress("alEffectf"));
        genSlots = reinterpret_cast<LPALGENAUXILIARYEFFECTSLOTS>(
            alGetProcAddress("alGenAuxiliaryEffectSlots"));
        deleteSlots = reinterpret_cast<LPALDELETEAUXILIARYEFFECTSLOTS>(
            alGetProcAddress("alDeleteAuxiliaryEffectSlots"));
        sloti =
            reinterpret_cast<LPALAUXILIARYEFFECTSLOTI>(alGetProcAddress("alAuxiliaryEffectSloti"));
        return genEffects && deleteEffects && effecti && effectf && genSlots && deleteSlots &&
               sloti;
    }
};

} // namespace

static ALenum AlFormat(const PcmFormat& format) {
    if (!format.IsPlayable()) return 0;
    if (format.channels == 1) return format.bitsPerSample == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
    return format.bitsPerSample == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

struct SoundDevice::Impl {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    bool hasEffects = false;
    EffectsApi effects;
    ALuint reverbEffect = 0;
    ALuint reverbSlot = 0;
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
    // Sounds placed in the world fall off with the inverse of their distance
    // beyond their minimum distance; a sound kept at the listener stands at
    // distance 0 and so keeps its level.
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    impl_->hasEffects =
        alcIsExtensionPresent(impl_->device, "ALC_EXT_EFX") == ALC_TRUE && impl_->effects.Load();
    return true;
}

void SoundDevice::Close() {
    if (impl_->context) {
        if (impl_->reverbSlot) impl_->effects.deleteSlots(1, &impl_->reverbSlot);
        if (impl_->reverbEffect) impl_->effects.deleteEffects(1, &impl_->reverbEffect);
        impl_->reverbSlot = impl_->reverbEffect = 0;
        impl_->hasEffects = false;
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
    if (IsOpen()) alListener3f(AL_POSITION, Finite(x), Finite(y), -Finite(z));
}

void SoundDevice::SetListenerOrientation(float atX, float atY, float atZ, float upX, float upY,
                                         float upZ) {
    if (!IsOpen()) return;
    const ALfloat orientation[] = {Finite(atX), Finite(atY),       -Finite(atZ, 1.0f),
                                   Finite(upX), Finite(upY, 1.0f), -Finite(upZ)};
    alListenerfv(AL_ORIENTATION, orientation);
}

void SoundDevice::SetListenerVelocity(float x, float y, float z) {
    if (IsOpen()) alListener3f(AL_VELOCITY, Finite(x), Finite(y), -Finite(z));
}

bool SoundDevice::HasReverb() const {
    return IsOpen() && impl_->hasEffects;
}

bool SoundDevice::SetReverb(const ReverbSettings* settings) {
    if (!HasReverb()) return false;
    const EffectsApi& fx = impl_->effects;
    alGetError();
    if (!impl_->reverbSlot) {
        fx.genSlots(1, &impl_->reverbSlot);
        fx.genEffects(1, &impl_->reverbEffect);
        if (alGetError() != AL_NO_ERROR) return false;
        fx.effecti(impl_->reverbEffect, AL_EFFECT_TYPE, AL_EFFECT_REVERB);
    }
    if (!settings) {
        fx.sloti(impl_->reverbSlot, AL_EFFECTSLOT_EFFECT, AL_EFFECT_NULL);
        return alGetError() == AL_NO_ERROR;
    }
    const ALuint e = impl_->reverbEffect;
    auto set = [&](ALenum what, float value, float low, float high) {
        fx.effectf(e, what, std::clamp(Finite(value, low), low, high));
    };
    set(AL_REVERB_GAIN, settings->gain, AL_REVERB_MIN_GAIN, AL_REVERB_MAX_GAIN);
    set(AL_REVERB_GAINHF, settings->gainHF, AL_REVERB_MIN_GAINHF, AL_REVERB_MAX_GAINHF);
    set(AL_REVERB_DECAY_TIME, settings->decayTime, AL_REVERB_MIN_DECAY_TIME,
        AL_REVERB_MAX_DECAY_TIME);
    set(AL_REVERB_DECAY_HFRATIO, settings->decayHFRatio, AL_REVERB_MIN_DECAY_HFRATIO,
        AL_REVERB_MAX_DECAY_HFRATIO);
    set(AL_REVERB_REFLECTIONS_GAIN, settings->reflectionsGain, AL_REVERB_MIN_REFLECTIONS_GAIN,
        AL_REVERB_MAX_REFLECTIONS_GAIN);
    set(AL_REVERB_REFLECTIONS_DELAY, settings->reflectionsDelay, AL_REVERB_MIN_REFLECTIONS_DELAY,
        AL_REVERB_MAX_REFLECTIONS_DELAY);
    set(AL_REVERB_LATE_REVERB_GAIN, settings->lateGain, AL_REVERB_MIN_LATE_REVERB_GAIN,
        AL_REVERB_MAX_LATE_REVERB_GAIN);
    set(AL_REVERB_LATE_REVERB_DELAY, settings->lateDelay, AL_REVERB_MIN_LATE_REVERB_DELAY,
        AL_REVERB_MAX_LATE_REVERB_DELAY);
    set(AL_REVERB_DIFFUSION, settings->diffusion, AL_REVERB_MIN_DIFFUSION, AL_REVERB_MAX_DIFFUSION);
    set(AL_REVERB_AIR_ABSORPTION_GAINHF, settings->airAbsorptionGainHF,
        AL_REVERB_MIN_AIR_ABSORPTION_GAINHF, AL_REVERB_MAX_AIR_ABSORPTION_GAINHF);
    set(AL_REVERB_ROOM_ROLLOFF_FACTOR, settings->roomRolloff, AL_REVERB_MIN_ROOM_ROLLOFF_FACTOR,
        AL_REVERB_MAX_ROOM_ROLLOFF_FACTOR);
    fx.effecti(e, AL_REVERB_DECAY_HFLIMIT, settings->decayHFLimit ? AL_TRUE : AL_FALSE);
    // The slot takes a copy of the effect's values when it is (re)loaded.
    fx.sloti(impl_->reverbSlot, AL_EFFECTSLOT_EFFECT, static_cast<ALint>(e));
    return alGetError() == AL_NO_ERROR;
}

struct SoundBuffer::Impl {
    ALuint buffer = 0;
    PcmFormat format;
    size_t bytes = 0;
};

SoundBuffer::SoundBuffer(SoundDevice& device) : impl_(std::make_unique<Impl>()) {
    if (!device.IsOpen()) return;
    alGetError();
    alGenBuffers(1, &impl_->buffer);
    if (alGetError() != AL_NO_ERROR) impl_->buffer = 0;
}

SoundBuffer::~SoundBuffer() {
    if (impl_->buffer) alDeleteBuffers(1, &impl_->buffer);
}

bool SoundBuffer::SetData(const PcmFormat& format, const void* samples, size_t bytes) {
    const ALenum alFormat = AlFormat(format);
    if (!impl_->buffer || !alFormat || !samples || bytes > 0x7FFFFFFF) return false;
    bytes -= bytes % static_cast<size_t>(format.BlockAlign());
    if (bytes == 0) return false;
    alGetError();
    alBufferData(impl_->buffer, alFormat, samples, static_cast<ALsizei>(bytes), format.sampleRate);
    if (alGetError() != AL_NO_ERROR) return false;
    impl_->format = format;
    impl_->bytes = bytes;
    return true;
}

bool SoundBuffer::IsValid() const {
    return impl_->buffer && impl_->bytes > 0;
}

const PcmFormat& SoundBuffer::Format() const {
    return impl_->format;
}

size_t SoundBuffer::Bytes() const {
    return impl_->bytes;
}

struct SoundVoice::Impl {
    bool open = false;
    SoundDevice::Impl* device = nullptr;
    ALuint source = 0;
    ALuint whole = 0;                    // buffer of a whole sound
    std::shared_ptr<SoundBuffer> shared; // or the buffer it shares
    std::vector<ALuint> spare;           // stream buffers ready to be filled
    std::vector<ALuint> queued;          // stream buffers in play order
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
    impl_->device = device.impl_.get();
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
    impl_->shared.reset();
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

bool SoundVoice::Attach(std::shared_ptr<SoundBuffer> buffer) {
    if (!impl_->open || !buffer || !buffer->IsValid()) return false;
    impl_->DropStream();
    impl_->streaming = false;
    alSourceStop(impl_->source);
    alGetError();
    alSourcei(impl_->source, AL_BUFFER, static_cast<ALint>(buffer->impl_->buffer));
    if (alGetError() != AL_NO_ERROR) return false;
    impl_->format = buffer->Format();
    impl_->alFormat = AlFormat(impl_->format);
    impl_->shared = std::move(buffer);
    return true;
}

bool SoundVoice::BeginStream(const PcmFormat& format) {
    if (!impl_->open) return false;
    const ALenum alFormat = AlFormat(format);
    if (!alFormat) return false;
    alSourceStop(impl_->source);
    alSourcei(impl_->source, AL_BUFFER, 0);
    impl_->shared.reset();
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
    if (impl_->open) SetSourceVector(impl_->source, AL_POSITION, Finite(x), Finite(y), Finite(z));
}

void SoundVoice::SetVelocity(float x, float y, float z) {
    if (impl_->open) SetSourceVector(impl_->source, AL_VELOCITY, Finite(x), Finite(y), Finite(z));
}

void SoundVoice::SetDirection(float x, float y, float z) {
    if (impl_->open) SetSourceVector(impl_->source, AL_DIRECTION, Finite(x), Finite(y), Finite(z));
}

void SoundVoice::SetCone(float insideDegrees, float outsideDegrees, float outsideGain) {
    if (!impl_->open) return;
    const float inside = std::clamp(Finite(insideDegrees, 360.0f), 0.0f, 360.0f);
    const float outside = std::clamp(Finite(outsideDegrees, 360.0f), inside, 360.0f);
    alSourcef(impl_->source, AL_CONE_INNER_ANGLE, inside);
    alSourcef(impl_->source, AL_CONE_OUTER_ANGLE, outside);
    alSourcef(impl_->source, AL_CONE_OUTER_GAIN, std::clamp(Finite(outsideGain), 0.0f, 1.0f));
}

void SoundVoice::SetDistances(float minDistance, float maxDistance) {
    if (!impl_->open) return;
    // The library wants a positive reference distance and a maximum beyond it.
    const float low = std::max(Finite(minDistance, 1.0f), 1e-6f);
    const float high = std::max(Finite(maxDistance, low), low);
    alSourcef(impl_->source, AL_REFERENCE_DISTANCE, low);
    alSourcef(impl_->source, AL_MAX_DISTANCE, high);
}

void SoundVoice::SetStartFrame(size_t frame) {
    if (!impl_->open || impl_->streaming) return;
    alSourcei(impl_->source, AL_SAMPLE_OFFSET,
              static_cast<ALint>(std::min<size_t>(frame, 0x7FFFFFFF)));
}

void SoundVoice::SetReverbSend(bool on) {
    if (!impl_->open || !impl_->device || !impl_->device->hasEffects) return;
    const ALuint slot = on ? impl_->device->reverbSlot : 0;
    if (on && !slot) return;
    alSource3i(impl_->source, AL_AUXILIARY_SEND_FILTER, static_cast<ALint>(slot), 0,
               AL_FILTER_NULL);
}

} // namespace platform
