// The tree passes of the plain Node: animation of its own channels, pushing
// a transformation down, and collapsing nodes that do nothing.
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/channel.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/node.h"
#include "desktop/scene/object/sequencer.h"

namespace lumivane {

void Node::Animate(Entity* entity) {
    if (!channels) return;
    for (int i = 0; i < channels->count; ++i) {
        Channel* channel = channels->channels[i];
        // Frame channels move matrices; the entity applies those itself.
        if (IsA(channel, ClassId::FrameChannel)) continue;
        float time = -1.0f;
        if (entity && entity->sequencer)
            time = entity->sequencer->GetChannelTime(entity->sequenceStates, channel);
        channel->Apply(this, channels->states[i], time);
    }
}

void Node::TransformChildren(const TransformState& state) {
    for (Node* child : children)
        child->Transform(state);
}

void Node::Transform(TransformState state) {
    TransformChildren(state);
}

Node* Node::Collapse(Node* newParent, Node* after) {
    CollapseChildren();
    if (!newParent) return this;
    // Hand the children to the parent, each directly behind `after` (or
    // behind this node), so they end up there in reverse order.
    Node* anchor = after ? after : this;
    for (Node* child : children)
        newParent->InsertChildAfter(anchor, child);
    RemoveAllChildren();
    return nullptr;
}

} // namespace lumivane
