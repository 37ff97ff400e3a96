// Ship: its class number and the ship properties read so far.
#include "desktop/scene/entity/ship.h"

#include <cstdlib>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/world/player.h"

namespace lumivane {

namespace {

std::vector<PropDesc> BuildShipTable() {
    PropTableBuilder b;
    b.Value("race", PropType::Integer, 0, 3, 0);
    b.Flag("target for enemies", true);
    b.Value("top speed", PropType::Float, 0, 2, 1.0f);
    b.Flag("task: move", true);
    return b.End("Ship", EntityPropDescs());
}

size_t Offset(const char* name) {
    size_t cursor = 0;
    if (!PropDesc::Find(ShipPropDescs(), name, cursor)) std::abort(); // the table names it
    return cursor;
}

} // namespace

const PropDesc* ShipPropDescs() {
    static const std::vector<PropDesc> table = BuildShipTable();
    return table.data();
}

const ShipPropFields& ShipFields() {
    static const ShipPropFields fields{Offset("race"), Offset("target for enemies"),
                                       Offset("top speed"), Offset("task: move")};
    return fields;
}

Ship::Ship() {
    classId = uint8_t(ClassId::Ship);
}

Ship::~Ship() {
    for (Player* player : GetPlayers().players)
        if (player) player->RemoveUnit(this, false);
}

Node* Ship::Clone() {
    Ship* copy = new Ship(*this);
    copy->InitClone(this);
    return copy;
}

const PropDesc* Ship::GetPropDescs() const {
    return ShipPropDescs();
}

// A ship whose block is not a ship block (made before its class was known)
// reads the defaults.
static bool HasShipBlock(const Entity& ship) {
    if (!ship.props) return false;
    for (const PropDesc* t = ship.props->Table(); t; t = PropDesc::BaseTable(t))
        if (t == ShipPropDescs()) return true;
    return false;
}

int32_t Ship::Race() const {
    return HasShipBlock(*this) ? props->Int(ShipFields().race) : 0;
}

bool Ship::TargetForEnemies() const {
    return HasShipBlock(*this) ? props->Flag(ShipFields().targetForEnemies) : true;
}

float Ship::TopSpeed() const {
    return HasShipBlock(*this) ? props->Float(ShipFields().topSpeed) : 1.0f;
}

bool Ship::CanMove() const {
    return HasShipBlock(*this) ? props->Flag(ShipFields().taskMove) : true;
}

} // namespace lumivane
