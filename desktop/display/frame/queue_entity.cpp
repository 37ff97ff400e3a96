// Building the draw queues: each entity is culled against the camera's side
// planes, animated, placed (with its distance scale) and its nodes queued
// with the texture level of its screen size; each node asks for its
// textures at that level.
#include "desktop/display/device/display.h"

#include "desktop/display/frame/frame_math.h"
#include "desktop/display/textures/texture_manager.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

void RequestFrames(TextureSet* set, float priority, int level) {
    if (!set || !gpTextureManager) return;
    for (int i = 0; i < set->FrameCount(); ++i)
        gpTextureManager->RequestLevel(set->GetFrame(i), priority, level);
}

} // namespace

Matrix Display::BuildEntityMatrix(Entity& entity) const {
    Matrix matrix = entity.local;
    const World* world = GetWorld();
    Entity* owner = world && entity.IsLinked() ? world->GetEntity(entity.ownerHandle) : nullptr;
    if (owner) {
        // Scaled with its owner, about the owner's frame.
        const float d = owner->GetDistanceScale();
        if (d == 1.0f) return matrix;
        Matrix inverse = owner->local;
        if (!inverse.InvertAffine()) return matrix;
        Matrix scale;
        scale.MakeScale(d, d, d);
        return matrix * inverse * scale * owner->local;
    }
    const float d = entity.GetDistanceScale();
    if (d == 1.0f) return matrix;
    Matrix scale;
    scale.MakeScale(d, d, d);
    return scale * matrix;
}

void Display::QueueEntity(Entity* entity, bool noCull) {
    if (!entity) return;
    FrameState& f = frame_;
    if (!noCull) {
        const float radius = entity->GetDistanceScale() * entity->radius;
        if (OutsideSidePlanes(camera_->SidePlanes(), entity->position - f.cameraPosition, radius))
            return;
    }
    if (!entity->visible) return;
    const float screenSize = entity->ComputeScreenSize();
    if (!entity->visible) return; // too small to be seen
    if (entity->selected || entity->highlighted || entity->crosshairActive) {
        f.hudList.push_back(entity);
        if (entity->highlighted) ++f.highlighted;
    }

    SceneClock& clock = GetSceneClock();
    const float frameTime = clock.frameTime;
    if (f.switches.slowMotion) clock.frameTime *= SlowMotionFactor(entity->position.Length());
    entity->Animate(entity);
    clock.frameTime = frameTime;

    const Matrix matrix = f.overlayLighting ? entity->local : BuildEntityMatrix(*entity);
    f.defaultLevel = TextureLevelForScreenSize(screenSize);
    f.currentLevel = f.defaultLevel;
    f.currentInside = !f.overlayLighting && !IsA(entity, ClassId::Celestial) &&
                      (f.cameraPosition - entity->position).Length() < entity->radius;
    f.current = entity;
    f.currentScreenSize = screenSize;
    QueueChildren(entity, matrix);
}

void Display::QueueSubEntity(Entity* entity, const Matrix& matrix) {
    if (!entity || !entity->visible) return;
    Entity* parent = frame_.current;
    entity->Animate(entity);
    frame_.current = entity;
    QueueChildren(entity, entity->local * matrix);
    frame_.current = parent;
}

void Display::QueueChildren(Node* node, const Matrix& matrix) {
    if (!node || !node->childrenVisible) return;
    for (int i = 0; i < node->ChildCount(); ++i) {
        Node* child = node->ChildAt(i);
        if (!child || !child->visible) continue;
        if (IsA(child, ClassId::Entity)) {
            QueueSubEntity(static_cast<Entity*>(child), matrix);
        } else if (IsA(child, ClassId::GeoNode)) {
            QueueNode(static_cast<GeoNode*>(child), matrix);
            QueueChildren(child, matrix);
        } else if (IsA(child, ClassId::TransNode)) {
            child->Animate(frame_.current);
            QueueChildren(child, static_cast<TransNode*>(child)->local * matrix);
        } else {
            QueueChildren(child, matrix);
        }
    }
}

void Display::QueueNode(GeoNode* node, const Matrix& matrix) {
    if (!node) return;
    // A particle node holds no geometry of its own: it writes its quads
    // when it is drawn.
    const bool particles = IsA(node, ClassId::PartNode);
    if (!particles && (node->vertexCount <= 0 || !node->SourceVertices())) return;
    FrameState& f = frame_;
    // Its own channels; a clone that builds its vertices each frame runs
    // them when it is drawn.
    if (node->Vertices()) node->Animate(f.current);
    QueuedNode item;
    item.node = node;
    item.entity = f.current;
    item.world = matrix;
    item.cameraInside = f.currentInside;
    if (!node->fixedTextureLevel) node->textureLevel = uint8_t(f.defaultLevel);
    if (node->texture && !node->texture->Resident()) {
        const int level = node->textureLevel;
        RequestFrames(node->texture, f.currentScreenSize, level);
        RequestFrames(node->envTextureSet, f.currentScreenSize, level);
        RequestFrames(node->detailTextureSet, f.currentScreenSize, level);
        RequestFrames(node->secondTexture, f.currentScreenSize, level);
    }
    if (f.drawNow) {
        DrawObject(item);
        return;
    }
    std::vector<QueuedNode>& queue = node->transparent ? f.transparent : f.opaque;
    if (queue.size() == queue.capacity()) queue.reserve(queue.size() + kQueueGrowth);
    item.order = int(queue.size());
    queue.push_back(item);
}

void Display::SetNodeLevel(Node* node, int level) {
    if (!node) return;
    if (IsA(node, ClassId::GeoNode)) static_cast<GeoNode*>(node)->textureLevel = uint8_t(level);
    for (int i = 0; i < node->ChildCount(); ++i)
        SetNodeLevel(node->ChildAt(i), level);
}

} // namespace lumivane
