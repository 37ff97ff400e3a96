// The classes whose behaviour and records come with later parts of the
// engine (the space unit classes). Each already
// has its number and its place in the class tree, so objects of it can be
// made, cloned and asked IsA; reading its record is refused until the class
// itself is written. Bodies whose record is the Entity record, lights and
// debris stand in entity/; the ship base is in units/.
#pragma once

#include <cstdint>

#include "desktop/scene/entity/celestial.h"
#include "desktop/scene/entity/collection.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/entity/lens_flare.h"
#include "desktop/scene/entity/part_node.h"
#include "desktop/units/ship/ship.h"
#include "desktop/scene/entity/wormhole.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/unknown.h"
#include "desktop/units/deployable/deployables.h"
#include "desktop/units/pilot/pilot.h"
#include "desktop/units/pod/pod_bay.h"
#include "desktop/units/pod/utility_pod.h"
#include "desktop/units/ships/ship_classes.h"
#include "desktop/units/structure/hubble_scope.h"
#include "desktop/units/structure/station_parts.h"
#include "desktop/units/structure/structure.h"
#include "desktop/units/structure/turrets.h"
#include "desktop/units/tug/tow_cable.h"
#include "desktop/units/tug/tug.h"
#include "desktop/units/weapon/projectiles.h"
#include "desktop/units/weapon/weapon.h"

namespace lumivane {

template <uint8_t Number, class Base> class PlaceholderNode : public Base {
public:
    PlaceholderNode() { this->classId = Number; }
    bool Load(platform::BinaryReader&, ObjectTable&, uint32_t) override { return false; }
    Node* Clone() override {
        auto* copy = new PlaceholderNode(*this);
        copy->InitClone(this);
        return copy;
    }

protected:
    PlaceholderNode(const PlaceholderNode& other) = default;
};

template <uint8_t Number> class PlaceholderObject : public Unknown {
public:
    PlaceholderObject() { classId = Number; }
    bool Load(platform::BinaryReader&, ObjectTable&, uint32_t) override { return false; }
};

using Cruiser = PlaceholderNode<12, Ship>;
using Carrier = PlaceholderNode<30, Ship>;
using ATR = PlaceholderNode<65, Ship>;
using PatrolBoat = PlaceholderNode<75, Ship>;
using CarrierFighter = PlaceholderNode<79, Ship>;
using SpaceMarine = PlaceholderNode<80, Ship>;
using PerimeterStation = PlaceholderNode<109, Ship>;
using CapitolShip = PlaceholderNode<116, Ship>;

} // namespace lumivane
