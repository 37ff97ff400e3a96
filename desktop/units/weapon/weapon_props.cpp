// The Weapon property table and the offsets of its values.
#include "desktop/units/weapon/weapon_props.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "desktop/units/ship_base/ship_props.h"

namespace lumivane {

namespace {

using T = PropType;

std::vector<PropDesc> BuildWeaponTable() {
    PropTableBuilder b;
    b.Value("lifespan", T::Float, 0, 60, 1.0f); // seconds
    b.Value("speed", T::Float, 0, 1, 0.05f);
    b.Value("damage", T::Float, 0, 100, 1.0f);
    b.Flag("die on impact", true);
    b.Text("impact type", T::Name, "smallexplosion");
    b.Value("impact scale", T::Float, 0, 10, 1.0f);
    return b.End("Weapon", ShipPropDescs());
}

size_t Offset(const std::string& name) {
    size_t cursor = 0;
    if (!PropDesc::Find(WeaponPropDescs(), name, cursor)) std::abort(); // the table names it
    return cursor;
}

} // namespace

const PropDesc* WeaponPropDescs() {
    static const std::vector<PropDesc> table = BuildWeaponTable();
    return table.data();
}

const WeaponPropFields& WeaponFields() {
    static const WeaponPropFields fields{Offset("lifespan"),    Offset("speed"),
                                         Offset("damage"),      Offset("die on impact"),
                                         Offset("impact type"), Offset("impact scale")};
    return fields;
}

} // namespace lumivane
