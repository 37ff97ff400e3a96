// AnimText: fading and its record; the deferred removal queue.
#include "desktop/scene/object/anim_text.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr float kAlphaPerMs = 0.255f; // a full fade takes one second

// Nodes waiting to leave the parent they had when they asked, each held by
// a reference so it outlives the walk. The parent is not held: a parent that
// goes away first clears its children's parent pointers, and such a node
// then has nothing left to leave.
std::vector<std::pair<Node*, Node*>>& PendingRemovals() {
    static std::vector<std::pair<Node*, Node*>> pending;
    return pending;
}

void QueueRemoval(Node* node) {
    Node* parent = node->Parent();
    if (!parent) return;
    for (const auto& [queuedParent, queuedNode] : PendingRemovals())
        if (queuedNode == node && queuedParent == parent) return;
    node->AddRef();
    PendingRemovals().emplace_back(parent, node);
}

uint32_t AlphaFrom(double value) {
    return uint32_t(std::clamp(std::nearbyint(value), 0.0, 255.0));
}

} // namespace

void FlushDeferredRemovals() {
    std::vector<std::pair<Node*, Node*>> pending;
    pending.swap(PendingRemovals());
    for (auto& [parent, node] : pending) {
        if (node->Parent() == parent) parent->RemoveChild(node);
        node->Release();
    }
}

AnimText::AnimText() {
    classId = uint8_t(ClassId::AnimText);
}

Node* AnimText::Clone() {
    AnimText* copy = new AnimText(*this);
    copy->InitClone(this);
    return copy;
}

void AnimText::SetAlpha(uint32_t value) {
    // A clone still drawing its prototype's vertices gets its own first.
    if (sharesVertices) DetachVertices(false);
    if (!vertices) return;
    for (Vertex& v : *vertices)
        v.colour = (v.colour & 0x00FFFFFFu) | value << 24;
}

void AnimText::Update() {
    const uint32_t now = GetSceneClock().gameTime;
    const double elapsed = double(int64_t(now) - int64_t(startTime));
    if (animating) {
        uint32_t value = AlphaFrom(elapsed * kAlphaPerMs);
        SetAlpha(value);
        if (value > 254) animating = 0;
    } else if (fadeOut && elapsed >= 0.0) {
        uint32_t value = AlphaFrom(255.0 - elapsed * kAlphaPerMs);
        SetAlpha(value);
        if (value == 0) {
            fadeOut = 0;
            visible = 0;
            QueueRemoval(this);
        }
    }
}

void AnimText::Show() {
    visible = 1;
    animating = 0;
}

void AnimText::Hide() {
    visible = 0;
    animating = 0;
}

void AnimText::StartAnimation() {
    visible = 1;
    animating = 1;
    startTime = GetSceneClock().gameTime;
}

void AnimText::ScheduleFadeOut(uint32_t delayMs) {
    fadeOut = 1;
    startTime = GetSceneClock().gameTime + delayMs;
}

int AnimText::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!GeoNode::Save(file, table)) return 0;
    file.WriteFixedString(text, kAnimTextSize);
    file.WriteU32(0); // reserved
    file.WriteU32(startTime);
    file.WriteI32(animating);
    file.WriteI32(fadeOut);
    file.WriteF32(step);
    return 1;
}

bool AnimText::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!GeoNode::Load(file, table, version) || !file.ReadFixedString(text, kAnimTextSize))
        return false;
    if (text.size() >= kAnimTextSize) text.resize(kAnimTextSize - 1);
    uint32_t reserved;
    return file.ReadU32(reserved) && file.ReadU32(startTime) && file.ReadI32(animating) &&
           file.ReadI32(fadeOut) && file.ReadF32(step);
}

} // namespace lumivane
