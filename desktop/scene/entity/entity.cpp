// Entity: construction, cloning, handles, motion helpers and sound slots.
#include "desktop/scene/entity/entity.h"

#include <cmath>

#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

Node* FindCloneOf(Node* tree, const Node* original) {
    if (!tree || !original) return nullptr;
    if (tree->Prototype() == original) return tree;
    for (int i = 0; i < tree->ChildCount(); ++i)
        if (Node* found = FindCloneOf(tree->ChildAt(i), original)) return found;
    return nullptr;
}

Entity::Entity() {
    classId = uint8_t(ClassId::Entity);
}

Entity::Entity(const Entity& other)
    : TransNode(other), PropContainer(other), props(other.props), handle(other.handle),
      sizeFactor(other.sizeFactor), scale(other.scale), position(other.position),
      velocity(other.velocity), orientation(other.orientation), spin(other.spin),
      massScale(other.massScale), mass(other.mass), pendingImpulse(other.pendingImpulse),
      gravityParent(other.gravityParent), linkClock(other.linkClock),
      ownerHandle(other.ownerHandle), targetLinkNode(other.targetLinkNode),
      ownLinkNode(other.ownLinkNode), canCollide(other.canCollide), linkByte(other.linkByte),
      targetLinkIndex(other.targetLinkIndex), ownLinkIndex(other.ownLinkIndex),
      linksPending(other.linksPending), targetLinkName(other.targetLinkName),
      ownLinkName(other.ownLinkName), radius(other.radius), boundRadius(other.boundRadius),
      sequencer(other.sequencer), sequenceStates(other.sequenceStates), health(other.health),
      healthScale(other.healthScale), legacyCount(other.legacyCount),
      legacyValue(other.legacyValue), lodThresholds(other.lodThresholds), lodLevel(other.lodLevel),
      nextLodLevel(other.nextLodLevel), screenSize(other.screenSize),
      spawnedParts(other.spawnedParts), ownsPropertyBlock(other.ownsPropertyBlock),
      noFlareOcclusion(other.noFlareOcclusion), noDamage(other.noDamage),
      firstFrameDone(other.firstFrameDone), sphereEdit(other.sphereEdit),
      editedSphere(other.editedSphere), selected(other.selected),
      crosshairActive(other.crosshairActive), pulsing(other.pulsing),
      highlighted(other.highlighted), seeAll(other.seeAll), proxy(other.proxy), owner(other.owner),
      distanceScaleFactor(other.distanceScaleFactor),
      distanceScaleExponent(other.distanceScaleExponent) {
    // The LOD and animated nodes are the clone's own; InitClone finds them.
    if (sequencer) sequencer->AddRef();
    for (int s = 0; s < kSoundSlots; ++s)
        soundSlots[s] = other.soundSlots[s];
    haloFlags[0] = other.haloFlags[0];
    haloFlags[1] = other.haloFlags[1];
    for (int p = 0; p < kIdentifiedPlayers; ++p)
        identification[p] = other.identification[p];
}

Entity::~Entity() {
    if (World* world = GetWorld()) world->ForgetEntity(this);
    ReleaseLodNodes();
    for (Unknown* held : heldLegacyObjects)
        held->Release();
    if (sequencer) sequencer->Release();
}

void Entity::HoldLegacyObject(Unknown* object) {
    object->AddRef();
    heldLegacyObjects.push_back(object);
}

void Entity::ReleaseLodNodes() {
    for (GeoNode* node : lodNodes)
        node->Release();
    lodNodes.clear();
}

Node* Entity::Clone() {
    Entity* copy = new Entity(*this);
    copy->InitClone(this);
    return copy;
}

void Entity::InitClone(Node* source) {
    TransNode::InitClone(source);
    auto* from = static_cast<Entity*>(source);

    const EntityHandle wanted = handle;
    handle = kNoEntity;
    if (World* world = GetWorld(); world && wanted != kWantNoHandle) {
        handle =
            wanted == kWantHighHandle ? world->AllocHighHandle(this) : world->AllocHandle(this);
        if (handle < 0) world->QueueRemove(this, nullptr, false);
    }
    const uint32_t now = GetSceneClock().gameTime;
    for (SoundSlotState& slot : soundSlots)
        slot.startTime = int32_t(now);
    ApplyProps(kAllProps);
    ownsPropertyBlock = 0;
    const bool halo = props && props->Flag(EntityFields().hasHalo);
    haloFlags[0] = haloFlags[1] = halo ? 1 : 0;
    const bool identified = props && props->Flag(EntityFields().alwaysIdentified);
    for (int32_t& word : identification)
        word = identified ? 2 : 0;
    SetDistanceScaleByClass();

    // The source's LOD nodes, taken over by their counterparts in this tree.
    lodNodes.clear();
    for (GeoNode* node : from->lodNodes) {
        Node* mine = FindCloneOf(this, node);
        GeoNode* kept = mine && IsA(mine, ClassId::GeoNode) ? static_cast<GeoNode*>(mine) : node;
        kept->AddRef();
        lodNodes.push_back(kept);
    }
    if (from->ownLinkNode == from)
        ownLinkNode = this;
    else if (from->ownLinkNode)
        ownLinkNode = FindCloneOf(this, from->ownLinkNode);
    CollectAnimatedNodes();
    firstFrameDone = 0;
}

void Entity::CollectAnimatedNodes() {
    animatedNodes.clear();
    std::vector<Node*> pending{this};
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        if (IsA(node, ClassId::TransNode) && node->HasChannelOfClass(int(ClassId::FrameChannel)))
            animatedNodes.push_back(static_cast<TransNode*>(node));
        for (int i = node->ChildCount() - 1; i >= 0; --i)
            pending.push_back(node->ChildAt(i));
    }
}

void Entity::SetDistanceScaleByClass() {
    if (IsA(this, ClassId::Structure) || IsA(this, ClassId::Wormhole)) {
        distanceScaleFactor = 0.125f;
        distanceScaleExponent = 0.55f;
    } else if (IsA(this, ClassId::Ship) && !IsA(this, ClassId::Weapon)) {
        distanceScaleFactor = 0.125f;
        distanceScaleExponent = 0.65f;
    }
}

int Entity::SetHandle(EntityHandle newHandle) {
    World* world = GetWorld();
    if (!world || newHandle < 0) {
        if (world && world->GetEntity(handle) == this) world->FreeHandle(handle);
        handle = newHandle;
        return 1;
    }
    Entity* there = world->SlotObject(SlotOf(newHandle));
    if (there && there != this) return 0;
    if (there != this) {
        if (world->GetEntity(handle) == this) world->FreeHandle(handle);
        world->SetSlot(newHandle, this);
    }
    const EntityHandle old = handle;
    handle = newHandle;
    if (old >= 0 && old != newHandle) world->ReplaceOwnerHandle(old, newHandle);
    return 1;
}

void Entity::HandleMessage(Message&) {}

void Entity::Acknowledge(const void*) {}

void Entity::SetPlayer(Player* player) {
    owner = player;
}

void Entity::NodeCallback(GeoNode*, Vertex*) {}

void Entity::SetSequencer(Sequencer* shared) {
    if (shared) shared->AddRef();
    if (sequencer) sequencer->Release();
    sequencer = shared;
    sequenceStates = sequencer ? sequencer->CreateStates() : std::vector<SequenceState>();
}

// --- Motion -----------------------------------------------------------------

Vec3 Entity::GetDir() const {
    Vec3 dir(0, 0, 1);
    orientation.RotateVector(dir);
    return dir;
}

Vec3 Entity::GetSpinDir() const {
    Vec3 dir(0, 0, 1);
    spin.RotateVector(dir);
    return dir;
}

void Entity::SetScale(float newScale) {
    scale = newScale;
    sizeFactor = scale * (props ? props->Float(EntityFields().scale) : 1.0f);
    radius = sizeFactor * boundRadius;
}

void Entity::SetMassScale(float newScale) {
    massScale = newScale;
    mass = massScale * (props ? props->Float(EntityFields().mass) : 1.0f);
}

void Entity::Accelerate(const Vec3& v, bool worldAxes) {
    Vec3 change = v;
    if (!worldAxes) orientation.RotateVector(change);
    velocity += change * GetSceneClock().frameTime;
}

void Entity::ApplyImpulse(const Vec3&, const Vec3& v, bool worldAxes, float k) {
    Vec3 change = v;
    if (!worldAxes) orientation.RotateVector(change);
    pendingImpulse += change * k;
}

void Entity::ApplyTorque(const Vec3& point, const Vec3& force, bool worldAxes) {
    Vec3 p = point;
    Vec3 f = force;
    if (worldAxes) {
        Matrix inverse = local;
        // An entity shrunk to nothing has no frame to turn in.
        if (!inverse.InvertAffine()) return;
        inverse.TransformPoint(p);
        inverse.TransformVector(f);
        p = p * sizeFactor;
        f = f * sizeFactor;
    }
    const Vec3 axis = Vec3::Cross(p, f);
    const float length = axis.Length();
    if (!(length > 1e-6f)) return;
    const float half = length * GetSceneClock().frameTime * 0.1f * 0.5f;
    const float s = TableSin(half) / length;
    spin = spin * Quat(axis.x * s, axis.y * s, axis.z * s, TableCos(half));
}

void Entity::PlaceLocalMatrix() {
    local.MakeRotation(orientation);
    for (int e = 0; e < 12; ++e)
        if (e % 4 != 3) local.m[e] *= sizeFactor;
    local.m[12] = position.x;
    local.m[13] = position.y;
    local.m[14] = position.z;
}

bool Entity::IsLinked() const {
    if (ownerHandle < 0 || !(targetLinkNode || linksPending)) return false;
    World* world = GetWorld();
    return world && world->GetEntity(ownerHandle);
}

Vec3 OrbitVelocity(const Entity& body, const Vec3& point, const Vec3& axis) {
    if (body.mass <= 0.0f) return body.velocity;
    const Vec3 offset = point - body.position;
    const float distance = offset.Length();
    if (distance < 0.1f) return Vec3();
    Vec3 direction = Vec3::Cross(offset, axis);
    direction.Normalize();
    const float speed = std::sqrt(body.mass * 0.0005f / distance);
    return direction * speed + body.velocity;
}

// --- Sound slots ------------------------------------------------------------

void Entity::PlayEventSounds(SoundEvent key, int32_t loop) {
    if (!props) return;
    const uint32_t now = GetSceneClock().gameTime;
    for (int s = 0; s < kSoundSlots; ++s) {
        const SoundSlotFields& slot = EntityFields().sound[s];
        if (props->Int(slot.function) != int32_t(key)) continue;
        soundSlots[s].soundId = props->Int(slot.soundId);
        soundSlots[s].startTime = int32_t(now);
        soundSlots[s].loop = loop;
    }
}

void Entity::StopEventSounds(SoundEvent key) {
    if (!props) return;
    for (int s = 0; s < kSoundSlots; ++s)
        if (props->Int(EntityFields().sound[s].function) == int32_t(key))
            soundSlots[s].soundId = -1;
}

} // namespace lumivane
