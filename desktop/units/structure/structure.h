// Structure: the base of station parts and fixed installations. A Ship
// that breaks up when it is left unattached (unless it may survive alone),
// explodes with a shock wave, orbits like a station without steering by
// thrust, and turns slowly about the vertical.
#pragma once

#include <cstddef>

#include "desktop/scene/entity/prop_desc.h"
#include "desktop/units/ship_base/ship.h"

namespace lumivane {

// The Structure table (ends with "Structure", base table Ship's).
const PropDesc* StructurePropDescs();

struct StructurePropFields {
    size_t surviveUnlinked, rotationalSpeed;
};
const StructurePropFields& StructureFields();

class Structure : public Ship {
public:
    Structure();
    Node* Clone() override;
    const PropDesc* GetPropDescs() const override;
    // Unattached, without "Survive unlinked" and nothing holding it, it
    // breaks up.
    void Update() override;
    // A "shock1" wave, then the explosion and the debris.
    Entity* Explode() override;
    void Stop() override {}
    // Orbits its target (levelled and turning when it stands alone); an
    // attached structure rides its parent.
    void UpdateFollow() override;
    // Turns about its up axis toward `rate` radians per second.
    void Spin(float rate);

    bool SurvivesUnlinked() const;
    float RotationalSpeed() const;

protected:
    Structure(const Structure& other) = default;
    bool HasParent() const;
};

} // namespace lumivane
