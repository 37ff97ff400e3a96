// SoundManager: the device, registering and loading sounds, playing and
// stopping them, scene sounds, the sound switch and the announcement queue.
#include "desktop/scene/sound/sound_manager.h"

#include <algorithm>
#include <cstdio>

#include "desktop/scene/object/script_config.h"
#include "desktop/scene/sound/mp3_decoder.h"
#include "desktop/scene/sound/sound_manager_internal.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/scene_hooks.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

SoundManager* gSoundManager = nullptr;

constexpr int kHalvedRate = 44100;
// Every registered sound may play at the listener besides the positional voices.
constexpr int kDeviceVoices = kMaxSounds + kPositionalVoices;

std::string_view StoredName(std::string_view name) {
    return name.substr(0, std::min(name.size(), kSoundNameLength));
}

bool EndsWithMp3(std::string_view path) {
    return path.size() >= 5 && platform::EqualsIgnoreCase(path.substr(path.size() - 4), ".mp3");
}

// Everything from the last '.' of the file name becomes ".mp3".
std::string Mp3Name(std::string_view path) {
    std::string file(path);
    const size_t folder = file.find_last_of("\\/");
    const size_t dot = file.rfind('.');
    if (dot != std::string::npos && (folder == std::string::npos || dot > folder))
        file = file.substr(0, dot) + ".mp3";
    return file;
}

} // namespace

int32_t VolumeToHundredthsDb(float volume) {
    return platform::HundredthsDbFromLevel(volume);
}

SoundLevels& GetSoundLevels() {
    static SoundLevels levels;
    return levels;
}

SoundSwitches& GetSoundSwitches() {
    static SoundSwitches switches;
    return switches;
}

SoundManager* GetSoundManager() {
    return gSoundManager;
}

void SetSoundManager(SoundManager* manager) {
    gSoundManager = manager;
}

SoundManager::SoundManager() = default;

SoundManager::~SoundManager() {
    Shutdown();
}

int SoundManager::Init(const std::filesystem::path& root, const ScriptConfig* script,
                       bool openDevice) {
    Shutdown();
    dataRoot = root;
    config = script;
    masterLevel = 1.0f;
    soundOn = true;
    device = std::make_unique<platform::SoundDevice>();
    std::string error;
    if (openDevice && device->Open(kDeviceVoices, error)) {
        enabled = true;
        voices.resize(kPositionalVoices);
    } else if (openDevice) {
        std::fprintf(stderr, "Lumivane: no sound: %s\n", error.c_str());
    }
    return 0;
}

void SoundManager::Shutdown() {
    voices.clear();
    slots.clear();
    announcements.clear();
    playingAnnouncement = -1;
    if (device) device->Close();
    device.reset();
    enabled = false;
    reverbOn = false;
    bytesAllocated = 0;
}

void SoundManager::StopSounds() {
    for (Voice& voice : voices)
        voice = Voice();
}

bool SoundManager::ValidIndex(int32_t index) const {
    return index >= 0 && index < int32_t(slots.size()) && slots[size_t(index)].buffer;
}

void SoundManager::NoteMissing(std::string_view path, std::string_view context) {
    failedFiles.emplace_back(path);
    if (ModelLibrary* library = GetModelLibrary())
        library->AddMissingFile(kMissingSound, path, context);
}

std::shared_ptr<platform::SoundBuffer>
SoundManager::AllocateSound(const WaveFormat& format, const void* samples, size_t bytes) {
    if (!enabled) return nullptr;
    auto buffer = std::make_shared<platform::SoundBuffer>(*device);
    const platform::PcmFormat pcm{format.channels, int(format.samplesPerSecond),
                                  format.bitsPerSample};
    if (!buffer->SetData(pcm, samples, bytes)) return nullptr;
    bytesAllocated += buffer->Bytes();
    return buffer;
}

std::shared_ptr<platform::SoundBuffer> SoundManager::Load(std::string_view path, uint32_t* lengthMs,
                                                          WaveFormat* formatOut,
                                                          std::string_view context) {
    if (!enabled) return nullptr;
    const std::string file = Mp3Name(path);
    const auto resolved = platform::ResolvePath(dataRoot, file);
    WaveSound sound;
    if (EndsWithMp3(file)) {
        Mp3Decoder decoder;
        if (!resolved || !decoder.Open(*resolved, 0) || decoder.DecodeAll() <= 0) {
            NoteMissing(file, context);
            return nullptr;
        }
        sound.format = WaveFormat::Pcm16(decoder.GetChannels(), decoder.GetSampleRate());
        sound.samples.resize(decoder.PcmBytes());
        decoder.CopyPcm(sound.samples.data());
        if (decoder.GetSampleRate() == kHalvedRate) {
            // Half the memory: every second sample frame, at 22.05 kHz.
            HalveSampleFrames(sound.samples, sound.format.blockAlign);
            sound.format = WaveFormat::Pcm16(decoder.GetChannels(), kHalvedRate / 2);
        }
    } else {
        std::string error;
        const WaveStatus status =
            resolved ? ReadWaveFile(*resolved, sound, error) : WaveStatus::Bad;
        if (status == WaveStatus::NotPcm) return nullptr;
        if (status != WaveStatus::Ok) {
            NoteMissing(file, context);
            return nullptr;
        }
    }
    auto buffer = AllocateSound(sound.format, sound.samples.data(), sound.samples.size());
    if (!buffer) {
        NoteMissing(file, context);
        return nullptr;
    }
    // The reader refused formats with a zero rate, channel or bit count.
    if (lengthMs)
        *lengthMs = uint32_t(uint64_t{buffer->Bytes()} * 1000 / sound.format.averageBytesPerSecond);
    if (formatOut) *formatOut = sound.format;
    return buffer;
}

int32_t SoundManager::RegisterSound(std::string_view name, int32_t sceneFlag,
                                    std::string_view context) {
    if (!enabled || name.empty()) return -1;
    const std::string_view stored = StoredName(name);
    for (size_t i = 0; i < slots.size(); ++i)
        if (slots[i].buffer && platform::EqualsIgnoreCase(slots[i].name, stored)) return int32_t(i);
    size_t index = 0;
    while (index < slots.size() && slots[index].buffer)
        ++index;
    if (index >= size_t(kMaxSounds)) return -1;
    Slot fresh;
    fresh.buffer = Load("sounds\\" + std::string(name), &fresh.lengthMs, &fresh.format, context);
    if (!fresh.buffer) return -1;
    fresh.voice = std::make_unique<platform::SoundVoice>(*device);
    fresh.voice->SetPositional(false);
    fresh.voice->Attach(fresh.buffer);
    fresh.name = std::string(stored);
    fresh.sceneFlag = sceneFlag;
    if (index == slots.size()) slots.emplace_back();
    slots[index] = std::move(fresh);
    return int32_t(index);
}

int32_t SoundManager::RegisterMappedSound(std::string_view logicalName, int32_t sceneFlag,
                                          std::string_view context) {
    if (!enabled || !config) return -1;
    const ScriptBlock* mapping = config->FindBlock("Sounds", "mapping");
    std::string file;
    if (!mapping || !mapping->GetString(logicalName, file) || file.empty()) return -1;
    return RegisterSound(file, sceneFlag, context);
}

void SoundManager::PlaySound(int32_t index, float volume) {
    if (!enabled || !ValidIndex(index)) return;
    platform::SoundVoice& voice = *slots[size_t(index)].voice;
    voice.SetVolume(VolumeToHundredthsDb(volume));
    voice.Stop();
    voice.Rewind();
    voice.Play(false);
}

void SoundManager::StopSound(int32_t index) {
    if (enabled && ValidIndex(index)) slots[size_t(index)].voice->Stop();
}

bool SoundManager::IsPlaying(int32_t index) const {
    return enabled && ValidIndex(index) && slots[size_t(index)].voice->IsPlaying();
}

void SoundManager::StopSceneSounds() {
    for (size_t i = 0; i < slots.size(); ++i) {
        const Slot& slot = slots[i];
        // The one sound a scene keeps through a change of its scene sounds.
        if (slot.buffer && slot.sceneFlag && !platform::EqualsIgnoreCase(slot.name, "elaphant.wav"))
            slot.voice->Stop();
    }
}

void SoundManager::PlaySceneSound(std::string_view name) {
    PlaySound(RegisterSound(name, 1, "Scene"), GetSoundLevels().sound);
}

void SoundManager::PlaySceneSoundExclusive(std::string_view name) {
    StopSceneSounds();
    PlaySound(RegisterSound(name, 1, "Scene"), GetSoundLevels().announcement);
}

int SoundManager::ToggleSound(int mode, bool fade) {
    const bool on = mode == 1 ? true : mode == 0 ? false : !soundOn;
    if (on == soundOn) return soundOn ? 1 : 0;
    soundOn = on;
    if (on && fade)
        masterLevel = 0.0f; // Update ramps it in
    else if (!fade)
        masterLevel = on ? 1.0f : 0.0f;
    return soundOn ? 1 : 0;
}

void SoundManager::QueueAnnouncement(int32_t index) {
    if (!enabled || !GetSoundSwitches().announcements || index < 0 ||
        GetSceneDisplay().CinematicMode())
        return;
    if (std::find(announcements.begin(), announcements.end(), index) != announcements.end()) return;
    if (announcements.size() >= size_t(kAnnouncementQueueSize)) return;
    announcements.push_back(index);
}

int SoundManager::SlotCount() const {
    return int(slots.size());
}

std::string_view SoundManager::SlotName(int32_t index) const {
    return ValidIndex(index) ? std::string_view(slots[size_t(index)].name) : std::string_view();
}

uint32_t SoundManager::SlotLength(int32_t index) const {
    return ValidIndex(index) ? slots[size_t(index)].lengthMs : 0;
}

const WaveFormat* SoundManager::SlotFormat(int32_t index) const {
    return ValidIndex(index) ? &slots[size_t(index)].format : nullptr;
}

bool SoundManager::SlotIsScene(int32_t index) const {
    return ValidIndex(index) && slots[size_t(index)].sceneFlag != 0;
}

std::vector<SoundManager::VoiceState> SoundManager::Voices() const {
    std::vector<VoiceState> states;
    for (const Voice& voice : voices)
        if (voice.voice) states.push_back({voice.owner, voice.slot, voice.sound});
    return states;
}

} // namespace lumivane
