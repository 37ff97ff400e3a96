// The four multi-turret classes: their turret ranges, nodes, records and
// the way each hull holds its stand-off.
#include "desktop/units/turret/turret_ships.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/units/ship_base/body_tilt.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr float kHalfPi = 0.5f * kPi;
constexpr float kUnlimited = 17.435841f; // far beyond a turn each way

struct BlockRanges {
    float yawMax, yawMin, pitchMax, pitchMin, startYaw;
};

void SetRanges(TurretBlock& block, const BlockRanges& r) {
    block = TurretBlock();
    block.yawMax = r.yawMax;
    block.yawMin = r.yawMin;
    block.pitchMax = r.pitchMax;
    block.pitchMin = r.pitchMin;
    block.yaw = r.startYaw;
}

std::string Numbered(const char* stem, int n) {
    return stem + std::to_string(n);
}

void BindBlock(Node& unit, TurretBlock& block, const std::string& yaw, const std::string& pitch,
               const std::string& aim) {
    block.yawNode = yaw.empty() ? nullptr : unit.FindByName(yaw);
    block.pitchNode = pitch.empty() ? nullptr : unit.FindByName(pitch);
    block.aimNode = aim.empty() ? nullptr : unit.FindByName(aim);
}

} // namespace

// --- CapitolShip ------------------------------------------------------------

CapitolShip::CapitolShip() : TurretShip(6) {
    classId = uint8_t(ClassId::CapitolShip);
    constexpr BlockRanges kRanges[6] = {
        {0.0f, -kHalfPi, 1.3962635f, -1.7453293f, 0.0f},
        {kHalfPi, 0.0f, 1.3962635f, -1.7453293f, 0.0f},
        {-0.3490659f, -kHalfPi, 2.4434609f, -2.9670599f, 0.0f},
        {kHalfPi, 0.3490659f, kUnlimited, -kUnlimited, 0.0f},
        {0.0f, -kHalfPi, kUnlimited, -kUnlimited, 0.0f},
        {kHalfPi, 0.0f, kUnlimited, -kUnlimited, 0.0f},
    };
    for (int i = 0; i < 6; ++i)
        SetRanges(blocks[i], kRanges[i]);
}

Node* CapitolShip::Clone() {
    auto* copy = new CapitolShip(*this);
    copy->InitClone(this);
    return copy;
}

void CapitolTurretAngles(const Vec3& local, float& yaw, float& pitch) {
    Vec3 direction = local;
    direction.Normalize();
    pitch = direction.y == 0.0f ? 0.0f : std::atan2(direction.x, direction.y);
    yaw = std::asin(std::clamp(direction.z, -1.0f, 1.0f));
}

TurretAngles CapitolShip::Angles() const {
    return CapitolTurretAngles;
}

void CapitolShip::SteerForAttack(const Vec3& point, const Vec3& toTarget) {
    if ((point - position).Length() < 4.0f * radius) {
        ArriveAt(point);
        TurnTowards(toTarget);
    } else {
        SteerTo(point);
    }
}

void CapitolShip::BindNodes() {
    // The pitch mount swings the yaw mount, whose barrel is the aim.
    for (int n = 1; n <= 6; ++n)
        BindBlock(*this, blocks[n - 1], Numbered("turretyaw", n), Numbered("turretpitch", n),
                  Numbered("turretyaw", n));
}

bool CapitolShip::LoadOwnFields(platform::BinaryReader& file, uint32_t version) {
    return version < kBlocksFrom || TurretShip::LoadOwnFields(file, version);
}

// --- Cruiser ----------------------------------------------------------------

Cruiser::Cruiser() : TurretShip(5) {
    classId = uint8_t(ClassId::Cruiser);
    const BlockRanges forward{2.0943952f, -2.0943952f, 0.0f, 0.0f, 0.0f};
    // The two aft turrets: a range through +-pi, the rear arc.
    const BlockRanges aft{-1.0471976f, 1.0471976f, 0.0f, 0.0f, kPi};
    for (int i = 0; i < 5; ++i)
        SetRanges(blocks[i], i < 3 ? forward : aft);
}

Node* Cruiser::Clone() {
    auto* copy = new Cruiser(*this);
    copy->InitClone(this);
    return copy;
}

void Cruiser::SteerForAttack(const Vec3& point, const Vec3& toTarget) {
    if ((point - position).Length() < 2.0f * radius)
        TurnTowards(toTarget);
    else
        SteerTo(point);
}

void Cruiser::BindNodes() {
    for (int n = 1; n <= 5; ++n)
        BindBlock(*this, blocks[n - 1], Numbered("turret", n), "", Numbered("turret", n));
}

// --- PatrolBoat -------------------------------------------------------------

PatrolBoat::PatrolBoat() : TurretShip(2) {
    classId = uint8_t(ClassId::PatrolBoat);
    SetRanges(blocks[0], {2.1991148f, 1.0122910f, 0.7853982f, -0.7853982f, kHalfPi});
    SetRanges(blocks[1], {-1.0122910f, -2.1991148f, 0.7853982f, -0.7853982f, -kHalfPi});
}

Node* PatrolBoat::Clone() {
    auto* copy = new PatrolBoat(*this);
    copy->InitClone(this);
    return copy;
}

float PatrolBoat::StandOff(const Entity& prey) const {
    return 2.0f * (radius + prey.radius) + 0.5f * ShipFloat(ShipFields().fireRange, 20.0f);
}

void PatrolBoat::SteerForAttack(const Vec3& point, const Vec3&) {
    SteerTo(point);
}

void PatrolBoat::BindNodes() {
    BindBlock(*this, blocks[0], "rturretswivel", "rturret", "rturret");
    BindBlock(*this, blocks[1], "lturretswivel", "lturret", "lturret");
}

bool PatrolBoat::LoadOwnFields(platform::BinaryReader& file, uint32_t version) {
    if (version >= kWholeBlocksFrom) return TurretShip::LoadOwnFields(file, version);
    // Angles, reload and sweep clock, sweep point; the ranges are the class's.
    constexpr size_t kOldBlockBytes = 28;
    for (int i = 0; i < blockCount; ++i) {
        TurretBlock& b = blocks[i];
        if (file.Remaining() < kOldBlockBytes) return false;
        if (!file.ReadF32(b.yaw) || !file.ReadF32(b.pitch) || !file.ReadI32(b.nextFireTime) ||
            !file.ReadI32(b.wanderNextTime) || !file.ReadF32(b.wanderPoint.x) ||
            !file.ReadF32(b.wanderPoint.y) || !file.ReadF32(b.wanderPoint.z))
            return false;
    }
    return true;
}

// --- PerimeterStation -------------------------------------------------------

PerimeterStation::PerimeterStation() : TurretShip(2) {
    classId = uint8_t(ClassId::PerimeterStation);
    SetRanges(blocks[0], {kUnlimited, -kUnlimited, kHalfPi, -0.2617994f, 0.0f});
    SetRanges(blocks[1], {kUnlimited, -kUnlimited, 0.2617994f, -kHalfPi, 0.0f});
}

Node* PerimeterStation::Clone() {
    auto* copy = new PerimeterStation(*this);
    copy->InitClone(this);
    return copy;
}

void PerimeterStation::InitClone(Node* source) {
    TurretShip::InitClone(source);
    riseStart = int32_t(GetSceneClock().gameTime) - kTiltSettledMs;
}

void PerimeterStation::BindNodes() {
    BindBlock(*this, blocks[0], "gun1yaw", "gun1pitch", "dummyweapon1");
    BindBlock(*this, blocks[1], "gun2yaw", "gun2pitch", "dummyweapon3");
    bodyTilt = FindByName("bodytilt");
}

void PerimeterStation::AfterShot(int block) {
    // Each gun has two barrels: 1 and 2 for the first, 3 and 4 for the second.
    const int first = 2 * block + 1;
    int current = first;
    if (const Node* aim = blocks[block].aimNode) {
        const std::string_view name = aim->Name();
        if (!name.empty() && name.back() >= '1' && name.back() <= '4') current = name.back() - '0';
    }
    const int next = current % 2 == 1 ? current + 1 : current - 1;
    TurretBlock& b = blocks[block];
    b.aimNode = FindByName(Numbered("dummyweapon", next));
    if (!b.aimNode) b.aimNode = FindByName(Numbered("dummyweapon", first));
}

void PerimeterStation::SaveOwnFields(platform::BinaryWriter& file) const {
    TurretShip::SaveOwnFields(file);
    file.WriteI32(riseStart);
}

bool PerimeterStation::LoadOwnFields(platform::BinaryReader& file, uint32_t version) {
    return TurretShip::LoadOwnFields(file, version) && file.Remaining() >= 4 &&
           file.ReadI32(riseStart);
}

void PerimeterStation::UpdateTurrets() {
    UpdateBodyTilt(*this, bodyTilt, riseStart);
    TurretShip::UpdateTurrets();
}

} // namespace lumivane
