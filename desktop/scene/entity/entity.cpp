// Entity: the sequencer it shares with its prototype and its play states.
#include "desktop/scene/entity/entity.h"

#include "desktop/scene/object/class_table.h"

namespace lumivane {

Entity::Entity() {
    classId = uint8_t(ClassId::Entity);
}

Entity::Entity(const Entity& other)
    : TransNode(other), sequencer(other.sequencer), sequenceStates(other.sequenceStates) {
    if (sequencer) sequencer->AddRef();
}

Entity::~Entity() {
    if (sequencer) sequencer->Release();
}

bool Entity::Load(platform::BinaryReader&, ObjectTable&, uint32_t) {
    return false;
}

Node* Entity::Clone() {
    Entity* copy = new Entity(*this);
    copy->InitClone(this);
    return copy;
}

void Entity::NodeCallback(GeoNode*, Vertex*) {}

void Entity::SetSequencer(Sequencer* shared) {
    if (shared) shared->AddRef();
    if (sequencer) sequencer->Release();
    sequencer = shared;
    sequenceStates = sequencer ? sequencer->CreateStates() : std::vector<SequenceState>();
}

} // namespace lumivane
