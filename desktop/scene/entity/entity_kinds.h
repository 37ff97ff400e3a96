// Entity kinds with no behaviour of their own (nebulae, structure
// placeholders), and the headers of the scenery bodies, lights, particle
// systems and debris that the entity base and the world use.
#pragma once

#include <cstdint>

#include "desktop/scene/entity/celestial_bodies.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/light.h"
#include "desktop/scene/entity/part_sys.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/entity/debris.h"

namespace lumivane {

// A body with no fields of its own: its record is the Entity record.
template <uint8_t Number> class PlainEntity : public Entity {
public:
    PlainEntity() { classId = Number; }
    Node* Clone() override {
        auto* copy = new PlainEntity(*this);
        copy->InitClone(this);
        return copy;
    }

protected:
    PlainEntity(const PlainEntity& other) = default;
};

using Nebulae = PlainEntity<uint8_t(ClassId::Nebulae)>;

} // namespace lumivane
