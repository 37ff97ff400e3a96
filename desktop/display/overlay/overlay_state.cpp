// The overlay layer's nodes and mode words.
#include "desktop/display/overlay/overlay_state.h"

#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/trans_node.h"
#include "platform/paths.h"

#include <bit>

namespace lumivane {

OverlayExtent OverlayExtentOf(const Matrix& projection) {
    OverlayExtent extent;
    // A perspective projection scales x by its first term and y by the
    // sixth; a degenerate one keeps the unit extent.
    if (projection.m[0] > 0.0f) extent.halfWidth = 1.0f / projection.m[0];
    if (projection.m[5] > 0.0f) extent.halfHeight = 1.0f / projection.m[5];
    return extent;
}

OverlayState::OverlayState() {
    // A display starts with its HUD shown and faded in, its switches on.
    modes = DisplayBlock().modes;
    overlay = new Node;
    overlay->AddRef();
}

OverlayState::~OverlayState() {
    SetStatisticsText(nullptr);
    for (Node* node : {overlay, hudOverlay, static_cast<Node*>(hudOverlayTransform)})
        if (node) node->Release();
}

float OverlayState::ModeFloat(int word) const {
    return std::bit_cast<float>(modes[size_t(word)]);
}

void OverlayState::SetModeFloat(int word, float value) {
    modes[size_t(word)] = std::bit_cast<int32_t>(value);
}

void OverlayState::MakeHudOverlays() {
    if (hudOverlay) return;
    hudOverlay = new Node;
    hudOverlay->AddRef();
    hudOverlayTransform = new TransNode;
    hudOverlayTransform->AddRef();
}

Node* OverlayState::Find(std::string_view name) const {
    for (int i = 0; i < overlay->ChildCount(); ++i)
        if (Node* child = overlay->ChildAt(i);
            child && platform::EqualsIgnoreCase(child->Name(), name))
            return child;
    return nullptr;
}

void OverlayState::Remove(std::string_view name) {
    for (int i = overlay->ChildCount() - 1; i >= 0; --i)
        if (Node* child = overlay->ChildAt(i);
            child && platform::EqualsIgnoreCase(child->Name(), name))
            overlay->RemoveChildAt(i);
}

void OverlayState::SetStatisticsText(AnimText* text) {
    if (text) text->AddRef();
    if (statisticsText) statisticsText->Release();
    statisticsText = text;
}

} // namespace lumivane
