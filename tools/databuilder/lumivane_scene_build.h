// What the steps that write Lumivane's scenes share: the running world a
// scene is built in (the model library of the data written so far, the six
// players and a scene with a fixed identity, so every build writes the same
// bytes), the scene's save with its read-back check, and the small pieces
// of a script.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/world.h"

namespace databuilder {

// Installed as the program's world, library, players and scene while it lives.
class SceneBuild {
public:
    SceneBuild(const std::filesystem::path& root, uint32_t creationTime);
    ~SceneBuild();
    SceneBuild(const SceneBuild&) = delete;
    SceneBuild& operator=(const SceneBuild&) = delete;

    bool LibraryLoaded() const { return libraryLoaded; }
    // Titles the scene, saves it as `path` ("scenes\x.mis") with the camera's
    // block for its radius and reads it back; false when either fails or
    // `accept` refuses what was read.
    bool Save(std::string_view title, std::string_view code, const std::string& path,
              const std::function<bool(const lumivane::Scene&)>& accept);

    lumivane::World world;
    lumivane::ModelLibrary library;
    lumivane::PlayerSet players;
    lumivane::Scene scene;

private:
    bool libraryLoaded = false;
};

// A trigger that waits `delayMs` after it becomes active.
std::unique_ptr<lumivane::Trigger> DelayTrigger(const char* name, int32_t id, uint32_t delayMs);
lumivane::TriggerAction& AddAction(lumivane::Trigger& trigger, int32_t type);

} // namespace databuilder
