// The light craft: engine nodes that follow the steering thrusters, the
// probe's hunt, the missile boat's launchers, and the plain classes.
#include "desktop/units/ships/light_craft.h"

#include "desktop/units/ships/ship_class_support.h"
#include "platform/binary_io.h"

namespace lumivane {

// --- Interceptor ------------------------------------------------------------

Node* Interceptor::Clone() {
    auto* copy = new Interceptor(*this);
    copy->InitClone(this);
    return copy;
}

void Interceptor::InitClone(Node* source) {
    Ship::InitClone(source);
    BindNodes();
}

bool Interceptor::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version)) return false;
    BindNodes();
    return true;
}

void Interceptor::BindNodes() {
    engines[0] = FindByName("Lengine");
    engines[1] = FindByName("Rengine");
}

void Interceptor::Update() {
    Ship::Update();
    const float pitch = -(thrusters[kPitchDown] - thrusters[kPitchUp]) * kEngineTurn;
    const float turn = (thrusters[kTurnRight] - thrusters[kTurnLeft]) * kEngineTurn;
    for (Node* engine : engines)
        TurnEngineNode(engine, pitch, turn);
}

// --- Probe ------------------------------------------------------------------

Node* Probe::Clone() {
    auto* copy = new Probe(*this);
    copy->InitClone(this);
    return copy;
}

void Probe::InitClone(Node* source) {
    Ship::InitClone(source);
    BindNodes();
}

bool Probe::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version)) return false;
    BindNodes();
    return true;
}

void Probe::BindNodes() {
    spindle = FindByName("EngineSpindle");
}

void Probe::Update() {
    Ship::Update();
    const float pitch = -(thrusters[kPitchDown] - thrusters[kPitchUp]) * kSpindleTurn;
    const float turn = (thrusters[kTurnRight] - thrusters[kTurnLeft]) * kSpindleTurn;
    TurnEngineNode(spindle, pitch, turn);
}

void Probe::UpdateHunt() {
    orderState = kOrderAttack;
    UpdateAttack();
}

// --- MissileBoat ------------------------------------------------------------

Node* MissileBoat::Clone() {
    auto* copy = new MissileBoat(*this);
    copy->InitClone(this);
    return copy;
}

void MissileBoat::InitClone(Node* source) {
    Ship::InitClone(source);
    BindNodes();
}

void MissileBoat::BindNodes() {
    for (int l = 0; l < kLaunchers; ++l)
        launchers[l] = FindNumberedNode(*this, "missile%i", l + 1);
    engines[0] = FindByName("Lengine");
    engines[1] = FindByName("Rengine");
}

void MissileBoat::Update() {
    Ship::Update();
    const float pitch = -(thrusters[kPitchUp] - thrusters[kPitchDown]) * kEngineTurn;
    for (Node* engine : engines)
        TurnEngineNode(engine, pitch, 0.0f);
}

void MissileBoat::Fire() {
    const int32_t now = GameNow();
    if (now < nextFireTime) return;
    const bool aimed = orderState == kOrderAttack || orderState == kOrderHunt;
    Node* from = launchers[launcher];
    LaunchMainWeapon(from ? from->WorldMatrix() : WorldMatrix(), aimed ? target : kNoEntity);
    if (sequencer) sequencer->Play(NumberedName("missile%i_load", launcher + 1), sequenceStates, 0);
    launcher = (launcher + 1) % kLaunchers;
    lastFireTime = now;
    nextFireTime = now + ReloadDelayMs();
}

int MissileBoat::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    file.WriteI32(launcher);
    return 1;
}

bool MissileBoat::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version) || !file.ReadI32(launcher)) return false;
    if (launcher < 0 || launcher >= kLaunchers) launcher = 0;
    BindNodes();
    return true;
}

// --- MineSweeper and Shuttle ------------------------------------------------

Node* MineSweeper::Clone() {
    auto* copy = new MineSweeper(*this);
    copy->InitClone(this);
    return copy;
}

Node* Shuttle::Clone() {
    auto* copy = new Shuttle(*this);
    copy->InitClone(this);
    return copy;
}

} // namespace lumivane
