// The sound manager's test fixture: a world, a script configuration that
// maps two logical names, and a manager on the silent output, with the sound
// files of sound_files.h.
#pragma once

#include <gtest/gtest.h>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/script_config.h"
#include "desktop/scene/sound/sound_cues.h"
#include "desktop/scene/sound/sound_manager.h"
#include "desktop/scene/world/scene_hooks.h"
#include "tests/desktop/scene/sound/sound_files.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane::test {

class LvSound : public WorldTest {
protected:
    LvSound() {
        GetSoundLevels() = {};
        GetSoundSwitches() = {};
    }
    ~LvSound() override {
        InstallSoundManager(nullptr);
        GetSceneDisplay().SetCinematicMode(0, false);
    }
    void SetUp() override {
        if (!HaveLame()) GTEST_SKIP() << "lame is not installed";
        config.Parse("[Sounds]\n<mapping>\nwormhole gate.wav\nscenecue cue.wav\n");
        manager.Init(folder.root, &config);
        ASSERT_TRUE(manager.IsOn()) << "the silent output opens";
    }

    SoundFolder folder;
    ScriptConfig config;
    SoundManager manager;
};

} // namespace lumivane::test
