// Debris: the entity kind here that keeps fields of its own.
#include "desktop/scene/entity/entity_kinds.h"

namespace lumivane {

Debris::Debris() {
    classId = uint8_t(ClassId::Debris);
}

Node* Debris::Clone() {
    auto* copy = new Debris(*this);
    copy->InitClone(this);
    return copy;
}

} // namespace lumivane
