// The sounds the rest of the scene engine asks for by purpose (announcements,
// interface cues, the scene cue) under one table of logical names, whose
// files "script.dat" maps in its [Sounds]<mapping> block; and the link that
// makes a SoundManager the scene engine's sound cues and scene sounds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "desktop/scene/world/scene_hooks.h"

namespace lumivane {

class SoundManager;

// One logical name and where its registered index goes.
struct CueBinding {
    std::string key;
    int32_t* index;
};

// Every logical sound name, in a fixed order.
std::vector<CueBinding> SoundCueTable();

// Registers every cue of the table (RegisterMappedSound); the number found.
int RegisterSoundCues(SoundManager& manager);

// Registered indices of the cues that are not announcements (-1: none).
int32_t InterfaceCueSound(InterfaceCue cue);
int32_t SceneCueSound();
// Forgets every registered cue index.
void ClearSoundCues();

// Makes `manager` the program's sound manager and, through it, the scene
// engine's sound cues and scene sounds, after registering the cue table;
// null returns the scene engine to silence.
void InstallSoundManager(SoundManager* manager);

} // namespace lumivane
