// Writing Lumivane unit prototypes for the data builder's unit steps: each
// prototype is saved through the unit's own Save into "models\<name>.vrn"
// with its property file "properties\<name>.prp", its values set by name
// first; afterwards the folder is read back through the model library to
// prove every written prototype loads.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tools/databuilder/lumivane_prop_values.h"

namespace lumivane {
class Entity;
class Sequencer;
} // namespace lumivane

namespace databuilder {

class UnitModelWriter {
public:
    // Makes the "models" and "properties" folders below `root`; `step`
    // names the step in messages. Check Ready() before writing.
    UnitModelWriter(std::filesystem::path root, const char* step);

    bool Ready() const { return ok; }
    // Takes the prototype (one reference), gives it `sequences` when there
    // are any, sets its values, writes both files and releases it.
    void Write(lumivane::Entity* entity, const std::function<void(PropValues&)>& tune,
               lumivane::Sequencer* sequences = nullptr);
    // Everything written was written, and loads back from the folder.
    bool Finish() const;

private:
    std::filesystem::path root;
    const char* step;
    std::vector<std::string> names;
    bool ok = true;
};

} // namespace databuilder
