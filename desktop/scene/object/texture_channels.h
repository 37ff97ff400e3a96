// The channels that pick a GeoNode's texture frame: TexAnimChannel steps
// through the frames of an animated texture set, TexMorphChannel blends two
// frames for the display.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "desktop/scene/object/channel.h"

namespace lumivane {

class TexMorphChannel : public Channel {
public:
    TexMorphChannel();

    void Apply(Node* node, ChannelState& state, float time) override;
    void SaveKey(platform::BinaryWriter& file, int key) override;
    bool LoadKey(platform::BinaryReader& file, int key) override;
    int KeySize() const override { return 8; }
    void ResizeKeyData(int count) override { keys.resize(size_t(count)); }

    void AddKey(float time, int8_t frame);
    int8_t FrameOf(int key) const { return int8_t(keys[size_t(key)][0]); }

    // Byte 0 is the texture frame; the other seven are kept as read.
    std::vector<std::array<uint8_t, 8>> keys;
};

class TexAnimChannel : public Channel {
public:
    TexAnimChannel();

    void Apply(Node* node, ChannelState& state, float time) override;
    void SaveKey(platform::BinaryWriter& file, int key) override;
    bool LoadKey(platform::BinaryReader& file, int key) override;
    int KeySize() const override { return 4; }
    void ResizeKeyData(int count) override { frames.resize(size_t(count)); }

    void AddKey(float time, int32_t frame);

    std::vector<int32_t> frames;
};

} // namespace lumivane
