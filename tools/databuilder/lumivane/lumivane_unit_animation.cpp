// Unit model sequences built in code: one frame channel per animated node.
#include "tools/databuilder/lumivane/lumivane_unit_animation.h"

#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/vec3.h"

namespace databuilder {

using namespace lumivane;

namespace {

constexpr float kFramesPerSecond = 30.0f;
// Holds between moves (and the last key) last two frames: a one-frame key
// would be read back as a one-frame slide and save differently.
constexpr int kGapFrames = 2;

} // namespace

Matrix Translation(float x, float y, float z) {
    Matrix m;
    m.MakeTranslation(x, y, z);
    return m;
}

Matrix TurnAt(float ax, float ay, float az, float angle, float x, float y, float z) {
    Matrix m;
    m.MakeRotation(Quat::MakeAxisAngle({ax, ay, az}, angle));
    m.PostMultiply(Translation(x, y, z));
    return m;
}

void UnitAnimation::Animate(FrameAnim* node, const std::vector<NodeMove>& moves) {
    if (moves.empty()) return;
    auto* channel = new FrameChannel;
    Pending entry{channel, {}};
    const int32_t group = int32_t(pending.size());
    int at = 0; // frames already covered by the channel's keys
    Matrix last = moves.front().from;
    for (const NodeMove& move : moves) {
        const int start = cursor;
        if (start > at) channel->AddKey(move.from, start - at);
        channel->AddKey(move.from, -move.frames);
        int end = start + move.frames;
        last = move.to;
        if (move.back) {
            channel->AddKey(move.to, -move.frames);
            end += move.frames;
            last = move.from;
        }
        entry.sequences.push_back({move.sequence,
                                   group,
                                   float(start) / kFramesPerSecond,
                                   float(end) / kFramesPerSecond,
                                   {}});
        at = end;
        cursor = end + kGapFrames;
    }
    channel->AddKey(last, kGapFrames);
    node->AddChannel(channel);
    pending.push_back(std::move(entry));
}

Sequencer* UnitAnimation::Finish() {
    if (pending.empty()) return nullptr;
    auto* sequencer = new Sequencer;
    for (const Pending& entry : pending)
        sequencer->AddChannel(entry.channel);
    for (size_t i = 0; i < pending.size(); ++i)
        for (Sequence sequence : pending[i].sequences) {
            sequence.channelUse.assign(pending.size(), 0);
            sequence.channelUse[i] = 1;
            sequencer->AddSequence(std::move(sequence));
        }
    pending.clear();
    return sequencer;
}

} // namespace databuilder
