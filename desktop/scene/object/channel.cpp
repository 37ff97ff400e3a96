// The channel base: key times, key search and the base record.
#include "desktop/scene/object/channel.h"

#include "desktop/scene/object/class_table.h"
#include "platform/binary_io.h"

namespace lumivane {

Channel::Channel() {
    classId = uint8_t(ClassId::Channel);
}

void Channel::Apply(Node*, ChannelState& state, float time) {
    TakeTime(state, time);
}

void Channel::ResizeKeys(int, int) {}

void Channel::SaveKey(platform::BinaryWriter&, int) {}

bool Channel::LoadKey(platform::BinaryReader&, int) {
    return true;
}

void Channel::ResizeKeyData(int) {}

float Channel::TakeTime(ChannelState& state, float time) {
    if (time >= 0.0f) state.time = time;
    return state.time;
}

Channel::KeySpan Channel::FindKeys(float time) const {
    KeySpan span;
    int count = KeyCount();
    if (count == 0) return span;
    span.valid = true;
    int i = 0;
    while (i < count && !(keyTimes[size_t(i)] >= time))
        ++i;
    if (i == 0) return span;
    if (i == count) {
        span.earlier = span.later = count - 1;
        return span;
    }
    span.earlier = i - 1;
    span.later = i;
    float length = keyTimes[size_t(i)] - keyTimes[size_t(i - 1)];
    span.fraction = length > 0.0f ? (time - keyTimes[size_t(i - 1)]) / length : 0.0f;
    return span;
}

int Channel::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Unknown::Save(file, table)) return 0;
    file.WriteU32(uint32_t(keyTimes.size()));
    for (float t : keyTimes)
        file.WriteF32(t);
    for (int k = 0; k < KeyCount(); ++k)
        SaveKey(file, k);
    return 1;
}

bool Channel::Load(platform::BinaryReader& file, ObjectTable&, uint32_t) {
    uint32_t count;
    if (!file.ReadU32(count)) return false;
    // Each key takes its time and its data block; refuse counts the bytes
    // left cannot hold before allocating for them.
    if (uint64_t(count) * uint64_t(4 + KeySize()) > file.Remaining()) return false;
    keyTimes.resize(count);
    for (float& t : keyTimes)
        if (!file.ReadF32(t)) return false;
    ResizeKeyData(int(count));
    for (int k = 0; k < int(count); ++k)
        if (!LoadKey(file, k)) return false;
    return true;
}

} // namespace lumivane
