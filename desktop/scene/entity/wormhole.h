// Wormhole: a gate through which units arrive and leave. Trigger actions
// queue arrivals (spawn records); the gate opens, sends each through at its
// "dummyship" node after its delay, and closes once the queue is empty.
// Units that fly in are listed as travellers and leave the world a moment
// later; a trigger condition takes note of who passed. While it is drawn,
// up to four warps (wave, bulge, ripple, noise) deform its geometry, pulsing
// as it opens.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"

namespace lumivane {

inline constexpr int kWarpCount = 4;

// The Wormhole table (Entity's, then four warps).
const PropDesc* WormholePropDescs();

enum class WarpType : int32_t { None = 0, Wave = 1, Bulge = 2, Ripple = 3, Noise = 4 };
enum class WarpAxis : int32_t { XAndY = 0, X = 1, Y = 2 };

struct WarpFields {
    size_t type, axis, node, intensity, speed, frequency, decayPosition, decayRate, centre;
};
const WarpFields& WarpFieldsOf(int warp); // 0..3

// A unit to send through (56 bytes in files).
struct WormholeSpawn {
    std::string prototype;           // at most 31 characters
    int32_t delay = 0;               // ms after the previous arrival
    EntityHandle handle = kNoEntity; // the handle the unit takes when it is free
    int32_t player = -1;             // passed on to the scene's spawn
    int32_t squad = -1;
    float healthFraction = 1.0f;
    int32_t noDamage = 0;
};

// A unit that flew in (52 bytes in files).
struct WormholeTraveller {
    int32_t player = -1; // owner's index
    std::string prototype;
    float health = 0.0f;
    EntityHandle handle = kNoEntity;
    int32_t exitTime = 0; // game clock
    int32_t noted = 0;    // a trigger condition has taken note of it
};

class Wormhole : public Entity {
public:
    Wormhole();
    Node* Clone() override;
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void InitClone(Node* source) override;
    const PropDesc* GetPropDescs() const override;
    void Update() override;
    void Animate(Entity* entity) override;
    // Deforms a GeoNode's vertices (fresh from the model) by the warps.
    void NodeCallback(GeoNode* node, Vertex* vertices) override;
    void OnCollision(Entity*, const Vec3&) override {}

    // A unit flies in; it leaves the world 2 s after now (4 s when delayed).
    void AddTraveller(Entity* unit, bool delayed);
    bool HasTraveller(EntityHandle unit) const;
    // Queues arrivals; the gate opens.
    void QueueSpawns(std::span<const WormholeSpawn> records);
    // Notes the first unnoted traveller of the player (and, with a name, of
    // that prototype, any case); false when there is none.
    bool TakeTraveller(int32_t player, std::string_view prototypeName);

    float phases[kWarpCount] = {};
    int32_t active = 0;
    float level = 0.0f; // how far open, 0..1
    float pulse = 0.0f; // 1 - cos(pi x level), 0..2
    std::vector<WormholeSpawn> spawns;
    int32_t lastSpawnTime = 0;
    std::vector<WormholeTraveller> travellers;

protected:
    Wormhole(const Wormhole& other) = default;

private:
    bool IsShown() const;
    void UpdateParts();
    void SpawnNext();
    void ClearExit(const Vec3& exit);
    void SendTravellersAway();
    void DetachAllVertices();
    bool WarpReaches(std::string_view warpNode, const Node* node) const;
};

inline Wormhole* AsWormhole(Entity* entity) {
    return IsA(entity, ClassId::Wormhole) ? static_cast<Wormhole*>(entity) : nullptr;
}

} // namespace lumivane
