// Entity: the scene object everything in the world derives from (bodies,
// lights, particle systems, ships and weapons). A TransNode with a second
// base, PropContainer, it adds a world handle, motion (position, velocity,
// orientation, spin, mass, pending impulse), gravity, health with damage and
// self-repair, spawned parts, links that attach it to a node of another
// entity, five property-driven sound slots, per-player identification, an
// animation sequencer shared with its prototype and its own play states, and
// its record in object files. Prototypes live in the model library; scene
// entities are clones of them and share their property block and sequencer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/scene/entity/prop_block.h"
#include "desktop/scene/entity/prop_container.h"
#include "desktop/scene/entity/entity_props.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/world/entity_handle.h"

namespace lumivane {

class GeoNode;
class Message;
class Player;
struct Vertex;

inline constexpr int kIdentifiedPlayers = 6;
inline constexpr int kMaxSavedSequenceStates = 50;

// Part kinds of spawned parts, read by the unit code.
inline constexpr int32_t kPartKindLight = 28;
inline constexpr int32_t kPartKindDamageSmoke = 29; // below three quarters of health
inline constexpr int32_t kPartKindDamageFire = 30;  // below one quarter

struct SpawnedPart {
    EntityHandle handle = kNoEntity;
    int32_t kind = 0;
};

// What a sound slot is playing, for the sound manager.
struct SoundSlotState {
    int32_t soundId = -1;
    float volume = 1.0f;
    int32_t startTime = 0; // game clock
    int32_t loop = 1;
};

// The best candidate while picking under the cursor.
struct PickRecord {
    Entity* best = nullptr;
    int32_t exact = 0;
    float distance = 0.0f;
    float exactDistance = 3.4028235e38f;
    float miss = 3.4028235e38f;
};

// Keys of Entity::PlayEventSounds: the sound slots' "function" choices.
enum class SoundEvent : int32_t {
    Ambient = 0,
    Thrust = 1,
    Manuevaring = 2,
    ThrustAndManuevaring = 3,
    WeaponFire = 4,
    UnitSpecific1 = 5,
    UnitSpecific2 = 6,
};

class Entity : public TransNode, public PropContainer {
public:
    Entity();
    ~Entity() override;

    // --- Node operations ----------------------------------------------------
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void InitClone(Node* source) override;
    void Update() override;
    void UpdateLinks(int arg) override;
    void Intersect(const Vec3& origin, const Vec3& direction, PickRecord* pick,
                   bool retry) override;
    // An entity counts as a leaf.
    int SumOverChildren() override { return 0; }

    // --- Properties ---------------------------------------------------------
    const PropDesc* GetPropDescs() const override;
    void CreateProps() override;
    void PropChanged(int32_t field) override;
    size_t GetPropsSize() const override;
    // Reads "properties\<node name>.prp" below the data root when no file is
    // given (a missing file keeps the defaults), then PropChanged(all).
    virtual void LoadProps(platform::BinaryReader* file);
    // Re-derives the fields that follow the value at `field` (or all).
    virtual void ApplyProps(int32_t field);
    // A value of the class's chain by name (exact case): flags, numbers and
    // texts; 0 or empty when the class has no such value.
    bool PropFlag(std::string_view name) const;
    float PropFloat(std::string_view name) const;
    int32_t PropInt(std::string_view name) const;

    // --- Entity operations --------------------------------------------------
    // Moves the entity to a given handle; 0 when another entity holds it.
    virtual int SetHandle(EntityHandle newHandle);
    virtual float ComputeScreenSize();
    virtual void RecomputeBound();
    // An order record; units may mark it (see Ship::HandleMessage).
    virtual void HandleMessage(Message& message);
    // A notice from the command interface (an overlay code); empty here.
    virtual void Acknowledge(const void* notice);
    virtual void SetPlayer(Player* player);
    virtual float GetDistanceScale() const;
    // Called with each GeoNode of the entity and the vertices being prepared.
    virtual void NodeCallback(GeoNode* node, Vertex* vertices);
    virtual void OnCollision(Entity* other, const Vec3& normal);
    // Spawns the explosion and the debris; null when already leaving.
    virtual Entity* Explode();
    // 1 when the entity dies of it.
    virtual int TakeDamage(float amount);
    virtual void Repair(float amount);
    // Clones the prototype `name` into the world beside this entity,
    // attached at `node` when one is given.
    virtual Entity* SpawnPart(std::string_view name, Node* node);

    // --- Motion -------------------------------------------------------------
    Vec3 GetVelocity() const { return velocity; }
    void SetRot(const Quat& rotation) { orientation = rotation; }
    Quat GetRot() const { return orientation; }
    void SetSpin(const Quat& turn) { spin = turn; }
    Vec3 GetDir() const;     // +Z turned by the orientation
    Vec3 GetSpinDir() const; // +Z turned by the spin
    void SetScale(float newScale);
    void SetMassScale(float newScale);
    void Accelerate(const Vec3& v, bool worldAxes);
    void ApplyImpulse(const Vec3& point, const Vec3& v, bool worldAxes, float k);
    void ApplyTorque(const Vec3& point, const Vec3& force, bool worldAxes);
    // The local matrix from position, orientation and size factor.
    void PlaceLocalMatrix();
    // Linked to a node of an entity that still resolves.
    bool IsLinked() const;

    // --- Sounds -------------------------------------------------------------
    void PlayEventSounds(SoundEvent key, int32_t loop);
    void StopEventSounds(SoundEvent key);

    // Holds a reference; the states start over, one per sequence.
    void SetSequencer(Sequencer* shared);
    // Finds the nodes of this tree that hold a frame channel.
    void CollectAnimatedNodes();

    // Fields, in the record's terms.
    std::shared_ptr<PropBlock> props; // shared with the prototype
    EntityHandle handle = kNoEntity;
    float sizeFactor = 1.0f; // scale x "scale"
    float scale = 1.0f;
    Vec3 position;
    Vec3 velocity;
    Quat orientation;
    Quat spin; // turn per 0.1 s
    float massScale = 1.0f;
    float mass = 1.0f;
    Vec3 pendingImpulse;
    EntityHandle gravityParent = kNoEntity;
    int32_t linkClock = 999999;
    EntityHandle ownerHandle = kNoEntity;
    Node* targetLinkNode = nullptr; // in the owner's tree
    Node* ownLinkNode = nullptr;    // in this tree
    uint8_t canCollide = 1;
    uint8_t linkByte = 0;
    uint8_t targetLinkIndex = 0;
    uint8_t ownLinkIndex = 0;
    uint8_t linksPending = 0;
    std::string targetLinkName;
    std::string ownLinkName;
    float radius = 1.0f;      // size factor x bound radius
    float boundRadius = 1.0f; // of the model
    Sequencer* sequencer = nullptr;
    std::vector<SequenceState> sequenceStates;
    float health = 1.0f;
    float healthScale = 1.0f;
    std::vector<GeoNode*> lodNodes; // each held
    int16_t legacyCount = 0;
    int16_t legacyValue = 0;
    std::vector<float> lodThresholds;
    int8_t lodLevel = -1;
    int8_t nextLodLevel = -1;
    float screenSize = 1.0f;
    std::vector<SpawnedPart> spawnedParts;
    std::vector<TransNode*> animatedNodes;
    SoundSlotState soundSlots[kSoundSlots];
    uint8_t ownsPropertyBlock = 0;
    uint8_t noFlareOcclusion = 0;
    uint8_t noDamage = 0;
    uint8_t firstFrameDone = 0;
    uint8_t haloFlags[2] = {0, 0};
    uint8_t sphereEdit = 0;
    int32_t editedSphere = 0;
    uint8_t selected = 0;
    uint8_t crosshairActive = 0;
    uint32_t crosshairStart = 0;    // real-time clock (ms) when it appeared
    uint32_t crosshairDieStart = 0; // when it began vanishing; 0 while it stays
    uint8_t pulsing = 0;
    uint8_t highlighted = 0;
    uint8_t seeAll = 0;
    uint8_t proxy = 0;
    int32_t identification[kIdentifiedPlayers] = {};
    Player* owner = nullptr;
    float distanceScaleFactor = 0.0f;
    float distanceScaleExponent = 0.0f;

protected:
    // The field copy of cloning; InitClone then makes the clone's own parts.
    Entity(const Entity& other);
    // The offset of a value of the class's chain, or -1.
    int64_t FindProp(std::string_view name, PropType* type) const;
    // The first-frame step: parts from the properties and link nodes.
    void SpawnPropertyParts();
    void ApplyGravity(float frameTime);
    void Integrate(float frameTime);
    void SelfRepair(float frameTime);
    void EditBoundSpheres();
    void ApplyFrameChannels();
    void SetDistanceScaleByClass();
    void ReleaseLodNodes();
    // The entity this one is linked to, its own links brought up to date
    // first (when `arg` asks) and the link nodes found after a load; null,
    // with the link cleared, when it no longer lives.
    Entity* ResolveLinkTarget(int arg);
    // Keeps an object of an old file alive as long as this entity, since
    // later objects of the stream may refer to it.
    void HoldLegacyObject(Unknown* object);

private:
    bool SaveEntityRecord(platform::BinaryWriter& file, ObjectTable& table);
    bool LoadEntityRecord(platform::BinaryReader& file, ObjectTable& table, uint32_t version);
    void AdoptPrototype(Entity* proto);

    // Link nodes and attached objects of old files, kept alive with the
    // stream's object table that may name them.
    std::vector<Unknown*> heldLegacyObjects;
};

// The node of `tree` that was cloned from `original`, or null.
Node* FindCloneOf(Node* tree, const Node* original);

// The velocity of a circular orbit about `body` through `point`, turning
// about `axis`.
Vec3 OrbitVelocity(const Entity& body, const Vec3& point, const Vec3& axis);

} // namespace lumivane
