// What the data builder's Lumivane scene steps share besides the scene
// engine they build in (StandaloneScene): the scene written with its own
// Save and read back with its Load, its companion text table, and the
// folders a scene step writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "desktop/scene/world/scene.h"

namespace databuilder {

struct StartView;

// Saves `scene` under `path` (below the data root the scene engine reads)
// with the camera block of its home view (`start`, or the overview of the
// scene's radius), and reads it back in a scene engine of its own: true when
// it loads with `triggers` top-level triggers and some entities. `step` names the step in messages.
bool SaveAndCheckScene(lumivane::Scene& scene, const std::filesystem::path& root, const char* path,
                       size_t triggers, const char* step, const StartView* start = nullptr);

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
