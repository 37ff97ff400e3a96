// The sound manager's slot and voice records, shared by its source files.
#pragma once

#include <memory>
#include <string>

#include "desktop/scene/sound/sound_manager.h"
#include "platform/sound_device.h"

namespace lumivane {

// A registered sound: its samples on the device (null: the slot is free),
// the voice that plays it at the listener, its length, format and name.
struct SoundManager::Slot {
    std::shared_ptr<platform::SoundBuffer> buffer;
    std::unique_ptr<platform::SoundVoice> voice;
    uint32_t lengthMs = 0;
    WaveFormat format;
    std::string name; // at most 31 characters, as registered, without the folder
    int32_t sceneFlag = 0;
};

// A positional voice: a voice of its own on a registered sound's samples,
// for one sound slot of one entity.
struct SoundManager::Voice {
    std::unique_ptr<platform::SoundVoice> voice;
    int32_t sound = -1;
    int32_t slot = 0; // the entity's sound slot
    EntityHandle owner = kNoEntity;
};

} // namespace lumivane
