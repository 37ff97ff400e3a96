// The plain structure kinds of a station: the Connector piece that joins a
// structure to its site (it passes damage on to what it is attached to and
// is never drawn larger with distance), and the Drydock, Hangar and Hub,
// which behave as any Structure; construction, departure, docking and the
// removal rules tell them apart by their class.
#pragma once

#include "desktop/units/structure/structure.h"

namespace lumivane {

class Connector : public Structure {
public:
    Connector() { classId = uint8_t(ClassId::Connector); }
    Node* Clone() override;
    float GetDistanceScale() const override { return 1.0f; }
    // The entity it is attached to takes the damage; without one, itself.
    int TakeDamage(float amount) override;

protected:
    Connector(const Connector& other) = default;
};

// A structure kind with no behaviour of its own.
template <ClassId Kind> class StructureKind : public Structure {
public:
    StructureKind() { classId = uint8_t(Kind); }
    Node* Clone() override {
        auto* copy = new StructureKind(*this);
        copy->InitClone(this);
        return copy;
    }

protected:
    StructureKind(const StructureKind& other) = default;
};

using Drydock = StructureKind<ClassId::Drydock>;
using Hangar = StructureKind<ClassId::Hangar>;
using Hub = StructureKind<ClassId::Hub>;

// The placement ghost shown while the user picks where a structure goes;
// it lives in the world's second handle band so it never takes a unit's
// slot.
class StructPlacer : public Entity {
public:
    StructPlacer() { classId = uint8_t(ClassId::StructPlacer); }
    Node* Clone() override;
    void InitClone(Node* source) override;

protected:
    StructPlacer(const StructPlacer& other) = default;
};

} // namespace lumivane
