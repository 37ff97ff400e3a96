// Building the named sequences of Lumivane's unit models.
#include "tools/databuilder/lumivane/lumivane_motion.h"

#include <algorithm>
#include <string>

#include "desktop/scene/object/frame_channel.h"
#include "desktop/units/ship_base/node_pose.h"

namespace databuilder {

namespace {

constexpr int32_t kFramesPerSequence = 30;

} // namespace

lumivane::FrameAnim* MakeMovingMount(const char* name, lumivane::Vec3 at) {
    auto* node = new lumivane::FrameAnim;
    node->SetName(name);
    node->local.MakeTranslation(at.x, at.y, at.z);
    return node;
}

lumivane::Matrix Pose(lumivane::Vec3 at, lumivane::Vec3 axis, float angle) {
    lumivane::Matrix pose;
    pose.MakeRotation(lumivane::AxisAngle(axis, angle));
    pose.m[12] = at.x;
    pose.m[13] = at.y;
    pose.m[14] = at.z;
    return pose;
}

lumivane::Sequencer* BuildSequences(const std::vector<NodeMotion>& motions) {
    std::vector<std::string> names;
    std::vector<lumivane::FrameAnim*> nodes;
    for (const NodeMotion& m : motions) {
        if (std::find(names.begin(), names.end(), m.sequence) == names.end())
            names.emplace_back(m.sequence);
        if (m.node && std::find(nodes.begin(), nodes.end(), m.node) == nodes.end())
            nodes.push_back(m.node);
    }
    auto moves = [&](const std::string& name, const lumivane::FrameAnim* node) {
        return std::find_if(motions.begin(), motions.end(), [&](const NodeMotion& m) {
            return m.node == node && name == m.sequence;
        });
    };
    auto* sequencer = new lumivane::Sequencer;
    for (lumivane::FrameAnim* node : nodes) {
        auto* channel = new lumivane::FrameChannel;
        for (const std::string& name : names) {
            const auto motion = moves(name, node);
            if (motion == motions.end()) {
                channel->AddKey(node->local, kFramesPerSequence);
                continue;
            }
            // The slide ends on the last frame of the sequence; the frame
            // after it leads on to the next sequence's first key (a one-frame
            // hold and a one-frame move are the same thing, and files keep
            // the move).
            channel->AddKey(motion->from, -(kFramesPerSequence - 1));
            channel->AddKey(motion->to, -1);
        }
        node->AddChannel(channel);
        sequencer->AddChannel(channel);
    }
    for (size_t k = 0; k < names.size(); ++k) {
        lumivane::Sequence sequence;
        sequence.name = names[k];
        sequence.group = int32_t(k);
        sequence.start = float(k);
        // The last frame of the slide: the next begins the following sequence.
        sequence.end = float(k) + float(kFramesPerSequence - 1) / float(kFramesPerSequence);
        for (lumivane::FrameAnim* node : nodes)
            sequence.channelUse.push_back(moves(names[k], node) != motions.end() ? 1 : 0);
        sequencer->AddSequence(sequence);
    }
    return sequencer;
}

} // namespace databuilder
