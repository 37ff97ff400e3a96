// Unit prototypes written through their own Save, then read back.
#include "tools/databuilder/lumivane_unit_writer.h"

#include <cstdio>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/prop_file.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/world/model_library.h"

namespace databuilder {

using namespace lumivane;

UnitModelWriter::UnitModelWriter(std::filesystem::path dataRoot, const char* stepName)
    : root(std::move(dataRoot)), step(stepName) {
    std::error_code error;
    for (const char* folder : {"models", "properties"})
        std::filesystem::create_directories(root / folder, error);
    if (error) {
        std::fprintf(stderr, "%s: %s\n", step, error.message().c_str());
        ok = false;
    }
}

void UnitModelWriter::Write(Entity* entity, const std::function<void(PropValues&)>& tune,
                            Sequencer* sequences) {
    if (sequences) entity->SetSequencer(sequences);
    entity->CreateProps();
    PropValues values{*entity->props};
    tune(values);
    entity->RecomputeBound();
    const std::string name(entity->Name());
    std::string error;
    const bool written =
        SaveObjectFile(root / "models" / (name + ".vrn"), entity, &error) &&
        SavePropFile(root / "properties" / (name + ".prp"), *entity->props, &error);
    if (!written) std::fprintf(stderr, "%s: %s\n", step, error.c_str());
    ok = ok && written;
    names.push_back(name);
    entity->Release();
}

bool UnitModelWriter::Finish() const {
    if (!ok) return false;
    ModelLibrary library;
    if (!library.LoadAll(root)) return false;
    for (const std::string& name : names)
        if (!library.FindPrototype(name)) {
            std::fprintf(stderr, "%s: %s did not load back\n", step, name.c_str());
            return false;
        }
    return true;
}

} // namespace databuilder
