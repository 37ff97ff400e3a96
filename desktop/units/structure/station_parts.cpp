// The connector's forwarded damage and the placement ghost's handle band.
#include "desktop/units/structure/station_parts.h"

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

Node* Connector::Clone() {
    auto* copy = new Connector(*this);
    copy->InitClone(this);
    return copy;
}

int Connector::TakeDamage(float amount) {
    const World* world = GetWorld();
    if (Entity* carrier = world ? world->GetEntity(ownerHandle) : nullptr)
        return carrier->TakeDamage(amount);
    return Entity::TakeDamage(amount);
}

Node* StructPlacer::Clone() {
    auto* copy = new StructPlacer(*this);
    copy->InitClone(this);
    return copy;
}

void StructPlacer::InitClone(Node* source) {
    handle = kWantHighHandle;
    Entity::InitClone(source);
}

} // namespace lumivane
