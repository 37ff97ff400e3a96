// Ship: the base of every unit a player owns (ships, structures, weapons).
// What stands here is what the entities and the world ask of a unit before
// the unit classes are written: its class number, the ship properties they
// read ("race", "target for enemies", "top speed", "task: move"; the block
// continues the Entity block at byte 841) and the states they test (fading
// out, leading a formation, the class's announcement when attacked). The
// record is the Entity record until the ship's own fields join it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"

namespace lumivane {

const PropDesc* ShipPropDescs();

struct ShipPropFields {
    size_t race, targetForEnemies, topSpeed, taskMove;
};
const ShipPropFields& ShipFields();

class Ship : public Entity {
public:
    Ship();
    // Leaves the unit lists of the players while it is still a ship.
    ~Ship() override;
    Node* Clone() override;
    const PropDesc* GetPropDescs() const override;

    // 1 human, 2 and 3 the other races: explosions and damage effects.
    int32_t Race() const;
    bool TargetForEnemies() const;
    float TopSpeed() const;
    // Obeys move orders (and bounces off what it hits).
    bool CanMove() const;

    bool IsFadingOut() const { return fadeFlag != 0; }
    // Leads its squad with its formation-slot flag set.
    virtual bool LeadsFormation() const { return false; }
    // The announcement of its unit class when it is attacked; -1 for none.
    virtual int32_t DamageAnnouncement() const { return -1; }

    int32_t fadeFlag = 0;

protected:
    Ship(const Ship& other) = default;
};

// The entity as a ship, or null.
inline Ship* AsShip(Entity* entity) {
    return IsA(entity, ClassId::Ship) ? static_cast<Ship*>(entity) : nullptr;
}
inline const Ship* AsShip(const Entity* entity) {
    return IsA(entity, ClassId::Ship) ? static_cast<const Ship*>(entity) : nullptr;
}

} // namespace lumivane
