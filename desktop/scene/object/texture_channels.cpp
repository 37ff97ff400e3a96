// Texture-frame channels.
#include "desktop/scene/object/texture_channels.h"

#include <algorithm>
#include <cmath>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/geo_node.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

// The frame count of the node's texture, or 0 when it has none.
int FramesOf(const GeoNode* geo) {
    TextureSource* source = GetTextureSource();
    if (!geo->texture || !source) return 0;
    return source->GetFrameCount(geo->texture);
}

int ClampFrame(long long frame, int count) {
    if (frame < 0) return 0;
    return frame >= count ? count - 1 : int(frame);
}

} // namespace

// --- TexMorphChannel --------------------------------------------------------

TexMorphChannel::TexMorphChannel() {
    classId = uint8_t(ClassId::TexMorphChannel);
}

void TexMorphChannel::AddKey(float time, int8_t frame) {
    keyTimes.push_back(time);
    std::array<uint8_t, 8> key{};
    key[0] = uint8_t(frame);
    keys.push_back(key);
}

void TexMorphChannel::Apply(Node* node, ChannelState& state, float time) {
    float t = TakeTime(state, time);
    if (!IsA(node, ClassId::GeoNode)) return;
    auto* geo = static_cast<GeoNode*>(node);
    int count = FramesOf(geo);
    KeySpan span = FindKeys(t);
    if (count <= 0 || !span.valid) return;
    if (t == state.lastApplied) {
        // Standing still: the blend settles on the nearer frame.
        if (geo->blending) {
            geo->blending = 0;
            if (geo->blendFactor > 0.5f) {
                geo->texture = geo->secondTexture;
                geo->textureFrame = geo->secondTextureFrame;
            }
        }
        return;
    }
    state.lastApplied = t;
    geo->secondTexture = geo->texture;
    int frameA = ClampFrame(FrameOf(span.earlier), count);
    if (span.earlier != span.later) {
        geo->blending = 1;
        geo->textureFrame = frameA;
        geo->secondTextureFrame = ClampFrame(FrameOf(span.later), count);
        geo->blendFactor = span.fraction;
        return;
    }
    geo->blending = 0;
    geo->textureFrame = frameA;
    geo->secondTextureFrame = frameA + 1 < count ? frameA + 1 : 0;
}

void TexMorphChannel::SaveKey(platform::BinaryWriter& file, int key) {
    file.WriteBytes(keys[size_t(key)].data(), 8);
}

bool TexMorphChannel::LoadKey(platform::BinaryReader& file, int key) {
    return file.ReadBytes(keys[size_t(key)].data(), 8);
}

// --- TexAnimChannel ---------------------------------------------------------

TexAnimChannel::TexAnimChannel() {
    classId = uint8_t(ClassId::TexAnimChannel);
}

void TexAnimChannel::AddKey(float time, int32_t frame) {
    keyTimes.push_back(time);
    frames.push_back(frame);
}

void TexAnimChannel::Apply(Node* node, ChannelState& state, float time) {
    float t = TakeTime(state, time);
    if (!IsA(node, ClassId::GeoNode)) return;
    if (t == state.lastApplied) return;
    auto* geo = static_cast<GeoNode*>(node);
    int count = FramesOf(geo);
    KeySpan span = FindKeys(t);
    if (count <= 0 || !span.valid) return;
    state.lastApplied = t;
    long long frame = frames[size_t(span.earlier)];
    if (span.earlier != span.later) {
        // Halves round to the even frame.
        double a = frames[size_t(span.earlier)];
        double b = frames[size_t(span.later)];
        frame = (long long)std::nearbyint(a + double(span.fraction) * (b - a) + 0.5);
    }
    geo->textureFrame = ClampFrame(frame, count);
}

void TexAnimChannel::SaveKey(platform::BinaryWriter& file, int key) {
    file.WriteI32(frames[size_t(key)]);
}

bool TexAnimChannel::LoadKey(platform::BinaryReader& file, int key) {
    return file.ReadI32(frames[size_t(key)]);
}

} // namespace lumivane
