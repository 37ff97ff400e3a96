// Celestial: the sky's drawing settings, its per-frame texture requests, its
// placement at the camera and the star texture's brightness and tiling.
#include "desktop/scene/entity/celestial.h"

#include <algorithm>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

constexpr int kSkyTexturePriority = 999;
constexpr int kSkyTextureLevel = 5;
constexpr int kSkySecondTextureLevel = 3;
constexpr uint8_t kSkyLoadLevel = 6; // the whole texture while loading
constexpr float kStarsPerPixel = 0.0015625f * 0.6f;
constexpr float kStarBoost = 1.7f;

template <class Visit> void ForEachGeoNode(Node* node, const Visit& visit) {
    if (IsA(node, ClassId::GeoNode)) visit(static_cast<GeoNode*>(node));
    for (int i = 0; i < node->ChildCount(); ++i)
        ForEachGeoNode(node->ChildAt(i), visit);
}

std::string_view FileName(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

Celestial::Celestial() {
    classId = uint8_t(ClassId::Celestial);
}

Node* Celestial::Clone() {
    auto* copy = new Celestial(*this);
    copy->InitClone(this);
    return copy;
}

bool Celestial::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Entity::Load(file, table, version)) return false;
    PrepareSky();
    return true;
}

void Celestial::InitClone(Node* source) {
    Entity::InitClone(source);
    PrepareSky();
}

void Celestial::PrepareSky() {
    ForEachGeoNode(this, [](GeoNode* node) {
        // The outer dome ("father") is drawn from both sides, blended.
        const bool father = platform::EqualsIgnoreCase(node->Name(), "father");
        node->fixedTextureLevel = 1;
        node->textureLevel = kSkyLoadLevel;
        node->twoSided = father ? 1 : 0;
        node->transparent = father ? 1 : 0;
        node->depthWrite = 0;
        node->DetachVertices(false);
    });
    // Never culled, never picked; a finite value, so sums and conversions of
    // it stay defined.
    radius = kLargestDistance;
}

void Celestial::Update() {
    if (sequencer) {
        if (sequencer->FindSequence("idle") >= 0 && sequencer->IsDone("idle", sequenceStates))
            sequencer->Play("idle", sequenceStates, 0);
        sequencer->Advance(sequenceStates);
    }
    FrameDisplay* display = GetFrameDisplay();
    ForEachGeoNode(this, [&](GeoNode* node) {
        if (display && node->texture)
            display->RequestTexture(node->texture, node->textureFrame, kSkyTexturePriority,
                                    kSkyTextureLevel);
        if (display && node->secondTexture)
            display->RequestTexture(node->secondTexture, 0, kSkyTexturePriority,
                                    kSkySecondTextureLevel);
        node->fixedTextureLevel = 1;
        node->textureLevel = kSkyTextureLevel;
    });
}

void Celestial::Animate(Entity* entity) {
    Entity::Animate(entity);
    if (platform::EqualsIgnoreCase(Name(), "mother")) {
        const float size = props ? props->Float(EntityFields().scale) : 1.0f;
        local.MakeScale(size, size, size);
        return;
    }
    const Vec3 camera = CurrentCameraPose().position;
    local.m[12] = camera.x;
    local.m[13] = camera.y;
    local.m[14] = camera.z;
}

void Celestial::NodeCallback(GeoNode* node, Vertex* vertices) {
    if (!node || !vertices ||
        !platform::EqualsIgnoreCase(FileName(node->TexturePath()), "stars.dds"))
        return;
    const float width = float(GetDisplayState().screenWidth);
    starFactor = std::clamp(width * kStarsPerPixel, 0.6f, 1.0f) * kStarBoost;
    for (int i = 0; i < node->vertexCount; ++i) {
        Vertex& v = vertices[i];
        v.colour = 0xFFFFFFFFu;
        v.u *= starFactor;
        v.v *= starFactor;
        v.u2 *= starFactor;
        v.v2 *= starFactor;
    }
}

} // namespace lumivane
