// FrameChannel: a TransNode's local matrix over time, in frames of 1/30 s.
// Each matrix key holds for its duration in frames; a negative duration -d
// moves linearly to the next key's matrix over d frames.
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/scene/object/channel.h"
#include "desktop/scene/object/matrix.h"

namespace lumivane {

class FrameChannel : public Channel {
public:
    FrameChannel();

    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void Apply(Node* node, ChannelState& state, float time) override;
    // Keys beginning before firstFrame merge into the first key; keys past
    // the one holding lastFrame, plus one, are dropped.
    void ResizeKeys(int firstFrame, int lastFrame) override;

    // Sampled animation (one key a frame) becomes linear pieces of up to six
    // frames; a piece never runs across a kept frame, so every kept frame
    // still begins a key.
    void ReduceKeys(const std::vector<int>& keptFrames);
    // key = key x m for every matrix key.
    void TransformKeys(const Matrix& m);

    void AddKey(const Matrix& matrix, int32_t duration);
    std::vector<Matrix> matrices;
    std::vector<int32_t> durations;
};

} // namespace lumivane
