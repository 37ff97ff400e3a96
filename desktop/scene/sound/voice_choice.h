// Which entity sounds get the positional voices: the loudest by priority
// (the slot's level over the square of its distance in units of its minimum
// distance), at most a few voices on any one sound.
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/scene/world/entity_handle.h"

namespace lumivane {

struct VoiceCandidate {
    EntityHandle owner = kNoEntity;
    int32_t slot = 0;   // the entity's sound slot
    int32_t sound = -1; // the registered sound it plays
    float priority = 0.0f;
};

// level / r^2 with r = distance / (minimum distance x radius), r = 1 when
// that quotient is not above 0 (or not a number).
float VoicePriority(float level, float distance, float minDistance, float radius);

// The candidates that get a voice, highest priority first (equal ones keep
// their order): at most `voices` of them and at most `perSound` on one sound,
// so a fourth, quieter one on a sound is passed over while a louder one
// takes the place of the quietest of three.
std::vector<VoiceCandidate> ChooseVoices(std::vector<VoiceCandidate> candidates, int voices,
                                         int perSound);

} // namespace lumivane
