// Entity kinds with little or no behaviour of their own (nebulae, structure
// placeholders, debris), particle systems as far as the entities and the
// world use them, and the headers of the scenery bodies and lights.
#pragma once

#include <cstdint>

#include "desktop/scene/entity/celestial_bodies.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/light.h"
#include "desktop/scene/object/class_table.h"

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
using StructPlacer = PlainEntity<uint8_t(ClassId::StructPlacer)>;

// Reading the record of a class not written yet is refused.
template <uint8_t Number> class PendingEntity : public Entity {
public:
    PendingEntity() { classId = Number; }
    bool Load(platform::BinaryReader&, ObjectTable&, uint32_t) override { return false; }

protected:
    PendingEntity(const PendingEntity& other) = default;
};

class PartSys : public PendingEntity<uint8_t(ClassId::PartSys)> {
public:
    PartSys() = default;
    Node* Clone() override;

    uint8_t propertyPart = 1;     // spawned from the properties; replaced on the first frame
    uint8_t runsWithoutOwner = 1; // keeps emitting once its link target is gone
    uint8_t finish = 0;           // stops emitting
    float fadeFactor = 1.0f;
    float timeFactor = 1.0f; // the relativistic slowing it was told
    float opacity = 1.0f;    // of its emitters
    uint32_t particleStartTime = 0;
    Vec3 tint{1.0f, 1.0f, 1.0f}; // a colour a scene's marker gives it

protected:
    PartSys(const PartSys& other) = default;
};

// A piece of a destroyed model: tumbles for its life, then bursts.
class Debris : public Entity {
public:
    Debris();
    Node* Clone() override;

    float remainingLife = 0.0f; // seconds
    int32_t colourCode = 0;     // 2 red, 3 blue, else yellow

protected:
    Debris(const Debris& other) = default;
};

inline PartSys* AsPartSys(Entity* entity) {
    return IsA(entity, ClassId::PartSys) ? static_cast<PartSys*>(entity) : nullptr;
}

} // namespace lumivane
