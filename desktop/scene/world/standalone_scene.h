// A scene engine of its own for tools and tests that build or run scenes
// outside the program: a world, the model library read from a data root,
// the six players (player 0 local) and a scene, installed as the engine's
// services while it lives. Whatever was installed before is put back when it
// goes, so it can also stand beside a running program.
#pragma once

#include <filesystem>

#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

class StandaloneScene {
public:
    // Loads the prototypes below `dataRoot`, which scene paths then resolve
    // under too, and resets the players for the loaded build lists.
    explicit StandaloneScene(const std::filesystem::path& dataRoot);
    ~StandaloneScene();
    StandaloneScene(const StandaloneScene&) = delete;
    StandaloneScene& operator=(const StandaloneScene&) = delete;

    // The prototypes were read.
    bool Loaded() const { return loaded; }

private:
    // Taken before the members below install theirs, put back after they go.
    struct Installed {
        Installed();
        ~Installed();
        World* world;
        ModelLibrary* library;
        Scene* scene;
        PlayerRoster players;
        ModelLoadState load;
    } installed;

public:
    World world;
    ModelLibrary library;
    PlayerSet players;
    Scene scene;

private:
    bool loaded = false;
};

} // namespace lumivane
