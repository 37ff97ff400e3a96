// Entity: the per-frame step (parts, "idle", gravity, motion, self-repair,
// animation, sounds) and the placement of linked entities.
#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/channel.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/mouse.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

constexpr float kGravityConstant = 0.0005f;
constexpr float kLooseSpeedLimit = 1.6f;
constexpr float kLeaderSpeedShare = 0.8f;
constexpr std::string_view kDummyLinkPrefix = "dummylink";
constexpr size_t kDummyLinkPartStart = 10;

// Spawned from the properties or the model, and so replaced on a first frame.
bool IsPropertyPart(Entity* entity) {
    if (IsA(entity, ClassId::Light) || IsA(entity, ClassId::LensFlare)) return true;
    if (PartSys* system = AsPartSys(entity); system && system->propertyPart) return true;
    return platform::EqualsIgnoreCase(entity->Name(), "sunblock");
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           platform::EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

} // namespace

void Entity::Update() {
    const float frameTime = GetSceneClock().frameTime;
    const Unit* ship = AsUnit(this);
    const bool fading = ship && ship->IsFadingOut();

    if (!firstFrameDone && !fading) SpawnPropertyParts();
    if (sequencer && sequencer->FindSequence("idle") >= 0 &&
        sequencer->IsDone("idle", sequenceStates))
        sequencer->Play("idle", sequenceStates, 0);
    if (frameTime != 0.0f && props && props->Flag(EntityFields().affectedByGravity))
        ApplyGravity(frameTime);
    if (!IsLinked()) Integrate(frameTime);
    if (!fading) SelfRepair(frameTime);
    if (sequencer) sequencer->Advance(sequenceStates);
    if (!fading && props)
        for (int s = 0; s < kSoundSlots; ++s)
            if (props->Int(EntityFields().sound[s].function) == int32_t(SoundEvent::Ambient)) {
                soundSlots[s].soundId = props->Int(EntityFields().sound[s].soundId);
                soundSlots[s].volume = 1.0f;
            }
    EditBoundSpheres();
    ApplyFrameChannels();
}

void Entity::SpawnPropertyParts() {
    World* world = GetWorld();
    if (world && handle >= 0 && world->GetEntity(handle) == this) {
        std::vector<Entity*> old;
        for (int i = 0; i < world->EntityCount(); ++i)
            if (Entity* e = world->EntityAt(i); e && e->ownerHandle == handle && IsPropertyPart(e))
                old.push_back(e);
        for (Entity* e : world->JoinList())
            if (e->ownerHandle == handle && IsPropertyPart(e)) old.push_back(e);
        for (Entity* e : old) {
            e->firstFrameDone = 1;
            world->QueueRemove(e, nullptr, true);
        }
    }
    spawnedParts.clear();
    if (props)
        for (size_t offset : EntityFields().particleSystem) {
            const std::string part(props->OwnedText(offset));
            if (part.empty()) continue;
            if (platform::EqualsIgnoreCase(part, Name())) {
                if (world) world->Rejoin(this); // to the end of the entity order
            } else {
                SpawnPart(part, this);
            }
        }
    // Parts hung on the model's link nodes.
    std::vector<Node*> pending;
    for (int i = ChildCount() - 1; i >= 0; --i)
        pending.push_back(ChildAt(i));
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        const std::string_view nodeName = node->Name();
        if (IsA(node, ClassId::DummyLink)) {
            if (!nodeName.empty()) SpawnPart(nodeName, node);
        } else if (IsA(node, ClassId::FrameAnim) &&
                   StartsWithIgnoreCase(nodeName, kDummyLinkPrefix) &&
                   nodeName.size() > kDummyLinkPartStart) {
            SpawnPart(nodeName.substr(kDummyLinkPartStart), node);
        }
        for (int i = node->ChildCount() - 1; i >= 0; --i)
            pending.push_back(node->ChildAt(i));
    }
    firstFrameDone = 1;
}

void Entity::ApplyGravity(float frameTime) {
    World* world = GetWorld();
    if (!world) return;
    const bool ship = IsA(this, ClassId::Ship);
    Entity* parent = world->GetEntity(gravityParent);
    if (parent == this) parent = nullptr;
    for (Entity* source : world->GravitySources()) {
        if (source == this) continue;
        Vec3 from;
        if (ship) {
            from = position;
        } else if (parent) {
            // A moon falls towards its planet, and towards the sun as its planet does.
            if (source == parent)
                from = position;
            else if (IsA(source, ClassId::Sun))
                from = parent->position;
            else
                continue;
        } else if (IsA(source, ClassId::Sun)) {
            from = position;
        } else {
            continue;
        }
        const Vec3 offset = source->position - from;
        const float distance = offset.Length();
        const float r = std::max(distance, source->radius);
        if (!(distance > 0.0f) || !std::isfinite(r)) continue;
        const float pull = kGravityConstant * source->mass / (r * r) * frameTime / distance;
        velocity += offset * pull;
    }
}

void Entity::Integrate(float frameTime) {
    World* world = GetWorld();
    const bool relativistic = world && world->relativisticMode;
    if (frameTime != 0.0f && !relativistic) {
        float limit = -1.0f;
        if (const Unit* ship = AsUnit(this); ship && !IsA(this, ClassId::Weapon))
            limit = 2.0f * ship->TopSpeed() * (ship->LeadsFormation() ? kLeaderSpeedShare : 1.0f);
        else if (!IsA(this, ClassId::Asteroid))
            limit = kLooseSpeedLimit;
        const float speed = velocity.Length();
        if (limit >= 0.0f && speed > limit) velocity = velocity * (limit / speed);
    }
    velocity += pendingImpulse;
    pendingImpulse = Vec3();
    position += velocity * frameTime;
    Quat turn = spin;
    turn.Pow(frameTime * 10.0f);
    orientation = orientation * turn;
    if (props && props->Flag(EntityFields().comet) && position.Length() > 0.0f) {
        Vec3 inward = Vec3() - position;
        inward.Normalize();
        orientation = Quat::MakeRotationArc(Vec3(-1, 0, 0), inward);
    }
    PlaceLocalMatrix();
}

void Entity::SelfRepair(float frameTime) {
    if (!props) return;
    const float most = props->Float(EntityFields().selfRepairMax);
    if (!(health <= most)) return;
    float amount = frameTime * props->Float(EntityFields().selfRepairRate);
    if (health + amount > most) amount = most - health;
    if (amount > 0.0f)
        Repair(amount);
    else if (amount < 0.0f)
        TakeDamage(-amount);
}

void Entity::EditBoundSpheres() {
    Keyboard* keys = GetKeyboardHolder();
    if (!sphereEdit || !keys || !props) return;
    const EntityPropFields& f = EntityFields();
    const int count = std::clamp(props->Int(f.numberOfSpheres), 0, kMaxBoundSpheres);
    if (count == 0) return;
    constexpr int kPageUp = 0xC9, kPageDown = 0xD1;
    if (keys->WasKeyPressed(kPageDown)) editedSphere = (editedSphere + 1) % count;
    if (keys->WasKeyPressed(kPageUp)) editedSphere = (editedSphere + count - 1) % count;
    editedSphere = std::clamp(editedSphere, 0, count - 1);
    const Mouse* mouse = GetMouseHolder();
    if (!mouse) return;
    const SphereFields& sphere = f.sphere[editedSphere];
    if (keys->IsAltDown()) {
        const float size = props->Float(sphere.size) * (1.0f + 0.01f * float(mouse->dx));
        props->Set<float>(sphere.size, std::max(size, 0.001f));
    } else if (keys->IsCtrlDown()) {
        props->Set<float>(sphere.y, props->Float(sphere.y) - 0.002f * float(mouse->dy));
    } else {
        props->Set<float>(sphere.x, props->Float(sphere.x) + 0.002f * float(mouse->dx));
        props->Set<float>(sphere.z, props->Float(sphere.z) - 0.002f * float(mouse->dy));
    }
}

void Entity::ApplyFrameChannels() {
    for (TransNode* node : animatedNodes) {
        ChannelList* list = node->Channels();
        if (!list) continue;
        for (int i = 0; i < list->count; ++i) {
            Channel* channel = list->channels[i];
            if (!IsA(channel, ClassId::FrameChannel)) continue;
            const float time =
                sequencer ? sequencer->GetChannelTime(sequenceStates, channel) : -1.0f;
            channel->Apply(node, list->states[i], time);
        }
    }
}

// --- Links ------------------------------------------------------------------

namespace {

// The node's matrix relative to `top` (top's own matrix left out).
Matrix MatrixBelow(const Node* node, const Node* top) {
    Matrix m;
    for (const Node* n = node; n && n != top; n = n->Parent())
        if (IsA(n, ClassId::TransNode)) m = m * static_cast<const TransNode*>(n)->local;
    return m;
}

} // namespace

Entity* Entity::ResolveLinkTarget(int arg) {
    World* world = GetWorld();
    Entity* target = world ? world->GetEntity(ownerHandle) : nullptr;
    if (!target) {
        ownerHandle = kNoEntity;
        targetLinkNode = ownLinkNode = nullptr;
        linksPending = 0;
        return nullptr;
    }
    if (arg) target->UpdateLinks(arg);
    if (linksPending) {
        if (!targetLinkName.empty())
            targetLinkNode = target->FindByNameNth(targetLinkName, targetLinkIndex);
        if (!ownLinkName.empty()) ownLinkNode = FindByNameNth(ownLinkName, ownLinkIndex);
        targetLinkName.clear();
        ownLinkName.clear();
        linksPending = 0;
    }
    return target;
}

void Entity::UpdateLinks(int arg) {
    if (ownerHandle < 0) return;
    const uint32_t now = GetSceneClock().gameTime;
    if (linkClock == int32_t(now)) return;
    linkClock = int32_t(now);
    Entity* target = ResolveLinkTarget(arg);
    if (!target) return;
    if (!IsA(targetLinkNode, ClassId::TransNode) || !IsA(ownLinkNode, ClassId::TransNode)) return;

    // Own link node on the target node, turned half a turn about Y.
    Vec3 targetPoint;
    Quat targetTurn;
    static_cast<TransNode*>(targetLinkNode)->GetWorldMatrix().GetPosRot(targetPoint, targetTurn);
    Vec3 ownOffset;
    Quat ownTurn;
    MatrixBelow(ownLinkNode, this).GetPosRot(ownOffset, ownTurn);
    const Quat inverseOwn(-ownTurn.x, -ownTurn.y, -ownTurn.z, ownTurn.w);
    orientation = targetTurn * Quat(0, 1, 0, 0) * inverseOwn;
    orientation.RotateVector(ownOffset);
    const Vec3 oldPosition = position;
    position = targetPoint - ownOffset * sizeFactor;
    spin = target->spin;
    const float frameTime = GetSceneClock().frameTime;
    const bool moved = frameTime > 0.0f && !(oldPosition == Vec3());
    velocity = moved ? (position - oldPosition) * (1.0f / frameTime) : Vec3();
    pendingImpulse = Vec3();
    PlaceLocalMatrix();
}

} // namespace lumivane
