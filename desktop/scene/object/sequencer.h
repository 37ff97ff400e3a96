// Sequencer: an entity prototype's list of animation channels and its named
// sequences (time ranges such as "idle", "spawn", "on"). The sequencer is
// shared by the prototype's clones; each entity keeps one SequenceState per
// sequence, so clones play independently.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/scene/object/unknown.h"

namespace lumivane {

class Channel;

struct Sequence {
    std::string name;  // at most 63 characters
    int32_t group = 0; // playing one stops the others of its group
    float start = 0.0f;
    float end = 0.0f;                // seconds
    std::vector<int32_t> channelUse; // per sequencer channel: non-zero when driven
};

struct SequenceState {
    float time = 0.0f;
    uint32_t stamp = 0; // game clock of the last advance
    uint8_t playing = 0;
    uint8_t loop = 0;
};

class Sequencer : public Unknown {
public:
    Sequencer();
    ~Sequencer() override;
    Sequencer(const Sequencer&) = delete;

    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;

    int FindSequence(std::string_view name) const;
    void Play(std::string_view name, std::vector<SequenceState>& states, int loop) const;
    void PlayIndex(int index, std::vector<SequenceState>& states, int loop) const;
    int Stop(std::string_view name, std::vector<SequenceState>& states) const;
    int IsDone(std::string_view name, const std::vector<SequenceState>& states) const;
    // Once per frame per entity, with the scene clock's game time and step.
    void Advance(std::vector<SequenceState>& states) const;
    float GetChannelTime(const std::vector<SequenceState>& states, const Channel* channel) const;
    // One state per sequence, not playing, at time 0.
    std::vector<SequenceState> CreateStates() const;

    // Shrinks the sampled keys of every frame channel; a piece never runs
    // across a sequence's first frame, the frame before it or its last.
    void ReduceFrameChannelKeys();

    // Building in code. AddChannel holds a reference.
    void AddChannel(Channel* channel);
    // channelUse is sized to the channel count (missing entries 0).
    void AddSequence(Sequence sequence);

    int ChannelCount() const { return int(channels.size()); }
    Channel* ChannelAt(int index) const { return channels[size_t(index)]; }
    int SequenceCount() const { return int(sequences.size()); }
    const Sequence& SequenceAt(int index) const { return sequences[size_t(index)]; }

    int32_t reserved = 0; // stored, unused

private:
    std::vector<Channel*> channels;
    std::vector<Sequence> sequences;
};

} // namespace lumivane
