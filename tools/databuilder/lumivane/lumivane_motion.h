// Named sequences for Lumivane's unit models, built in code: each sequence
// takes one second of the time line, and in it every node it moves slides
// from one pose to another. A sequence with no motion still exists, for
// the code that plays it by name.
#pragma once

#include <vector>

#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/object/trans_node.h"

namespace databuilder {

struct NodeMotion {
    const char* sequence;
    lumivane::FrameAnim* node = nullptr; // null: the sequence moves nothing
    lumivane::Matrix from;
    lumivane::Matrix to;
};

// A FrameAnim named `name` at `at` of its parent.
lumivane::FrameAnim* MakeMovingMount(const char* name, lumivane::Vec3 at);

// The sequencer of the motions, in the order their sequences first appear;
// every sequence is a group of its own, so one never stops another.
lumivane::Sequencer* BuildSequences(const std::vector<NodeMotion>& motions);

// A pose: the rotation of `angle` about `axis`, then the move to `at`.
lumivane::Matrix Pose(lumivane::Vec3 at, lumivane::Vec3 axis = {0, 1, 0}, float angle = 0.0f);

} // namespace databuilder
