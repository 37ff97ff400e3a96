// Collection: a swarm of objects scattered about a point, such as an
// asteroid belt. Up to ten object groups each name a prototype, how many to
// make and how their sizes, spins and speeds vary; members are placed in a
// ring sector (radius, height angle, arc) without overlapping anything
// solid, travel with the collection, and may be held near their home points
// by a spring. Changing the group properties of a live collection makes or
// removes members at once.
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"

namespace lumivane {

inline constexpr int kCollectionGroups = 10;
inline constexpr int kMemberDraws = 16;
inline constexpr int kPlacementTries = 20;
inline constexpr int32_t kMaxGroupCount = 200; // members of one group

// The Collection table (Entity's, then the spread and the ten groups).
const PropDesc* CollectionPropDescs();

struct CollectionGroupFields {
    size_t type, count, scale, scaleSpread, scaleHealth, scaleMass, scaleSpin, scaleVelocity, spin,
        spinSpread, velocity, velocitySpread;
};
struct CollectionPropFields {
    size_t reset, spawnRadius, spawnRadiusSpread, heightAngle, arc, arcSpread, springForce,
        springOffset;
    CollectionGroupFields group[kCollectionGroups];
};
const CollectionPropFields& CollectionFields();

// A member (84 bytes in files): its handle, its group, the numbers drawn
// when it was made, and the point its spring pulls it to.
struct CollectionMember {
    EntityHandle handle = kNoEntity;
    int32_t group = 0;
    float draws[kMemberDraws] = {};
    Vec3 home;
};

class Collection : public Entity {
public:
    Collection();
    Node* Clone() override;
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void InitClone(Node* source) override;
    const PropDesc* GetPropDescs() const override;
    // Entity's block, and a collection itself collides with nothing.
    void CreateProps() override;
    void Update() override;
    void UpdateLinks(int arg) override;
    void ApplyProps(int32_t field) override;

    // Every member slot holding that handle gets a fresh member of its group.
    void RespawnMember(EntityHandle member);
    // A member taken in tow leaves the collection: it is no longer carried
    // or pulled home, and its slot stays empty.
    void ReleaseMember(EntityHandle member);

    std::vector<CollectionMember> members;
    int32_t resetRequest = 0;
    Matrix previousMatrix;
    bool previousValid = false;

protected:
    Collection(const Collection& other) = default;

private:
    bool HasCollectionBlock() const;
    void RemoveMember(CollectionMember& member);
    void RespawnAll();
    void RespawnGroup(int group);
    void ResizeGroup(int group);
    // Makes a member of the group in the slot; false when none could be made.
    bool SpawnMember(int group, CollectionMember& slot);
    Vec3 PlacementDraw(float& elevation, float& azimuth, float& distance) const;
    bool Overlaps(const Entity& member, const Vec3& at) const;
    void CarryMembers();
    void PullMembers();
};

inline Collection* AsCollection(Entity* entity) {
    return IsA(entity, ClassId::Collection) ? static_cast<Collection*>(entity) : nullptr;
}

} // namespace lumivane
