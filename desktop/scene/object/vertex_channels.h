// The channels that change a GeoNode's vertices: MorphChannel blends vertex
// positions from up to 23 targets, UVChannel slides one texture coordinate,
// VisChannel fades a node (and the alpha of its vertices) in and out.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "desktop/scene/object/channel.h"
#include "desktop/scene/object/matrix.h"

namespace lumivane {

inline constexpr int kMorphWeights = 23; // one weight per target in every key

struct MorphTarget {
    std::string name; // at most 31 characters
    std::vector<Vec3> positions;
};

class MorphChannel : public Channel {
public:
    MorphChannel();

    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    // Sets every vertex to the weighted sum of the targets. Targets past the
    // 23rd have no weight; a target shorter than the vertex array adds
    // nothing to the vertices it lacks.
    void Apply(Node* node, ChannelState& state, float time) override;
    void SaveKey(platform::BinaryWriter& file, int key) override;
    bool LoadKey(platform::BinaryReader& file, int key) override;
    int KeySize() const override { return kMorphWeights * 4; }
    void ResizeKeyData(int count) override { weights.resize(size_t(count)); }

    void AddKey(float time, const std::array<float, kMorphWeights>& keyWeights);
    // Each vertex takes the target position of the position it came from.
    void RebuildTargets(const std::vector<uint16_t>& origin);
    void TransformTargets(const Matrix& m);

    std::vector<std::array<float, kMorphWeights>> weights;
    std::vector<MorphTarget> targets;
};

class UVChannel : public Channel {
public:
    UVChannel();

    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    // Offsets are keyed at ten a second and added to the prototype's
    // coordinates; a node without a texture or a channel without offsets is
    // left alone.
    void Apply(Node* node, ChannelState& state, float time) override;

    int32_t axis = 0; // 0 moves U, anything else V
    std::vector<float> offsets;
};

class VisChannel : public Channel {
public:
    VisChannel();

    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void Apply(Node* node, ChannelState& state, float time) override;
    void SaveKey(platform::BinaryWriter& file, int key) override;
    bool LoadKey(platform::BinaryReader& file, int key) override;
    int KeySize() const override { return 4; }
    void ResizeKeyData(int count) override { values.resize(size_t(count)); }

    void AddKey(float time, float visibility);

    std::vector<float> values; // visibility 0..1 per key
    int32_t step = 0;          // take the earlier key instead of interpolating
};

} // namespace lumivane
