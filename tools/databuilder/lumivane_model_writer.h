// What the steps that author Lumivane's unit models share: a new prototype
// held while it is built, a named mount node, and the writer that saves
// each model through the engine's own Save with its property file and then
// checks that every model written loads back by name.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/trans_node.h"
#include "tools/databuilder/lumivane_prop_values.h"

namespace databuilder {

template <class T> T* NewPrototype(const char* name) {
    auto* entity = new T;
    entity->SetName(name);
    entity->AddRef();
    return entity;
}

// A node at `at`, turned by `yaw` about the vertical first.
lumivane::TransNode* MountAt(const std::string& name, lumivane::Vec3 at, float yaw = 0.0f);

struct ModelWriter {
    std::filesystem::path root;
    const char* step;
    std::vector<std::string> names;
    bool ok = true;

    // Gives the model its properties as `tune` sets them, writes
    // "models\<name>.vrn" and "properties\<name>.prp", and lets it go.
    void Write(lumivane::Entity* entity, const std::function<void(PropValues&)>& tune);
    // Every model written is found in a library read from the folder.
    bool CheckLibrary() const;
};

} // namespace databuilder
