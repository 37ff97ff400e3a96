// The shared model writer of the Lumivane unit steps.
#include "tools/databuilder/lumivane_model_writer.h"

#include <cmath>
#include <cstdio>

#include "desktop/scene/entity/prop_file.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/world/model_library.h"

namespace databuilder {

using namespace lumivane;

TransNode* MountAt(const std::string& name, Vec3 at, float yaw) {
    auto* node = new TransNode;
    node->SetName(name);
    node->local.MakeRotation(0.0f, std::sin(0.5f * yaw), 0.0f, std::cos(0.5f * yaw));
    Matrix shift;
    shift.MakeTranslation(at.x, at.y, at.z);
    node->local.PostMultiply(shift);
    return node;
}

void ModelWriter::Write(Entity* entity, const std::function<void(PropValues&)>& tune) {
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

bool ModelWriter::CheckLibrary() const {
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
