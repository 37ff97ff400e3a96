// SoundManager::Update, once per frame: the master fade, the room reverb of
// the nearest sound zones, the listener at the camera, the entities' sounds
// on the positional voices, the scene sounds that ended, and the next
// announcement.
#include <algorithm>
#include <array>
#include <cmath>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/sound/sound_manager.h"
#include "desktop/scene/sound/sound_manager_internal.h"
#include "desktop/scene/sound/voice_choice.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

constexpr float kFadePerSecond = 0.5f;
constexpr float kCinematicLevelCap = 0.5f;
constexpr float kPausedShare = 0.8f;
constexpr float kListenerSmoothing = 4.0f; // per second
constexpr float kMaxVoiceDistance = 1000000000.0f;
constexpr int kReverbZones = 4;

// Offsets of the room values in every entity block (they sit in the Entity
// part, which every class's block begins with).
struct RoomFields {
    size_t enable, minDist, maxDist, room, roomHF, rolloff, decayTime, decayHFRatio, reflections,
        reflectionsDelay, reverb, reverbDelay, diffusion, airAbsorptionHF, decayHFLimit;
};

size_t EntityOffset(const char* name) {
    size_t offset = 0;
    PropDesc::Find(EntityPropDescs(), name, offset);
    return offset;
}

const RoomFields& Room() {
    static const RoomFields fields{EntityOffset("EAX environment enable"),
                                   EntityOffset("EAX min dist"),
                                   EntityOffset("EAX max dist"),
                                   EntityOffset("EAX room"),
                                   EntityOffset("EAX room HF"),
                                   EntityOffset("EAX room rolloff factor"),
                                   EntityOffset("EAX decay time"),
                                   EntityOffset("EAX decay HF ratio"),
                                   EntityOffset("EAX reflections"),
                                   EntityOffset("EAX reflections delay"),
                                   EntityOffset("EAX reverb"),
                                   EntityOffset("EAX reverb delay"),
                                   EntityOffset("EAX environment diffusion"),
                                   EntityOffset("EAX air absorption HF"),
                                   EntityOffset("EAX decay HF limit")};
    return fields;
}

struct Zone {
    const Entity* entity;
    float distance;
    float maxDist;
};

platform::ReverbSettings ZoneReverb(const PropBlock& p) {
    const RoomFields& f = Room();
    platform::ReverbSettings r;
    r.gain = p.Float(f.room);
    r.gainHF = p.Float(f.roomHF);
    r.roomRolloff = p.Float(f.rolloff);
    r.decayTime = p.Float(f.decayTime);
    r.decayHFRatio = p.Float(f.decayHFRatio);
    r.reflectionsGain = p.Float(f.reflections);
    r.reflectionsDelay = p.Float(f.reflectionsDelay);
    r.lateGain = p.Float(f.reverb);
    r.lateDelay = p.Float(f.reverbDelay);
    r.diffusion = p.Float(f.diffusion);
    // Stored in hundredths of a decibel (-100..0).
    r.airAbsorptionGainHF = std::pow(10.0f, p.Float(f.airAbsorptionHF) / 2000.0f);
    r.decayHFLimit = p.Flag(f.decayHFLimit);
    return r;
}

// How much a zone counts: 1 within its minimum distance, falling to 0 at its
// maximum.
float ZoneWeight(const Zone& zone) {
    const float low = zone.entity->props->Float(Room().minDist);
    const float span = zone.maxDist - low;
    if (!(span > 0.0f)) return 1.0f;
    return 1.0f - std::clamp((zone.distance - low) / span, 0.0f, 1.0f);
}

std::array<float*, 11> Values(platform::ReverbSettings& r) {
    return {&r.gain,
            &r.gainHF,
            &r.decayTime,
            &r.decayHFRatio,
            &r.reflectionsGain,
            &r.reflectionsDelay,
            &r.lateGain,
            &r.lateDelay,
            &r.diffusion,
            &r.airAbsorptionGainHF,
            &r.roomRolloff};
}

// The zones' settings weighted by how much each counts; the first (the
// smallest) zone's switch.
platform::ReverbSettings Blend(const std::vector<Zone>& zones) {
    platform::ReverbSettings sum = ZoneReverb(*zones.front().entity->props);
    float total = 0.0f;
    for (const Zone& zone : zones)
        total += ZoneWeight(zone);
    if (!(total > 0.0f)) return sum;
    for (float* value : Values(sum))
        *value = 0.0f;
    for (const Zone& zone : zones) {
        platform::ReverbSettings r = ZoneReverb(*zone.entity->props);
        const auto from = Values(r);
        const auto to = Values(sum);
        const float w = ZoneWeight(zone) / total;
        for (size_t i = 0; i < from.size(); ++i)
            *to[i] += *from[i] * w;
    }
    return sum;
}

bool KnownToListener(const Entity& entity) {
    const Player* local = GetPlayers().local;
    if (GetDisplayState().revealAll || !local || local->index >= kIdentifiedPlayers) return true;
    return entity.identification[local->index] == kKnown;
}

} // namespace

void SoundManager::Update() {
    if (!enabled) return;
    const float frameTime = GetSceneClock().frameTime;
    UpdateFade(frameTime);
    UpdateReverb();
    UpdateListener(frameTime);
    UpdateVoices();
    ReleaseFinishedSceneSounds();
    PlayNextAnnouncement();
}

void SoundManager::UpdateFade(float frameTime) {
    const float target = soundOn ? 1.0f : 0.0f;
    const float step = frameTime * kFadePerSecond;
    if (masterLevel < target)
        masterLevel = std::min(target, masterLevel + step);
    else
        masterLevel = std::max(target, masterLevel - step);
    masterLevel = std::clamp(masterLevel, 0.0f, 1.0f);
    if (GetSceneDisplay().CinematicMode()) masterLevel = std::min(masterLevel, kCinematicLevelCap);
}

void SoundManager::UpdateReverb() {
    World* world = GetWorld();
    if (!world || !device->HasReverb()) return;
    std::vector<Zone> zones;
    for (int i = 0; i < world->EntityCount(); ++i) {
        const Entity* entity = world->EntityAt(i);
        if (!entity || !entity->props || !entity->props->Flag(Room().enable)) continue;
        const float distance = world->Distance(0, entity->handle);
        const float maxDist = entity->props->Float(Room().maxDist);
        if (distance < maxDist) zones.push_back({entity, distance, maxDist});
    }
    std::stable_sort(zones.begin(), zones.end(),
                     [](const Zone& a, const Zone& b) { return a.maxDist < b.maxDist; });
    if (zones.size() > size_t(kReverbZones)) zones.resize(kReverbZones);
    if (zones.empty()) {
        if (reverbOn) device->SetReverb(nullptr);
        reverbOn = false;
        return;
    }
    const platform::ReverbSettings blended = Blend(zones);
    reverbOn = device->SetReverb(&blended);
}

void SoundManager::UpdateListener(float frameTime) {
    const CameraPose pose = CurrentCameraPose();
    device->SetListenerPosition(pose.position.x, pose.position.y, pose.position.z);
    device->SetListenerOrientation(pose.forward.x, pose.forward.y, pose.forward.z, pose.up.x,
                                   pose.up.y, pose.up.z);
    const float k = 1.0f - std::exp(-std::max(frameTime, 0.0f) * kListenerSmoothing);
    listenerVelocity += (pose.velocity - listenerVelocity) * k;
    const float speed = listenerVelocity.Length();
    if (!std::isfinite(speed))
        listenerVelocity = Vec3();
    else if (speed > 1.0f)
        listenerVelocity = listenerVelocity * (1.0f / speed);
    device->SetListenerVelocity(listenerVelocity.x, listenerVelocity.y, listenerVelocity.z);
}

void SoundManager::UpdateVoices() {
    World* world = GetWorld();
    const uint32_t now = GetSceneClock().gameTime;
    const Vec3 camera = CurrentCameraPose().position;
    std::vector<VoiceCandidate> candidates;
    for (int i = 0; world && i < world->EntityCount(); ++i) {
        Entity* entity = world->EntityAt(i);
        if (!entity || !entity->props || world->GetEntity(entity->handle) != entity ||
            !KnownToListener(*entity))
            continue;
        const float distance = (entity->position - camera).Length();
        for (int s = 0; s < kSoundSlots; ++s) {
            SoundSlotState& state = entity->soundSlots[s];
            if (!ValidIndex(state.soundId)) continue;
            const int64_t ends = int64_t(state.startTime) + slots[size_t(state.soundId)].lengthMs;
            if (!state.loop && ends < int64_t(now)) {
                state.soundId = -1;
                continue;
            }
            const float minDist = entity->props->Float(EntityFields().sound[s].minDist);
            candidates.push_back({entity->handle, s, state.soundId,
                                  VoicePriority(state.volume, distance, minDist, entity->radius)});
        }
    }
    const auto chosen = ChooseVoices(std::move(candidates), kPositionalVoices, kMaxVoicesPerSound);
    auto same = [](const Voice& v, const VoiceCandidate& c) {
        return v.owner == c.owner && v.slot == c.slot && v.sound == c.sound;
    };
    for (Voice& voice : voices)
        if (voice.voice && std::none_of(chosen.begin(), chosen.end(),
                                        [&](const auto& c) { return same(voice, c); }))
            voice = Voice();

    const float level =
        GetSoundLevels().sound * masterLevel * (GetLoopHooks().paused ? kPausedShare : 1.0f);
    for (const VoiceCandidate& c : chosen) {
        Entity* entity = world->GetEntity(c.owner);
        const SoundSlotState& state = entity->soundSlots[c.slot];
        const SoundSlotFields& fields = EntityFields().sound[c.slot];
        const PropBlock& props = *entity->props;
        auto playing = std::find_if(voices.begin(), voices.end(),
                                    [&](const Voice& v) { return v.voice && same(v, c); });
        if (playing == voices.end()) {
            playing =
                std::find_if(voices.begin(), voices.end(), [](const Voice& v) { return !v.voice; });
            if (playing == voices.end()) break;
            const Slot& sound = slots[size_t(c.sound)];
            auto voice = std::make_unique<platform::SoundVoice>(*device);
            if (!voice->Attach(sound.buffer)) continue;
            voice->SetPositional(true);
            if (state.loop && sound.lengthMs > 0) {
                // A looping sound carries on where it would be by now.
                const uint32_t into = (now - uint32_t(state.startTime)) % sound.lengthMs;
                voice->SetStartFrame(size_t(uint64_t{into} * sound.format.samplesPerSecond / 1000));
            }
            *playing = {std::move(voice), c.sound, c.slot, c.owner};
            playing->voice->Play(state.loop != 0);
        }
        platform::SoundVoice& voice = *playing->voice;
        const Vec3 direction = entity->GetDir();
        voice.SetPosition(entity->position.x, entity->position.y, entity->position.z);
        voice.SetVelocity(entity->velocity.x, entity->velocity.y, entity->velocity.z);
        voice.SetDirection(direction.x, direction.y, direction.z);
        voice.SetCone(float(props.Int(fields.insideCone)), float(props.Int(fields.outsideCone)),
                      props.Float(fields.outsideVolume));
        voice.SetDistances(props.Float(fields.minDist) * 2.0f * entity->radius, kMaxVoiceDistance);
        const float volume = std::min(1.0f, state.volume) * props.Float(fields.volume) * level;
        voice.SetVolume(VolumeToHundredthsDb(volume));
        voice.SetReverbSend(reverbOn);
    }
}

void SoundManager::ReleaseFinishedSceneSounds() {
    for (Slot& slot : slots)
        if (slot.buffer && slot.sceneFlag && (!soundOn || !slot.voice->IsPlaying()))
            slot = Slot(); // free for the next sound; its name goes too
}

void SoundManager::PlayNextAnnouncement() {
    if (announcements.empty()) return;
    for (const Slot& slot : slots)
        if (slot.buffer && slot.sceneFlag && slot.voice->IsPlaying()) return;
    // One announcement at a time: the next waits for the last to end.
    if (IsPlaying(playingAnnouncement)) return;
    playingAnnouncement = announcements.front();
    announcements.erase(announcements.begin());
    PlaySound(playingAnnouncement, GetSoundLevels().announcement);
}

} // namespace lumivane
