// MiningStation: the body's tilt after it appears, and the record.
#include "desktop/units/ships/mining_station.h"

#include <cmath>

#include "desktop/scene/object/math_tables.h"
#include "desktop/units/ship_base/node_pose.h"
#include "desktop/units/ships/ship_class_support.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr float kHalfPi = 1.5707964f;

} // namespace

Node* MiningStation::Clone() {
    auto* copy = new MiningStation(*this);
    copy->InitClone(this);
    return copy;
}

void MiningStation::InitClone(Node* source) {
    Ship::InitClone(source);
    settleTime = GameNow() - kUprightAgeMs;
    body = FindByName("bodytilt");
}

float MiningStation::TiltAngle() const {
    const int64_t since = SinceStamp(settleTime);
    if (since < kTiltHoldMs) return kHalfPi;
    const float s = float(since - kTiltHoldMs) * kEasePerMs;
    if (s >= 1.0f) return 0.0f;
    return kHalfPi - (std::cos(kPi * (s + 1.0f)) + 1.0f) * 0.5f * kHalfPi;
}

void MiningStation::Update() {
    Ship::Update();
    if (fadeFlag) settleTime = GameNow();
    PoseNode(body, AxisAngle(kAxisX, TiltAngle()));
}

int MiningStation::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    file.WriteI32(settleTime);
    return 1;
}

bool MiningStation::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version) || !file.ReadI32(settleTime)) return false;
    body = FindByName("bodytilt");
    return true;
}

} // namespace lumivane
