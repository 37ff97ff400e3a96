// Morph, UV and visibility channels.
#include "desktop/scene/object/vertex_channels.h"

#include <algorithm>
#include <cmath>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/object_file.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr uint32_t kFirstVisStepVersion = 23;

void SetSubtreeVisible(Node* node, bool on) {
    node->visible = on ? 1 : 0;
    for (int i = 0; i < node->ChildCount(); ++i)
        SetSubtreeVisible(node->ChildAt(i), on);
}

} // namespace

// --- MorphChannel -----------------------------------------------------------

MorphChannel::MorphChannel() {
    classId = uint8_t(ClassId::MorphChannel);
}

void MorphChannel::AddKey(float time, const std::array<float, kMorphWeights>& keyWeights) {
    keyTimes.push_back(time);
    weights.push_back(keyWeights);
}

void MorphChannel::Apply(Node* node, ChannelState& state, float time) {
    float t = TakeTime(state, time);
    state.lastApplied = t;
    if (!IsA(node, ClassId::GeoNode)) return;
    auto* geo = static_cast<GeoNode*>(node);
    Vertex* vertices = geo->Vertices();
    KeySpan span = FindKeys(t);
    if (!vertices || !span.valid) return;
    std::array<float, kMorphWeights> w;
    for (int j = 0; j < kMorphWeights; ++j)
        w[size_t(j)] = (1.0f - span.fraction) * weights[size_t(span.earlier)][size_t(j)] +
                       span.fraction * weights[size_t(span.later)][size_t(j)];
    int count = geo->vertexCount;
    for (int v = 0; v < count; ++v)
        vertices[v].position = Vec3();
    size_t used = std::min(targets.size(), size_t(kMorphWeights));
    for (size_t j = 0; j < used; ++j) {
        if (!(w[j] > 0.0f)) continue;
        const std::vector<Vec3>& positions = targets[j].positions;
        size_t reach = std::min(size_t(count), positions.size());
        for (size_t v = 0; v < reach; ++v)
            vertices[v].position += positions[v] * w[j];
    }
}

void MorphChannel::RebuildTargets(const std::vector<uint16_t>& origin) {
    for (MorphTarget& target : targets) {
        std::vector<Vec3> rebuilt(origin.size());
        for (size_t v = 0; v < origin.size(); ++v)
            if (origin[v] < target.positions.size()) rebuilt[v] = target.positions[origin[v]];
        target.positions = std::move(rebuilt);
    }
}

void MorphChannel::TransformTargets(const Matrix& m) {
    for (MorphTarget& target : targets)
        for (Vec3& p : target.positions)
            m.TransformPoint(p);
}

void MorphChannel::SaveKey(platform::BinaryWriter& file, int key) {
    for (float w : weights[size_t(key)])
        file.WriteF32(w);
}

bool MorphChannel::LoadKey(platform::BinaryReader& file, int key) {
    for (float& w : weights[size_t(key)])
        if (!file.ReadF32(w)) return false;
    return true;
}

int MorphChannel::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Channel::Save(file, table)) return 0;
    file.WriteU32(uint32_t(targets.size()));
    for (const MorphTarget& target : targets) {
        file.WriteFixedString(target.name, 32);
        file.WriteU32(uint32_t(target.positions.size()));
        for (const Vec3& p : target.positions)
            WriteVec3(file, p);
        file.WriteU32(0); // normals are not kept
    }
    return 1;
}

bool MorphChannel::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Channel::Load(file, table, version)) return false;
    uint32_t count;
    // A target takes at least its name and two counts.
    if (!file.ReadU32(count) || uint64_t(count) * 40 > file.Remaining()) return false;
    targets.resize(count);
    for (MorphTarget& target : targets) {
        if (!file.ReadFixedString(target.name, 32)) return false;
        if (target.name.size() > 31) target.name.resize(31);
        uint32_t positions;
        if (!file.ReadU32(positions) || uint64_t(positions) * 12 > file.Remaining()) return false;
        target.positions.resize(positions);
        for (Vec3& p : target.positions)
            if (!ReadVec3(file, p)) return false;
        uint32_t normals;
        if (!file.ReadU32(normals) || uint64_t(normals) * 12 > file.Remaining() ||
            !file.Skip(uint64_t(normals) * 12))
            return false;
    }
    return true;
}

// --- UVChannel --------------------------------------------------------------

UVChannel::UVChannel() {
    classId = uint8_t(ClassId::UVChannel);
}

void UVChannel::Apply(Node* node, ChannelState& state, float time) {
    float t = TakeTime(state, time);
    state.lastApplied = t;
    if (!IsA(node, ClassId::GeoNode) || offsets.empty()) return;
    auto* geo = static_cast<GeoNode*>(node);
    const std::vector<Vertex>* original = geo->PrototypeVertices();
    Vertex* vertices = geo->Vertices();
    if (!geo->texture || !original || !vertices) return;
    float position = t > 0.0f ? std::min(t * 10.0f, 1e9f) : 0.0f;
    size_t i = size_t(position);
    size_t last = offsets.size() - 1;
    float a = offsets[std::min(i, last)];
    float b = offsets[std::min(i + 1, last)];
    float f = position - float(i);
    float offset = (1.0f - f) * a + f * b;
    size_t count = std::min(size_t(geo->vertexCount), original->size());
    for (size_t v = 0; v < count; ++v) {
        if (axis == 0)
            vertices[v].u = (*original)[v].u + offset;
        else
            vertices[v].v = (*original)[v].v + offset;
    }
}

int UVChannel::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Channel::Save(file, table)) return 0;
    file.WriteU32(uint32_t(axis));
    file.WriteU32(uint32_t(offsets.size() * 3));
    for (float offset : offsets) {
        file.WriteF32(offset);
        file.WriteF32(0.0f);
        file.WriteF32(0.0f);
    }
    return 1;
}

bool UVChannel::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Channel::Load(file, table, version)) return false;
    uint32_t count;
    if (!file.ReadI32(axis) || !file.ReadU32(count) || uint64_t(count) * 4 > file.Remaining())
        return false;
    offsets.clear();
    offsets.reserve((count + 2) / 3);
    for (uint32_t i = 0; i < count; ++i) {
        float value;
        if (!file.ReadF32(value)) return false;
        if (i % 3 == 0) offsets.push_back(value);
    }
    return true;
}

// --- VisChannel -------------------------------------------------------------

VisChannel::VisChannel() {
    classId = uint8_t(ClassId::VisChannel);
}

void VisChannel::AddKey(float time, float visibility) {
    keyTimes.push_back(time);
    values.push_back(visibility);
}

void VisChannel::Apply(Node* node, ChannelState& state, float time) {
    float t = TakeTime(state, time);
    state.lastApplied = t;
    KeySpan span = FindKeys(t);
    if (!node || !span.valid) return;
    float value = step ? values[size_t(span.earlier)]
                       : (1.0f - span.fraction) * values[size_t(span.earlier)] +
                             span.fraction * values[size_t(span.later)];
    int level = value > 0.0f ? int(std::min(value, 1.0f) * 255.0f) : 0;
    if (!IsA(node, ClassId::GeoNode)) {
        SetSubtreeVisible(node, level > 0);
        return;
    }
    auto* geo = static_cast<GeoNode*>(node);
    geo->visible = level > 0 ? 1 : 0;
    if (level < 1) return;
    geo->transparent = 1;
    geo->blendMode = 1;
    const std::vector<Vertex>* original = geo->PrototypeVertices();
    Vertex* vertices = geo->Vertices();
    if (!original || !vertices) return;
    size_t count = std::min(size_t(geo->vertexCount), original->size());
    for (size_t v = 0; v < count; ++v) {
        uint32_t alpha = uint32_t(level) * ((*original)[v].colour >> 24) / 255u;
        vertices[v].colour = (vertices[v].colour & 0x00FFFFFFu) | alpha << 24;
    }
}

void VisChannel::SaveKey(platform::BinaryWriter& file, int key) {
    file.WriteF32(values[size_t(key)]);
}

bool VisChannel::LoadKey(platform::BinaryReader& file, int key) {
    return file.ReadF32(values[size_t(key)]);
}

int VisChannel::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Channel::Save(file, table)) return 0;
    file.WriteU32(uint32_t(step));
    return 1;
}

bool VisChannel::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Channel::Load(file, table, version)) return false;
    if (version >= kFirstVisStepVersion && !file.ReadI32(step)) return false;
    return true;
}

} // namespace lumivane
