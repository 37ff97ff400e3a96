// Sequencer: playing, advancing, channel times, key reduction and the record.
#include "desktop/scene/object/sequencer.h"

#include <algorithm>
#include <cmath>

#include "desktop/scene/object/channel.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/object_file.h"
#include "platform/binary_io.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

constexpr int kNameField = 64;
constexpr int kReducedSequences = 30; // sequences whose bounds reduction keeps
constexpr int kLoopWrapsBeforeModulo = 64;

} // namespace

Sequencer::Sequencer() {
    classId = uint8_t(ClassId::Sequencer);
}

Sequencer::~Sequencer() {
    for (Channel* channel : channels)
        channel->Release();
}

void Sequencer::AddChannel(Channel* channel) {
    if (!channel) return;
    channel->AddRef();
    channels.push_back(channel);
    for (Sequence& s : sequences)
        s.channelUse.resize(channels.size());
}

void Sequencer::AddSequence(Sequence sequence) {
    if (sequence.name.size() >= kNameField) sequence.name.resize(kNameField - 1);
    sequence.channelUse.resize(channels.size());
    sequences.push_back(std::move(sequence));
}

std::vector<SequenceState> Sequencer::CreateStates() const {
    return std::vector<SequenceState>(sequences.size());
}

int Sequencer::FindSequence(std::string_view name) const {
    for (size_t i = 0; i < sequences.size(); ++i)
        if (platform::EqualsIgnoreCase(sequences[i].name, name)) return int(i);
    return -1;
}

void Sequencer::Play(std::string_view name, std::vector<SequenceState>& states, int loop) const {
    PlayIndex(FindSequence(name), states, loop);
}

void Sequencer::PlayIndex(int index, std::vector<SequenceState>& states, int loop) const {
    if (index < 0 || size_t(index) >= sequences.size() || size_t(index) >= states.size()) return;
    int32_t group = sequences[size_t(index)].group;
    for (size_t i = 0; i < sequences.size() && i < states.size(); ++i)
        if (sequences[i].group == group) states[i].playing = 0;
    SequenceState& state = states[size_t(index)];
    state.loop = loop != 0 ? 1 : 0;
    state.playing = 1;
    state.time = sequences[size_t(index)].start;
}

int Sequencer::Stop(std::string_view name, std::vector<SequenceState>& states) const {
    int index = FindSequence(name);
    if (index >= 0 && size_t(index) < states.size()) states[size_t(index)].playing = 0;
    return index;
}

int Sequencer::IsDone(std::string_view name, const std::vector<SequenceState>& states) const {
    int index = FindSequence(name);
    if (index < 0 || size_t(index) >= states.size()) return 1;
    const SequenceState& state = states[size_t(index)];
    if (state.loop) return state.playing ? 0 : 1;
    return state.playing && state.time != sequences[size_t(index)].end ? 0 : 1;
}

void Sequencer::Advance(std::vector<SequenceState>& states) const {
    const SceneClock& clock = GetSceneClock();
    for (size_t i = 0; i < sequences.size() && i < states.size(); ++i) {
        SequenceState& state = states[i];
        const Sequence& sequence = sequences[i];
        if (!state.playing) {
            if (state.stamp >= clock.gameTime) state.stamp = 0;
            continue;
        }
        state.stamp = clock.gameTime;
        if (state.loop) {
            float length = sequence.end - sequence.start;
            state.time += clock.frameTime;
            if (!(length > 0.0f)) {
                // An empty range cannot wrap: hold at its start.
                if (state.time >= sequence.end) state.time = sequence.start;
                continue;
            }
            if (!std::isfinite(state.time)) state.time = sequence.start;
            // A step of many lengths wraps by remainder instead of a long loop.
            if ((state.time - sequence.end) / length > kLoopWrapsBeforeModulo)
                state.time = sequence.start + std::fmod(state.time - sequence.start, length);
            while (state.time >= sequence.end)
                state.time -= length;
        } else if (state.time == sequence.end) {
            state.playing = 0;
        } else {
            state.time = std::min(state.time + clock.frameTime, sequence.end);
        }
    }
}

float Sequencer::GetChannelTime(const std::vector<SequenceState>& states,
                                const Channel* channel) const {
    auto found = std::find(channels.begin(), channels.end(), channel);
    if (found == channels.end()) return 0.0f;
    size_t c = size_t(found - channels.begin());
    size_t count = std::min(sequences.size(), states.size());
    for (size_t i = count; i-- > 0;)
        if (states[i].playing && sequences[i].channelUse[c]) return states[i].time;
    int latest = -1;
    for (size_t i = 0; i < count; ++i) {
        if (!sequences[i].channelUse[c]) continue;
        if (latest < 0 || states[i].stamp > states[size_t(latest)].stamp) latest = int(i);
    }
    return latest >= 0 ? states[size_t(latest)].time : -1.0f;
}

void Sequencer::ReduceFrameChannelKeys() {
    std::vector<int> kept;
    for (size_t i = 0; i < sequences.size() && i < size_t(kReducedSequences); ++i) {
        auto frame = [](float seconds) {
            double f = std::trunc(double(seconds) * 30.0);
            return std::isfinite(f) ? int(std::clamp(f, -1e9, 1e9)) : 0;
        };
        int first = frame(sequences[i].start);
        kept.push_back(first - 1);
        kept.push_back(first);
        kept.push_back(frame(sequences[i].end));
    }
    for (Channel* channel : channels)
        if (channel->classId == uint8_t(ClassId::FrameChannel))
            static_cast<FrameChannel*>(channel)->ReduceKeys(kept);
}

int Sequencer::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Unknown::Save(file, table)) return 0;
    for (int i = 0; i < 8; ++i)
        file.WriteU32(0);
    file.WriteU32(uint32_t(channels.size()));
    for (Channel* channel : channels)
        channel->Save(file, table);
    file.WriteU32(uint32_t(sequences.size()));
    for (const Sequence& s : sequences) {
        file.WriteFixedString(s.name, kNameField);
        file.WriteI32(s.group);
        file.WriteF32(s.start);
        file.WriteF32(s.end);
        file.WriteU32(0); // holds the channel-use array in memory; no meaning here
        for (size_t c = 0; c < channels.size(); ++c)
            file.WriteI32(s.channelUse[c]);
    }
    file.WriteI32(reserved);
    return 1;
}

bool Sequencer::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    uint32_t count;
    if (!file.Skip(32) || !file.ReadU32(count) || uint64_t(count) * 4 > file.Remaining())
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        Unknown* channel = ReadObjectReference(file, table, version, ClassId::Channel);
        if (!channel) return false;
        AddChannel(static_cast<Channel*>(channel));
    }
    uint32_t sequenceCount;
    if (!file.ReadU32(sequenceCount) ||
        uint64_t(sequenceCount) * (80 + 4 * uint64_t(channels.size())) > file.Remaining())
        return false;
    sequences.resize(sequenceCount);
    for (Sequence& s : sequences) {
        uint32_t unused;
        if (!file.ReadFixedString(s.name, kNameField) || !file.ReadI32(s.group) ||
            !file.ReadF32(s.start) || !file.ReadF32(s.end) || !file.ReadU32(unused))
            return false;
        if (s.name.size() >= kNameField) s.name.resize(kNameField - 1);
        s.channelUse.resize(channels.size());
        for (int32_t& use : s.channelUse)
            if (!file.ReadI32(use)) return false;
    }
    if (!file.ReadI32(reserved)) return false;
    ReduceFrameChannelKeys();
    return true;
}

} // namespace lumivane
