// What the steps that write Lumivane's units share: a named prototype of a
// unit class, a mount node at a point of its model, writing a prototype
// with its property file through the engine's own Save, and reading the
// folder back through the model library.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/trans_node.h"
#include "tools/databuilder/lumivane/lumivane_prop_values.h"

namespace databuilder {

template <class T> T* UnitPrototype(const char* name) {
    auto* entity = new T;
    entity->SetName(name);
    entity->AddRef();
    return entity;
}

// What every unit prototype starts from before its own values: it is drawn
// at its own size however far the camera stands. Grown with distance, small
// craft would be drawn many times the size their hulls keep apart by, and
// ships side by side would seem to pass through one another.
void UnitDefaults(PropValues& values);

// A TransNode named `name` at `at` of its parent.
lumivane::TransNode* MakeMount(const std::string& name, lumivane::Vec3 at);

struct UnitWriter {
    std::filesystem::path root; // LumivaneData
    const char* step;
    std::vector<std::string> names;
    bool ok = true;

    // Saves "models\<name>.vrn" and "properties\<name>.prp" with the
    // values `tune` sets, then lets go of the prototype.
    void Write(lumivane::Entity* entity, const std::function<void(PropValues&)>& tune);
    // Every prototype written loads back through the model library.
    bool CheckLibrary() const;
};

// Makes the "models" and "properties" folders below the root.
bool MakeUnitFolders(const std::filesystem::path& root, const char* step);

} // namespace databuilder
