// Collection: its property table, the reset that makes its members, members
// carried along and held by the spring, its link placement, and its answer
// to changed properties.
#include "desktop/scene/entity/collection.h"

#include <algorithm>
#include <cmath>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

using T = PropType;

std::vector<PropDesc> BuildCollectionTable() {
    PropTableBuilder b;
    b.Flag("Reset", false);
    b.Value("Spawn radius", T::Float, 0, 100, 1.0f);
    b.Value("Spawn radius spread", T::Float, 0, 100, 0);
    b.Value("Height angle", T::Angle, 0, kPi / 2, kPi / 2);
    b.Value("Arc", T::Angle, 0, 2 * kPi, 0);
    b.Value("Arc spread", T::Angle, 0, kPi, kPi);
    b.Value("Spring force", T::Float, 0, 10, 0);
    b.Value("Spring offset", T::Float, 0, 10, 0);
    for (int g = 1; g <= kCollectionGroups; ++g) {
        const std::string n = "Object " + std::to_string(g) + " ";
        const std::string title = "Object " + std::to_string(g);
        b.Group(title);
        b.Text(n + "type", T::Name);
        b.Value(n + "count", T::Integer, 0, 200, 0);
        b.Value(n + "scale", T::Float, 0.01f, 10, 1.0f);
        b.Value(n + "scale spread", T::Float, 0, 10, 0);
        b.Flag(n + "scale health", true);
        b.Flag(n + "scale mass", true);
        b.Flag(n + "scale spin", true);
        b.Flag(n + "scale velocity", true);
        b.Value(n + "spin", T::Angle, -2 * kPi, 2 * kPi, 0);
        b.Value(n + "spin spread", T::Angle, 0, 2 * kPi, 0);
        b.Value(n + "velocity", T::Float, 0, 1, 0);
        b.Value(n + "velocity spread", T::Float, 0, 1, 0);
        b.EndGroup(title);
    }
    return b.End("Collection", EntityPropDescs());
}

size_t Offset(const std::string& name) {
    return PropDesc::OffsetOf(CollectionPropDescs(), name);
}

CollectionPropFields MakeFields() {
    CollectionPropFields f{};
    f.reset = Offset("Reset");
    f.spawnRadius = Offset("Spawn radius");
    f.spawnRadiusSpread = Offset("Spawn radius spread");
    f.heightAngle = Offset("Height angle");
    f.arc = Offset("Arc");
    f.arcSpread = Offset("Arc spread");
    f.springForce = Offset("Spring force");
    f.springOffset = Offset("Spring offset");
    for (int g = 0; g < kCollectionGroups; ++g) {
        const std::string n = "Object " + std::to_string(g + 1) + " ";
        f.group[g] = {Offset(n + "type"),         Offset(n + "count"),
                      Offset(n + "scale"),        Offset(n + "scale spread"),
                      Offset(n + "scale health"), Offset(n + "scale mass"),
                      Offset(n + "scale spin"),   Offset(n + "scale velocity"),
                      Offset(n + "spin"),         Offset(n + "spin spread"),
                      Offset(n + "velocity"),     Offset(n + "velocity spread")};
    }
    return f;
}

} // namespace

const PropDesc* CollectionPropDescs() {
    static const std::vector<PropDesc> table = BuildCollectionTable();
    return table.data();
}

const CollectionPropFields& CollectionFields() {
    static const CollectionPropFields fields = MakeFields();
    return fields;
}

Collection::Collection() {
    classId = uint8_t(ClassId::Collection);
}

Node* Collection::Clone() {
    auto* copy = new Collection(*this);
    copy->InitClone(this);
    return copy;
}

void Collection::InitClone(Node* source) {
    Entity::InitClone(source);
    members.clear();
    previousValid = false;
    resetRequest = 1;
}

const PropDesc* Collection::GetPropDescs() const {
    return CollectionPropDescs();
}

void Collection::CreateProps() {
    Entity::CreateProps();
    props->SetValue("can collide", 0);
}

bool Collection::HasCollectionBlock() const {
    return props && props->Table() == CollectionPropDescs();
}

void Collection::Update() {
    Entity::Update();
    if (resetRequest) {
        RespawnAll();
        resetRequest = 0;
    }
    CarryMembers();
    PullMembers();
}

void Collection::CarryMembers() {
    World* world = GetWorld();
    if (previousValid && world) {
        Matrix back = previousMatrix;
        // From where the collection was to where it is now.
        if (back.InvertAffine()) {
            const Matrix move = back * local;
            for (CollectionMember& member : members) {
                Entity* e = world->GetEntity(member.handle);
                if (!e) continue;
                move.TransformPoint(e->position);
                move.TransformPoint(member.home);
            }
        }
    }
    previousMatrix = local;
    previousValid = true;
}

void Collection::PullMembers() {
    World* world = GetWorld();
    const float k = HasCollectionBlock() ? props->Float(CollectionFields().springForce) : 0.0f;
    if (k == 0.0f || !world) return;
    for (const CollectionMember& member : members)
        if (Entity* e = world->GetEntity(member.handle))
            e->Accelerate((e->position - member.home) * -k, true);
}

void Collection::UpdateLinks(int arg) {
    // Every frame, not once per clock value.
    if (ownerHandle < 0 || !ResolveLinkTarget(arg)) return;
    if (!IsA(targetLinkNode, ClassId::TransNode)) return;
    // Only the node's place: the collection keeps turning by its own spin.
    const Vec3 oldPosition = position;
    position = static_cast<TransNode*>(targetLinkNode)->GetWorldMatrix().GetTranslation();
    const float frameTime = GetSceneClock().frameTime;
    Quat turn = spin;
    turn.Pow(frameTime * 10.0f);
    orientation = orientation * turn;
    const bool moved = frameTime > 0.0f && !(oldPosition == Vec3());
    velocity = moved ? (position - oldPosition) * (1.0f / frameTime) : Vec3();
    pendingImpulse = Vec3();
    local.MakeRotation(orientation);
    local.m[12] = position.x;
    local.m[13] = position.y;
    local.m[14] = position.z;
}

void Collection::ApplyProps(int32_t field) {
    if (field == kAllProps || !HasCollectionBlock() || !Prototype()) {
        Entity::ApplyProps(field);
        return;
    }
    const CollectionPropFields& f = CollectionFields();
    if (field == int32_t(f.reset)) {
        RespawnAll();
        return;
    }
    for (int g = 0; g < kCollectionGroups; ++g) {
        if (field == int32_t(f.group[g].type)) {
            RespawnGroup(g);
            return;
        }
        if (field == int32_t(f.group[g].count)) {
            ResizeGroup(g);
            return;
        }
    }
    Entity::ApplyProps(field);
}

void Collection::RemoveMember(CollectionMember& member) {
    World* world = GetWorld();
    if (Entity* e = world ? world->GetEntity(member.handle) : nullptr)
        world->QueueRemove(e, nullptr, false);
    member.handle = kNoEntity;
}

void Collection::RespawnAll() {
    for (CollectionMember& member : members)
        RemoveMember(member);
    members.clear();
    if (!HasCollectionBlock()) return;
    for (int g = 0; g < kCollectionGroups; ++g)
        ResizeGroup(g);
}

void Collection::RespawnGroup(int group) {
    for (CollectionMember& member : members)
        if (member.group == group) {
            RemoveMember(member);
            SpawnMember(group, member);
        }
}

void Collection::ResizeGroup(int group) {
    const int32_t wanted =
        std::clamp(props->Int(CollectionFields().group[group].count), int32_t(0), kMaxGroupCount);
    int32_t have = 0;
    for (const CollectionMember& member : members)
        have += member.group == group;
    // Surplus members go, the last first.
    for (auto it = members.end(); have > wanted && it != members.begin();) {
        --it;
        if (it->group != group) continue;
        RemoveMember(*it);
        it = members.erase(it);
        --have;
    }
    for (; have < wanted; ++have) {
        CollectionMember member;
        if (!SpawnMember(group, member)) break; // no such prototype
        members.push_back(member);
    }
}

void Collection::RespawnMember(EntityHandle member) {
    if (member < 0) return;
    for (CollectionMember& slot : members)
        if (slot.handle == member) {
            RemoveMember(slot);
            SpawnMember(slot.group, slot);
        }
}

void Collection::ReleaseMember(EntityHandle member) {
    if (member < 0) return;
    for (CollectionMember& slot : members)
        if (slot.handle == member) slot.handle = kNoEntity;
}

} // namespace lumivane
