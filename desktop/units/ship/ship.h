// Ship: the base of every unit a player owns (ships, stations, structures,
// weapons and projectiles). To the Entity it adds an owner and a place in a
// squad, an optional pilot, an order state driven once per frame, a build
// queue, fire control, a fade used when a unit appears or is scrapped, the
// thruster levels that drive engine effects and sounds, and the ship
// property block. Orders arrive as message records (ship_orders.cpp); the
// flying is in ship_thrust.cpp, ship_steering.cpp and ship_formation.cpp.
// Fighting is in combat/ (the attack states, fire control and the turret
// helpers); building is in ship_build.cpp and departing, repair and
// scrapping in ship_service.cpp. The class states are virtual slots that do
// nothing here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ranges>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/units/combat/turret_block.h"
#include "desktop/units/ship/ship_props.h"

namespace lumivane {

class Message;
class Pilot;
class Squad;

inline constexpr int kMaxChoiceItems = 9;
inline constexpr int kMaxBuildQueue = 100;
// Until this long after the tow lock time the unit neither thrusts nor turns.
inline constexpr int32_t kTowLockMs = 3000;
inline constexpr int32_t kSelfDestructDelayMs = 6000;

// The thruster levels; the first six are saved, the last is raised only by
// unit classes and read by emitters of kinds 25..27.
enum Thruster : int {
    kTurnLeft,
    kTurnRight,
    kMain,
    kPitchUp,
    kPitchDown,
    kReverse,
    kExtraThruster,
    kThrusterCount
};
inline constexpr int kSavedThrusters = 6;

struct BuildQueueItem {
    int32_t choice = 0; // 0..9: "construct1".."construct10"
    EntityHandle site = kNoEntity;
    std::string siteNode; // at most 31 characters
    int32_t squad = 0;
};

// An order put aside by auto attack or repair and taken up again later.
struct SavedOrder {
    int32_t state = kOrderFollow;
    EntityHandle target = kNoEntity;
    Vec3 movePoint;
    float followDistance = 0.0f;
    Vec3 followOffset;
    std::string node;
};

class Ship : public Unit {
public:
    Ship();
    // Releases the pilot and its model.
    ~Ship() override;

    // --- Entity operations --------------------------------------------------
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void InitClone(Node* source) override;
    void Update() override;
    // After the node animation, the engine emitters follow the thrusters.
    void Animate(Entity* entity) override;
    const PropDesc* GetPropDescs() const override;
    void ApplyProps(int32_t field) override;
    void SetPlayer(Player* player) override;
    void HandleMessage(Message& message) override;

    // --- Building -----------------------------------------------------------
    // Refused for a choice outside 0..9, a choice with 9 items queued or a
    // queue of 100.
    void AddToBuildQueue(int choice, int squadNumber, EntityHandle site,
                         std::string_view siteNode) override;
    // Drops the newest item of the choice; dropping the head cancels the
    // build in progress and refunds what was paid.
    virtual void RemoveFromBuildQueue(int choice);
    virtual void UpdateBuild();
    virtual void PlayBuildStart();
    virtual void OnBuildComplete();

    // --- Fading -------------------------------------------------------------
    virtual void BeginFade();
    virtual void SetFade(float level);
    virtual void EndFade();

    // --- Order handlers (the slots of the state table) ----------------------
    virtual void Fire();
    // Orbits the world's Sun when there is one, else idles.
    void FinishOrder() override;
    virtual void Stop();
    virtual void UpdateMove();
    virtual void UpdateFollow();
    virtual void UpdateAttack();
    // 1 when within `distance` of the target's approach node (or when either
    // is missing).
    virtual int UpdateMoveToNode(float distance);
    // facingMode 2: the node's forward axis; 1: the target's; 0: the node.
    virtual int ApproachNode(float arriveDistance, float time, float speed, int facingMode);
    virtual void UpdateState9();
    virtual void UpdateState10();
    virtual void UpdateState11();
    virtual void UpdateHunt();
    virtual void UpdateAutoTarget();
    virtual void AssistLeader();
    virtual void UpdateDeparture();
    virtual void UpdateRepair();
    virtual void UpdateState14();
    virtual int CanRepair();
    // Asks for repair with an order addressed to itself.
    virtual void RequestSelfOrder();
    virtual void UpdateScrap();
    virtual int CanScrap();
    // What scrapping gives back now: half the cost (a quarter for a PodBay)
    // scaled by the share of health left.
    float ScrapRefund() const;
    virtual int CanTow(Entity* object);
    // A pod restocks one craft of a carrier's bay; 1 when one was restocked.
    // Units without a bay have nothing to restock.
    virtual int RestockBay() { return 0; }
    virtual void UpdateShadow();
    virtual void KeepFormation();
    virtual void UpdateTargetList();
    virtual void UpdateWaypoints();
    // Whether a command button shows as active (blinking ones alternate
    // with the clock) and whether it is available now.
    virtual int IsOrderActive(int code);
    virtual int CanAcceptOrder(int code);

    // --- Combat -------------------------------------------------------------
    // Makes the weapon prototype in the world and launches it from the
    // transform at `aim`, turned by a random "scatter angle"; null when the
    // prototype is missing or no weapon.
    virtual Entity* LaunchWeapon(std::string_view prototype, const Matrix& transform,
                                 EntityHandle aim);
    // Ship's reload rule: "reload time" with its random "reload time
    // spread", in ms from one shot to the next.
    int32_t ReloadDelayMs() const;
    // The "weapon" launched from the transform at `aim` (see LaunchWeapon).
    Entity* LaunchMainWeapon(const Matrix& transform, EntityHandle aim);
    // The turret helpers of multi-turret classes; `angles` is the class's
    // way of turning a direction into turret yaw and pitch.
    void PickTurretTarget(TurretBlock& block, TurretAngles angles = StandardTurretAngles);
    // A sound key of 0 or more loops the event sounds of that key while the
    // turret turns.
    void AimTurret(TurretBlock& block, const Vec3& point, int soundKey,
                   TurretAngles angles = StandardTurretAngles);
    void Wander(TurretBlock& block, int soundKey, TurretAngles angles = StandardTurretAngles);
    void PoseTurret(TurretBlock& block);
    int IsInFireCone(const TurretBlock& block, const Vec3& point) const;

    // --- Thrust (commands are scaled by "thrust") ---------------------------
    virtual void ThrustForward(float amount);
    virtual void ThrustLateral(float amount);
    virtual void ThrustVertical(float amount);

    // --- Steering -----------------------------------------------------------
    void YawTorque(float command);
    void PitchTorque(float command);
    void RollTorque(float command);
    void TurnTowards(const Vec3& direction);
    void MatchVelocity(const Vec3& wanted);
    void ArriveAt(const Vec3& point);
    // Flies to the point, around what is in the way.
    void SteerTo(const Vec3& point);
    // SteerTo the entity's position in its moving frame.
    void ApproachTarget(Entity* entity);
    // Moves every waypoint with what it rides on (or about the Sun).
    void AdvanceWaypoints();
    // Where a member of index k flies in the leader's formation.
    Vec3 FormationPosition(int kind, float spacing, int k, Ship* leader);

    // --- Orders -------------------------------------------------------------
    // The per-frame dispatch of the order state.
    void UpdateOrder();
    // With slot < 0 the unit takes the squad's first free place (false and
    // no change when it is full), else that slot; it leaves its old squad.
    bool SetSquad(Squad* newSquad, int slot) override;
    // A squad block of the scene-state file names the unit.
    void JoinSquadFromFile(Player* player, Squad* newSquad, int slot) override;
    void SaveCurrentOrder();
    void RestoreSavedOrder();
    // Follows the world's Sun (the order a finished unit is left with).
    bool FollowsSun() const;

    // --- Properties ---------------------------------------------------------
    // The property block when it is a ship block (shared with the prototype
    // and every clone), else null: a unit made before its class was known
    // reads the table's defaults.
    PropBlock* ShipBlock() const;
    float ShipFloat(size_t offset, float fallback) const;
    int32_t ShipInt(size_t offset, int32_t fallback) const;
    bool ShipFlag(size_t offset, bool fallback) const;
    // 1 human, 2 and 3 the other races: explosions, damage effects, fades.
    int32_t Race() const override;
    // The "sensor range" property (the sensor chains' sphere).
    float SensorRange() const override;
    int32_t PilotType() const;
    bool TargetForEnemies() const override;
    float TopSpeed() const override;
    // Obeys move orders (and bounces off what it hits).
    bool CanMove() const override;
    bool TaskGather() const override;

    bool IsFadingOut() const override { return fadeFlag != 0; }
    // Leads its squad with a formation kind set (it then flies slower).
    bool LeadsFormation() const override;
    // The announcement of its unit class when it is attacked; -1 for none.
    int32_t DamageAnnouncement() const override { return -1; }
    bool TowLocked() const;

    // --- Build queue queries ------------------------------------------------
    // The prototype name of "construct<choice + 1>", empty when unset.
    std::string_view BuildChoiceName(int choice) const;
    // The choice whose name is the prototype's (any case), or -1.
    int BuildChoiceOf(std::string_view prototype) const override;
    // Items queued for that prototype.
    int QueuedCount(std::string_view prototype) const override;
    bool HasQueuedSite(EntityHandle site, std::string_view node) const override;

    // --- Pilot --------------------------------------------------------------
    // Holds the pilot; the old one is released.
    void SetPilot(Pilot* newPilot);
    bool IsBuilding() const override { return building != 0; }
    int32_t OwnedCraftCount() const override { return ownedCraft; }
    int32_t CarriedCount() const override { return carried; }
    // Takes a reference to the pilot model riding at "dummypilot".
    void SetPilotModel(Entity* model);
    // A human unit (not a weapon) takes a pilot of the roster; a unit with a
    // "pilot type" carries the pilot model of that number.
    void TakeCrew() override;
    // A voice event of a piloted unit of the local player.
    void PilotVoice(int code);

    // --- Fields -------------------------------------------------------------
    Pilot* pilot = nullptr;
    Entity* pilotModel = nullptr;

    Vec3 movePoint;
    float followDistance = 0.0f;
    Vec3 followOffset;
    std::string approachNode; // at most 31 characters
    int32_t farMove = 0;
    int32_t orbiting = 0;
    uint8_t formationKind = 0;
    float formationSpacing = 32.0f;
    int32_t lastOrderTick = -1;

    std::vector<EntityHandle> targetList;
    std::vector<Vec3> waypoints;
    std::vector<EntityHandle> waypointRiders; // -1: fixed in space
    int32_t currentWaypoint = 0;

    SavedOrder savedOrder;
    Vec3 returnPoint;

    uint8_t queuedCounts[kBuildChoices] = {};
    std::vector<BuildQueueItem> buildQueue;
    EntityHandle buildUnit = kNoEntity;
    EntityHandle buildConnector = kNoEntity;
    int32_t amountPaid = 0;
    float buildProgress = 0.0f;
    int32_t queueChanged = 0;
    int32_t lastBuildEnd = 0;
    int32_t building = 0;
    float buildDuration = 0.0f;

    int32_t fadeFlag = 0;
    float fadeLevel = 0.0f;

    int32_t fireRequest = 0;
    int32_t selfDestructTime = 0; // 0: not armed
    int32_t lastFireTime = 0;
    int32_t nextFireTime = 1;
    float viewWord = 1.0f; // read by the camera and the command interface
    EntityHandle avoidance = kNoEntity;
    Vec3 avoidancePoint;
    int32_t towLockTime = -kTowLockMs;

    int32_t autoAttack = 1;
    int32_t autoPursue = 0;
    int32_t autoRepair = 0;

    float thrusters[kThrusterCount] = {};
    Node* weaponNode = nullptr; // "dummyweapon" of the model, or null
    float projectileSpeed = 0.0f;
    float sensorRange = 20.0f;

    // Words of the unit classes.
    int32_t combat = 0;   // fighting this frame
    int32_t holdWord = 0; // keeps an unattached fading unit alive
    int32_t carried = 0;  // units or cargo aboard
    int32_t ownedCraft = 0;

protected:
    // Copies what a clone takes over; the pilot, the squad, the player
    // record, the lists and the build queue are the clone's own (empty).
    Ship(const Ship& other);

    // The frame steps of Update.
    void DecayThrusters(float frameTime);
    void ConsiderAutoAttack();
    void ConsiderAutoRepair();
    void AlignVelocity();
    void KeepInsideScene();
    void UpdateSoundSlots();
    // Avoidance of SteerTo: the obstacle on the way to the point, if any.
    void FindObstacle(const Vec3& point);
    // While auto attack chases, the order it interrupted moves on: a move
    // point and the return point orbit the Sun (or follow the shadowed
    // unit) and a path advances.
    void CarrySavedOrder();
    // The steps of UpdateBuild: making the unit (and its connector), paying
    // for the progress, and the completion.
    bool StartBuild(const Ship& prototype, BuildQueueItem& item);
    void PayForProgress(float cost);
    void FinishBuild(float cost, Ship* unit, Ship* connector);
    // Repair without a pod to fly to: the interrupted order runs for this
    // frame and stays saved as far as it got.
    void RunSavedOrderForFrame();

private:
    void ResetPlayerRecord();
    // The part of the record after the Entity's.
    void SaveShipRecord(platform::BinaryWriter& file) const;
    bool LoadShipRecord(platform::BinaryReader& file, uint32_t version);
};

// Every unit of the scene engine is a ship of this library.
inline Ship* ShipOf(Unit* unit) {
    return static_cast<Ship*>(unit);
}
inline const Ship* ShipOf(const Unit* unit) {
    return static_cast<const Ship*>(unit);
}
// The units a player or a squad holds, as ships (empty slots stay null).
inline auto Ships(std::span<Unit* const> units) {
    return units | std::views::transform([](Unit* unit) { return static_cast<Ship*>(unit); });
}

// The node as a ship, or null.
inline Ship* AsShip(Node* node) {
    return IsA(node, ClassId::Ship) ? static_cast<Ship*>(node) : nullptr;
}
inline const Ship* AsShip(const Node* node) {
    return IsA(node, ClassId::Ship) ? static_cast<const Ship*>(node) : nullptr;
}

} // namespace lumivane
