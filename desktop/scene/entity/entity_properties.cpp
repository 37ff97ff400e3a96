// Entity: its property block, the ".prp" file and the fields derived from it.
#include "desktop/scene/entity/entity.h"

#include <cmath>

#include "desktop/scene/entity/prop_file.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"
#include "platform/binary_io.h"
#include "platform/paths.h"

namespace lumivane {

const PropDesc* Entity::GetPropDescs() const {
    return EntityPropDescs();
}

void Entity::CreateProps() {
    props = std::make_shared<PropBlock>(GetPropDescs());
    ownsPropertyBlock = 1;
}

size_t Entity::GetPropsSize() const {
    return PropDesc::BlockSize(GetPropDescs());
}

void Entity::LoadProps(platform::BinaryReader* file) {
    if (!props) CreateProps();
    if (file) {
        ReadPropRecords(*file, *props);
    } else {
        const std::string name = "properties\\" + std::string(Name()) + ".prp";
        if (auto path = platform::ResolvePath(GetModelLoadState().dataRoot, name)) {
            platform::FileReader reader;
            // What came before the damage stays applied; the file is named
            // as every other damaged file is.
            if (reader.Open(*path) && ReadPropRecords(reader, *props).damaged)
                ReportWarning(kEntryBadFile, name);
        }
    }
    PropChanged(kAllProps);
}

void Entity::PropChanged(int32_t field) {
    if (!props) return;
    const bool all = field == kAllProps;
    for (const SoundSlotFields& slot : EntityFields().sound) {
        if (!all && field != int32_t(slot.file)) continue;
        std::string_view file = props->OwnedText(slot.file);
        int32_t id = -1;
        if (SoundCues* cues = GetSoundCues(); cues && !file.empty())
            id = cues->RegisterSound(file, 0, Name());
        props->Set<int32_t>(slot.soundId, id);
    }
    ApplyProps(field);
    World* world = GetWorld();
    if (!world) return;
    for (int i = 0; i < world->EntityCount(); ++i)
        if (Entity* clone = world->EntityAt(i); clone && clone->Prototype() == this)
            clone->ApplyProps(field);
    // Clones made this frame are not in the root yet but are live all the same.
    for (Entity* clone : world->JoinList())
        if (clone->Prototype() == this) clone->ApplyProps(field);
}

void Entity::ApplyProps(int32_t field) {
    if (!props) return;
    const EntityPropFields& f = EntityFields();
    const bool all = field == kAllProps;
    auto changed = [&](size_t offset) { return all || field == int32_t(offset); };

    if (changed(f.visible)) visible = props->Flag(f.visible) ? 1 : 0;
    if (changed(f.healthMax)) health = props->Float(f.healthMax) * healthScale;
    if (changed(f.scale)) {
        sizeFactor = props->Float(f.scale) * scale;
        radius = sizeFactor * boundRadius;
    }
    if (changed(f.mass)) mass = props->Float(f.mass) * massScale;
    if (changed(f.canCollide)) canCollide = props->Flag(f.canCollide) ? 1 : 0;
    if (changed(f.massive) && Prototype()) {
        if (World* world = GetWorld()) {
            if (props->Flag(f.massive))
                world->AddGravitySource(this);
            else
                world->RemoveGravitySource(this);
        }
    }
    for (size_t offset : f.particleSystem)
        if (changed(offset)) firstFrameDone = 0;
    for (int s = 0; s < kSoundSlots; ++s)
        if (changed(f.sound[s].function)) {
            soundSlots[s].soundId = -1;
            soundSlots[s].loop = 1;
        }
    if (changed(f.hasHalo)) haloFlags[0] = haloFlags[1] = props->Flag(f.hasHalo) ? 1 : 0;
}

int64_t Entity::FindProp(std::string_view name, PropType* type) const {
    if (!props) return -1;
    size_t offset = 0;
    const PropDesc* desc = PropDesc::Find(props->Table(), name, offset);
    if (!desc) return -1;
    if (type) *type = desc->type;
    return int64_t(offset);
}

bool Entity::PropFlag(std::string_view name) const {
    return PropInt(name) != 0;
}

int32_t Entity::PropInt(std::string_view name) const {
    PropType type;
    const int64_t offset = FindProp(name, &type);
    if (offset < 0) return 0;
    switch (type) {
    case PropType::Flag:
        return props->Flag(size_t(offset)) ? 1 : 0;
    case PropType::Integer:
    case PropType::Choice:
    case PropType::Colour:
        return props->Int(size_t(offset));
    case PropType::Float:
    case PropType::Distance:
    case PropType::Time:
    case PropType::Angle: {
        const float value = props->Float(size_t(offset));
        return std::isfinite(value) && std::fabs(value) < 2e9f ? int32_t(value) : 0;
    }
    default:
        return 0;
    }
}

float Entity::PropFloat(std::string_view name) const {
    PropType type;
    const int64_t offset = FindProp(name, &type);
    if (offset < 0) return 0.0f;
    switch (type) {
    case PropType::Float:
    case PropType::Distance:
    case PropType::Time:
    case PropType::Angle:
        return props->Float(size_t(offset));
    default:
        return float(PropInt(name));
    }
}

} // namespace lumivane
