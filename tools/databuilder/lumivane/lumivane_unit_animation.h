// Building the named sequences of a Lumivane unit model in code: each
// animated node gets one frame channel holding its moves one after the
// other on the model's time line, and each move becomes a named sequence
// over its stretch of that line. A move that swings back ends where it
// began (a gun's recoil, a door that opens and shuts); one that does not
// leaves the node at its new pose (wings folding out, then in).
#pragma once

#include <string>
#include <vector>

#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/object/trans_node.h"

namespace databuilder {

struct NodeMove {
    std::string sequence;
    lumivane::Matrix from, to;
    int frames;        // 1/30 s each way
    bool back = false; // swings back to `from` over as many frames again
};

class UnitAnimation {
public:
    // The node's channel plays `moves` in order; the node's sequences share
    // a group, so starting one stops the others of that node.
    void Animate(lumivane::FrameAnim* node, const std::vector<NodeMove>& moves);
    // The model's sequencer (null when nothing was animated).
    lumivane::Sequencer* Finish();

private:
    struct Pending {
        lumivane::Channel* channel;
        std::vector<lumivane::Sequence> sequences;
    };
    std::vector<Pending> pending;
    int cursor = 2; // the next free frame of the time line
};

// Plain matrices for the moves.
lumivane::Matrix Translation(float x, float y, float z);
// A turn of `angle` about a unit axis, then the move to `at`.
lumivane::Matrix TurnAt(float ax, float ay, float az, float angle, float x, float y, float z);

} // namespace databuilder
