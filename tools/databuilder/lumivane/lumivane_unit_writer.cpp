// Writing Lumivane's unit prototypes and reading them back.
#include "tools/databuilder/lumivane/lumivane_unit_writer.h"

#include <cstdio>

#include "desktop/scene/entity/prop_file.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/world/model_library.h"

namespace databuilder {

void UnitDefaults(PropValues& values) {
    values.Set("scale fudge", 0);
}

lumivane::TransNode* MakeMount(const std::string& name, lumivane::Vec3 at) {
    auto* node = new lumivane::TransNode;
    node->SetName(name);
    node->local.MakeTranslation(at.x, at.y, at.z);
    return node;
}

void UnitWriter::Write(lumivane::Entity* entity, const std::function<void(PropValues&)>& tune) {
    entity->CreateProps();
    PropValues values{*entity->props};
    UnitDefaults(values);
    tune(values);
    entity->RecomputeBound();
    const std::string name(entity->Name());
    std::string error;
    const bool written =
        lumivane::SaveObjectFile(root / "models" / (name + ".vrn"), entity, &error) &&
        lumivane::SavePropFile(root / "properties" / (name + ".prp"), *entity->props, &error);
    if (!written) std::fprintf(stderr, "%s: %s\n", step, error.c_str());
    ok = ok && written;
    names.push_back(name);
    entity->Release();
}

bool UnitWriter::CheckLibrary() const {
    lumivane::ModelLibrary library;
    if (!library.LoadAll(root)) return false;
    for (const std::string& name : names)
        if (!library.FindPrototype(name)) {
            std::fprintf(stderr, "%s: %s did not load back\n", step, name.c_str());
            return false;
        }
    return true;
}

bool MakeUnitFolders(const std::filesystem::path& root, const char* step) {
    std::error_code error;
    for (const char* folder : {"models", "properties"})
        std::filesystem::create_directories(root / folder, error);
    if (error) std::fprintf(stderr, "%s: %s\n", step, error.message().c_str());
    return !error;
}

} // namespace databuilder
