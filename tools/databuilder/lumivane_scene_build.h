// What the data builder's Lumivane scene steps share: the world, model
// library, players and scene a scene is built in (made current while it is
// built, let go after), the scene written with its own Save and read back
// with its Load, and the scene's companion text table.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/world.h"

namespace databuilder {

class LumivaneSceneBuild {
public:
    // `creationTime` fixes the scene's identity so each build writes the
    // same bytes; `step` names the step in messages.
    LumivaneSceneBuild(uint32_t creationTime, const char* step);
    ~LumivaneSceneBuild();
    LumivaneSceneBuild(const LumivaneSceneBuild&) = delete;
    LumivaneSceneBuild& operator=(const LumivaneSceneBuild&) = delete;

    // Loads every model below `root`; false when none loads.
    bool LoadModels(const std::filesystem::path& root);
    // Saves the scene under `path` and reads it back: true when it loads
    // with `triggers` top-level triggers and some entities.
    bool SaveAndCheck(const char* path, size_t triggers);

    lumivane::World world;
    lumivane::ModelLibrary library;
    lumivane::PlayerSet players;
    lumivane::Scene scene;

private:
    const char* step_;
};

// The scene's companion table: a heading line, the column line, then one
// row per (text number, context, English text).
struct SceneText {
    int32_t id;
    const char* context;
    const char* english;
};
bool WriteSceneTexts(const std::filesystem::path& path, const char* heading,
                     const std::vector<SceneText>& texts, const char* step);

// Makes the folders a scene step writes below `root`.
bool MakeSceneFolders(const std::filesystem::path& root, const char* step);

} // namespace databuilder
