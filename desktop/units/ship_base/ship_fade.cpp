// Ship: fading in and out. A unit being built or scrapped is drawn
// translucent at the fade level; units of race 2 grow and shrink instead.
#include <algorithm>

#include "desktop/scene/object/geo_node.h"
#include "desktop/units/ship_base/ship.h"

namespace lumivane {

namespace {

constexpr int32_t kFadingRace = 2;
// A scale of 0 would make the unit's matrix singular, and everything that
// inverts it (tow points, ray hits) would turn to NaN.
constexpr float kSmallestScale = 0.001f;

template <class Visit> void ForEachNode(Node* node, const Visit& visit) {
    for (int i = 0; i < node->ChildCount(); ++i) {
        Node* child = node->ChildAt(i);
        visit(*child);
        ForEachNode(child, visit);
    }
}

template <class Visit> void ForEachGeoNode(Node* node, const Visit& visit) {
    ForEachNode(node, [&](Node& n) {
        if (IsA(&n, ClassId::GeoNode)) visit(static_cast<GeoNode&>(n));
    });
}

// What the node was made as: its prototype's drawing options.
const GeoNode& Original(const GeoNode& node) {
    const Node* proto = node.Prototype();
    return IsA(proto, ClassId::GeoNode) ? static_cast<const GeoNode&>(*proto) : node;
}

} // namespace

void Ship::BeginFade() {
    fadeFlag = 1;
    fadeLevel = 0.0f;
    if (Race() == kFadingRace) {
        fadeLevel = kSmallestScale;
        SetScale(kSmallestScale);
        return;
    }
    ForEachGeoNode(this, [](GeoNode& node) {
        node.depthWrite = 0;
        node.transparent = 1;
        if (node.blendMode == 0) node.blendMode = 1;
    });
}

void Ship::SetFade(float level) {
    if (!fadeFlag) return;
    if (Race() == kFadingRace) {
        SetScale(std::max(level, kSmallestScale));
    } else {
        ForEachGeoNode(this, [level](GeoNode& node) {
            node.alpha = int32_t(std::clamp(level, 0.0f, 1.0f) * float(Original(node).alpha));
        });
    }
    fadeLevel = level;
}

void Ship::EndFade() {
    if (!fadeFlag) return;
    fadeFlag = 0;
    if (Race() == kFadingRace) {
        SetScale(1.0f);
    } else {
        ForEachGeoNode(this, [](GeoNode& node) {
            const GeoNode& original = Original(node);
            node.depthWrite = original.depthWrite;
            node.transparent = original.transparent;
            node.blendMode = original.blendMode;
            node.alpha = original.alpha;
        });
    }
    // The animation is applied afresh at its current times.
    ForEachNode(this, [](Node& node) {
        if (ChannelList* list = node.Channels())
            for (ChannelState& state : list->states)
                state.lastApplied = -1.0f;
    });
}

} // namespace lumivane
