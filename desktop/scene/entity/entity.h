// Entity: the scene object everything in the world derives from (bodies,
// lights, particle systems, ships and weapons). This is the part the node
// family and object files rely on: the animation sequencer shared with the
// prototype, the entity's own play state per sequence, and the per-node hook
// the renderer calls while preparing a node's vertices. Physics, health,
// links, properties and the entity's record come with the world.
#pragma once

#include <vector>

#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/object/trans_node.h"

namespace lumivane {

class GeoNode;
struct Vertex;

class Entity : public TransNode {
public:
    Entity();
    ~Entity() override;

    // The entity's record is not readable yet: a file holding one is refused.
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;

    // Called with each GeoNode of the entity and the vertices being prepared.
    virtual void NodeCallback(GeoNode* node, Vertex* vertices);

    // Holds a reference; the states start over, one per sequence.
    void SetSequencer(Sequencer* shared);

    Sequencer* sequencer = nullptr;
    std::vector<SequenceState> sequenceStates;

protected:
    Entity(const Entity& other);
};

} // namespace lumivane
