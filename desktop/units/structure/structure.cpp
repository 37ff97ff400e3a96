// Structure: its property table, the unlinked break-up, the explosion with
// its shock wave, the orbit and the spin.
#include "desktop/units/structure/structure.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/ship_base/steering_math.h"

namespace lumivane {

namespace {

constexpr Vec3 kWorldUp{0.0f, 1.0f, 0.0f};
constexpr float kSpinRateScale = 10.0f; // the spin turns per 0.1 s

std::vector<PropDesc> BuildStructureTable() {
    PropTableBuilder b;
    b.Flag("Survive unlinked", false);
    b.Value("Rotational speed", PropType::Angle, -kPi, kPi, 0.34906585f);
    return b.End("Structure", ShipPropDescs());
}

size_t Offset(const std::string& name) {
    size_t cursor = 0;
    if (!PropDesc::Find(StructurePropDescs(), name, cursor)) std::abort(); // the table names it
    return cursor;
}

// The rotation turned so that its up axis is the world's.
Quat Levelled(const Quat& rotation) {
    Vec3 up = kWorldUp;
    rotation.RotateVector(up);
    up.Normalize();
    return Quat::MakeRotationArc(up, kWorldUp) * rotation;
}

} // namespace

const PropDesc* StructurePropDescs() {
    static const std::vector<PropDesc> table = BuildStructureTable();
    return table.data();
}

const StructurePropFields& StructureFields() {
    static const StructurePropFields fields{Offset("Survive unlinked"), Offset("Rotational speed")};
    return fields;
}

Structure::Structure() {
    classId = uint8_t(ClassId::Structure);
}

Node* Structure::Clone() {
    auto* copy = new Structure(*this);
    copy->InitClone(this);
    return copy;
}

const PropDesc* Structure::GetPropDescs() const {
    return StructurePropDescs();
}

bool Structure::SurvivesUnlinked() const {
    if (!props) return false;
    for (const PropDesc* t = props->Table(); t; t = PropDesc::BaseTable(t))
        if (t == StructurePropDescs()) return props->Flag(StructureFields().surviveUnlinked);
    return false;
}

float Structure::RotationalSpeed() const {
    if (props)
        for (const PropDesc* t = props->Table(); t; t = PropDesc::BaseTable(t))
            if (t == StructurePropDescs()) return props->Float(StructureFields().rotationalSpeed);
    return 0.34906585f;
}

bool Structure::HasParent() const {
    const World* world = GetWorld();
    return world && world->GetEntity(ownerHandle);
}

void Structure::Update() {
    Ship::Update();
    World* world = GetWorld();
    if (SurvivesUnlinked() || HasParent() || holdWord != 0) return;
    if (world && world->IsQueuedForRemoval(this)) return;
    Entity* explosion = Explode();
    if (world) world->QueueRemove(this, explosion, false);
}

Entity* Structure::Explode() {
    World* world = GetWorld();
    if (world && world->IsQueuedForRemoval(this)) return nullptr;
    ModelLibrary* library = GetModelLibrary();
    if (Entity* shock = library ? library->CreateInstance("shock1", true) : nullptr) {
        if (PartSys* system = AsPartSys(shock)) {
            system->SetScale(radius);
            system->runsWithoutOwner = 0;
        }
        shock->position = position;
        shock->velocity = velocity;
        shock->PlaceLocalMatrix();
    }
    return Entity::Explode();
}

void Structure::UpdateFollow() {
    if (HasParent()) return;
    World* world = GetWorld();
    Entity* centre = world ? world->GetEntity(target) : nullptr;
    if (!centre) {
        FinishOrder();
        return;
    }
    orbiting = 1;
    MatchVelocity(OrbitVelocity(*centre, position, followOffset));
    if (centre != world->Sun())
        ArriveAt(centre->position + DirectionTo(centre->position, position) * followDistance);
    Spin(RotationalSpeed());
}

void Structure::Spin(float rate) {
    if (SurvivesUnlinked()) {
        orientation = Levelled(orientation);
        spin = Levelled(spin);
    }
    float yaw = 0.0f, pitch = 0.0f;
    GetSpinDir().GetYawPitch(yaw, pitch);
    YawTorque(yaw * kSpinRateScale < rate ? 1.0f : -1.0f);
}

} // namespace lumivane
