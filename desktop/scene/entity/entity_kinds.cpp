// Cloning of the entity kinds that keep fields of their own.
#include "desktop/scene/entity/entity_kinds.h"

namespace lumivane {

Node* PartSys::Clone() {
    auto* copy = new PartSys(*this);
    copy->InitClone(this);
    return copy;
}

Debris::Debris() {
    classId = uint8_t(ClassId::Debris);
}

Node* Debris::Clone() {
    auto* copy = new Debris(*this);
    copy->InitClone(this);
    return copy;
}

} // namespace lumivane
