// JTAudio: the sound device and the table of registered sounds, loaded once
// each from "sounds\" (MP3 or WAVE) and played by index or name.
#include "Jentra/JTAudio.h"
#include "Jentra/JTDataFolder.h"

#include "Jentra/JTFrameClock.h"
#include "Jentra/JTMp3Stream.h"
#include "Jentra/core/sound/wave_file.h"
#include "platform/sound_device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>

JT_CLASS_IMPL(JTAudio)

JTAudio* gpJTAudio = nullptr;

JTSoundOptions& JTGetSoundOptions() {
    static JTSoundOptions options;
    return options;
}

int JTVolumeFromLevel(float level) {
    // A level above 1 gives a positive value as the rule says; the device
    // caps it at full.
    return platform::HundredthsDbFromLevel(level);
}

namespace {

bool SoundOn() {
    return JTGetSoundOptions().sound.load();
}

bool ContainsNoCase(const char* text, const char* part) {
    const size_t n = std::strlen(part);
    for (const char* p = text; *p; ++p)
        if (strncasecmp(p, part, n) == 0) return true;
    return false;
}

bool EndsWithNoCase(const std::string& text, const char* end) {
    const size_t n = std::strlen(end);
    return text.size() > n && strcasecmp(text.c_str() + text.size() - n, end) == 0;
}

platform::PcmFormat ToPcm(const JTWaveFormat& f) {
    return {f.nChannels, static_cast<int>(f.nSamplesPerSec), f.wBitsPerSample};
}

void Report(const std::string& name, const std::string& why) {
    std::fprintf(stderr, "Jentra: sound \"%s\" skipped: %s\n", name.c_str(), why.c_str());
}

} // namespace

JTAudio::JTAudio() : device(std::make_unique<platform::SoundDevice>()) {
    std::string error;
    // Room for every registered sound plus streams; without a device every
    // sound simply fails to load and the game runs silent.
    if (!device->Open(kMaxSounds + 16, error))
        std::fprintf(stderr, "Jentra: no sound: %s\n", error.c_str());
}

JTAudio::~JTAudio() {
    for (auto& buffer : buffers)
        buffer.reset();
    device->Close();
}

bool JTAudio::HasDevice() const {
    return device->IsOpen();
}

bool JTAudio::Valid(int index) const {
    return index >= 0 && index < registeredCount && buffers[index] != nullptr;
}

std::unique_ptr<platform::SoundVoice> JTAudio::AllocateSound(const JTWaveFormat& format,
                                                             const void* samples, size_t size) {
    auto voice = std::make_unique<platform::SoundVoice>(*device);
    // Mono sounds could be placed in 3D; placement stays off, so they play at
    // the listener like stereo ones.
    if (!voice->IsValid() || !voice->SetData(ToPcm(format), samples, size)) return nullptr;
    voice->SetPositional(false);
    bytesAllocated += static_cast<unsigned>(size);
    return voice;
}

std::unique_ptr<platform::SoundVoice> JTAudio::Load(const char* name, unsigned* length,
                                                    JTWaveFormat* formatOut) {
    if (!SoundOn() || !name) return nullptr;
    // Every sound named with an extension is read as MP3; the caller's name
    // is left as it is.
    std::string file = name;
    const size_t slash = file.find_last_of("\\/");
    const size_t dot = file.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        file = file.substr(0, dot) + ".mp3";
    const std::string path = JTResolveDataPath(file.c_str());

    JTWaveFormat format;
    std::vector<uint8_t> samples;
    if (EndsWithNoCase(file, ".mp3")) {
        JTMp3Stream stream;
        if (!stream.Open(path.c_str())) {
            Report(file, "cannot be read as MP3");
            return nullptr;
        }
        if (stream.DecodeAll() <= 0) {
            Report(file, "holds no sound");
            return nullptr;
        }
        format.wFormatTag = platform::kWaveFormatPcm;
        format.nChannels = static_cast<uint16_t>(stream.GetChannels());
        format.nSamplesPerSec = static_cast<uint32_t>(stream.GetSampleRate());
        format.wBitsPerSample = 16;
        const size_t frameBytes = format.nChannels * 2u;
        samples.resize(stream.GetPCMSize());
        stream.GetPCM(samples.data());
        if (format.nSamplesPerSec == 44100) {
            // Halved to 22050 Hz by keeping every other sample frame.
            platform::HalveSampleFrames(samples, int(frameBytes));
            format.nSamplesPerSec = 22050;
        }
    } else {
        jentra_sound::WaveFile wave;
        std::string error;
        if (!jentra_sound::ReadWave(path, wave, error)) {
            Report(file, error);
            return nullptr;
        }
        format = jentra_sound::PcmFormatOf(wave);
        if (!wave.compressed) {
            samples.assign(wave.data, wave.data + wave.dataSize);
        } else {
            const auto pcm = jentra_sound::DecodeWave(wave);
            size_t size = pcm.size() * 2;
            if (wave.hasFact)
                size = std::min<size_t>(size, uint64_t{wave.factSamples} * format.nBlockAlign);
            if (JTGetSoundOptions().lowRAM && !ContainsNoCase(name, "alert_") &&
                !ContainsNoCase(name, "dialogue\\"))
                size = size / 2 / 4 * 4;
            samples.assign(reinterpret_cast<const uint8_t*>(pcm.data()),
                           reinterpret_cast<const uint8_t*>(pcm.data()) + size);
        }
    }
    format.nBlockAlign = static_cast<uint16_t>(format.nChannels * format.wBitsPerSample / 8);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    auto voice = AllocateSound(format, samples.data(), samples.size());
    if (!voice) {
        Report(file, "the sound device refused it");
        return nullptr;
    }
    if (length)
        *length = static_cast<unsigned>(uint64_t{samples.size()} * 1000 / format.nAvgBytesPerSec);
    if (formatOut) *formatOut = format;
    return voice;
}

int JTAudio::RegisterSound(const char* name, bool flag) {
    if (!SoundOn() || !name) return -1;
    // Names are kept in 128 bytes; a longer one could never be found again.
    if (std::strlen(name) >= sizeof names[0]) {
        Report(name, "name too long");
        return -1;
    }
    for (int i = 0; i < registeredCount; ++i)
        if (buffers[i] && strcasecmp(names[i], name) == 0) return i;
    int index = 0;
    while (index < registeredCount && buffers[index])
        ++index;
    if (index >= kMaxSounds) return -1;
    if (index == registeredCount) ++registeredCount;
    const bool slow = JTGetSoundOptions().lowRAM && !ContainsNoCase(name, "dialogue\\");
    const std::string path = std::string(slow ? "soundslow\\" : "sounds\\") + name;
    buffers[index] = Load(path.c_str(), &lengths[index], &formats[index]);
    if (!buffers[index]) return -1;
    std::snprintf(names[index], sizeof names[index], "%s", name);
    flags[index] = flag;
    soundGroups[index] = 0;
    return index;
}

void JTAudio::PlaySoundA(int index, int group, bool loop) {
    if (!SoundOn() || !Valid(index)) return;
    if (group >= 0 && group < static_cast<int>(groups.size()))
        buffers[index]->SetVolume(JTVolumeFromLevel(groups[group]));
    soundGroups[index] = group;
    buffers[index]->Rewind();
    buffers[index]->Play(loop);
}

int JTAudio::PlaySoundA(const char* name, int group, bool loop) {
    const int index = RegisterSound(name, true);
    PlaySoundA(index, group, loop);
    return index;
}

void JTAudio::StopSound(int index) {
    if (Valid(index)) buffers[index]->Stop();
}

void JTAudio::StopSound(const char* name) {
    StopSound(RegisterSound(name, false));
}

bool JTAudio::IsPlaying(int index) {
    return Valid(index) && buffers[index]->IsPlaying();
}

bool JTAudio::IsPlaying(const char* name) {
    return IsPlaying(RegisterSound(name, false));
}

unsigned JTAudio::GetSoundLength(int index) const {
    return index >= 0 && index < registeredCount ? lengths[index] : 0;
}

void JTAudio::SetVolume(int group, float level) {
    if (group < 0) return;
    if (group >= static_cast<int>(groups.size())) groups.resize(group + 1, 1.0f);
    groups[group] = level;
    const int volume = JTVolumeFromLevel(level);
    for (int i = 0; i < registeredCount; ++i)
        if (buffers[i] && soundGroups[i] == group) buffers[i]->SetVolume(volume);
}

float JTAudio::GetGroupLevel(int group) const {
    return group >= 0 && group < static_cast<int>(groups.size()) ? groups[group] : 0.0f;
}

const JTWaveFormat* JTAudio::GetSoundFormat(int index) const {
    return Valid(index) ? &formats[index] : nullptr;
}

float JTAudio::GetSoundGain(int index) const {
    return Valid(index) ? buffers[index]->Gain() : 0;
}

void JTAudio::ToggleSound(Toggle t, bool keepLevel) {
    const bool on = t == TOGGLE_ON ? true : t == TOGGLE_OFF ? false : !soundOn;
    if (on && keepLevel) masterLevel = 0.0f;
    if (on != soundOn) {
        soundOn = on;
        if (!keepLevel) masterLevel = on ? 1.0f : 0.0f;
    }
}

void JTAudio::StopSounds() {
    for (int i = 0; i < registeredCount; ++i)
        if (buffers[i]) buffers[i]->Stop();
}

void JTAudio::Update() {
    JTGetSoundOptions().framesRunning.store(gnFrame > 0 || gfPause);
}
