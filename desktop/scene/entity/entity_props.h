// EntityProps: the property table every entity class starts from (841 bytes
// of block): visibility, health and self-repair, mass and gravity, five sound
// slots, the sound room, eight particle systems, the chase camera and up to
// twenty bounding spheres. The offsets below are found once by name, so the
// engine reads its own values without searching.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "desktop/scene/entity/prop_desc.h"

namespace lumivane {

inline constexpr size_t kEntityPropsSize = 841;
inline constexpr int kSoundSlots = 5;
inline constexpr int kParticleSystemSlots = 8;
inline constexpr int kMaxBoundSpheres = 20;

// The Entity table (ends with "Entity", no base).
const PropDesc* EntityPropDescs();
// "Ambient", "Thrust", ... : the event keys of the sound slots.
const std::vector<std::string>& SoundFunctionChoices();

struct SoundSlotFields {
    size_t file;     // owned string
    size_t soundId;  // the resolved sound (-1 none), not a designer value
    size_t function; // choice of SoundFunctionChoices()
    size_t volume;
    size_t minDist;
    size_t insideCone;
    size_t outsideCone;
    size_t outsideVolume;
};

struct SphereFields {
    size_t x, y, z, size;
};

struct EntityPropFields {
    size_t visible, alwaysIdentified, enableLods, noDisappear, hasHalo;
    size_t healthMax, selfRepairMax, selfRepairRate;
    size_t scale;
    size_t mass, massive, relativistic, affectedByGravity, canCollide;
    SoundSlotFields sound[kSoundSlots];
    size_t particleSystem[kParticleSystemSlots];
    size_t mainBoundScale, numberOfSpheres, overallSphereScaling;
    SphereFields sphere[kMaxBoundSpheres];
    size_t comet, scaleFudge;
};

const EntityPropFields& EntityFields();

} // namespace lumivane
