// Channel: keys along a time axis that, applied to a node at a time, set the
// node's matrix, vertices, texture frame, texture coordinates or visibility.
// The channel objects belong to the prototype and are shared by its clones;
// each node keeps its own play state per channel. The six kinds derive from
// this base, whose own Apply does nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/scene/object/node.h"
#include "desktop/scene/object/unknown.h"

namespace lumivane {

class Channel : public Unknown {
public:
    Channel();

    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;

    ChannelState CreateState() const { return ChannelState{}; }
    // A time >= 0 replaces the state's time; a negative time applies the
    // stored one again.
    virtual void Apply(Node* node, ChannelState& state, float time);
    virtual void ResizeKeys(int firstFrame, int lastFrame);
    virtual void SaveKey(platform::BinaryWriter& file, int key);
    virtual bool LoadKey(platform::BinaryReader& file, int key);
    // Bytes of one key's data block in the file (0 for kinds without).
    virtual int KeySize() const { return 0; }
    // Grows or shrinks the kind's key data to the key count.
    virtual void ResizeKeyData(int count);

    int KeyCount() const { return int(keyTimes.size()); }
    const std::vector<float>& KeyTimes() const { return keyTimes; }

protected:
    // Where a time falls among the keys: before the first (both 0), after
    // the last (both count - 1) or between `earlier` and `later` at
    // `fraction`. No keys: `valid` is false.
    struct KeySpan {
        bool valid = false;
        int earlier = 0;
        int later = 0;
        float fraction = 0.0f;
    };
    KeySpan FindKeys(float time) const;
    // Takes the time into the state and answers the time to apply.
    static float TakeTime(ChannelState& state, float time);

    std::vector<float> keyTimes;
};

} // namespace lumivane
