// PodBay: refilling the bays with pods, and the bay record.
#include "desktop/units/pod/pod_bay.h"

#include <string>

#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/world.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr int32_t kSquadWithoutOwnSquad = 8;
constexpr int32_t kFullSquad = 20;

} // namespace

PodBay::PodBay() {
    classId = uint8_t(ClassId::PodBay);
}

Node* PodBay::Clone() {
    auto* copy = new PodBay(*this);
    copy->InitClone(this);
    return copy;
}

int PodBay::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Structure::Save(file, table)) return 0;
    for (EntityHandle pod : pods)
        file.WriteI32(pod);
    file.WriteI32(reserved);
    return 1;
}

bool PodBay::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Structure::Load(file, table, version)) return false;
    for (EntityHandle& pod : pods)
        if (!file.ReadI32(pod)) return false;
    return file.ReadI32(reserved);
}

int32_t PodBay::SquadForPod() const {
    int32_t number = squad ? (squad->index + 9) % kSquadCount : kSquadWithoutOwnSquad;
    if (!owner) return number;
    for (int tried = 1; tried < kSquadCount; ++tried) {
        if (owner->squads[number].count < kFullSquad) break;
        number = (number + kSquadCount - 1) % kSquadCount;
    }
    return number;
}

void PodBay::Launch(int bay) {
    const std::string marker = "baymarker" + std::to_string(bay + 1);
    SpawnRecord record;
    record.position = position;
    Node* node = FindByName(marker + "-1");
    if (IsA(node, ClassId::TransNode))
        record.position = static_cast<TransNode*>(node)->GetWorldMatrix().GetTranslation();
    record.player = owner ? owner->index : -1;
    record.squad = SquadForPod();
    Scene* scene = GetScene();
    const PropBlock* block = ShipBlock();
    if (!scene || !block) return;
    UtilityPod* pod =
        AsUtilityPod(scene->SpawnByName(block->FixedText(ShipFields().weapon), record));
    if (!pod) return;
    pods[bay] = pod->handle;
    pod->orderState = kOrderClassState10;
    pod->target = kNoEntity;
    pod->approachNode = marker + "-2";
    pod->home = handle;
}

void PodBay::Update() {
    avoidance = kNoEntity; // a bay steers round nothing
    if (!fadeFlag) {
        const World* world = GetWorld();
        for (int bay = 0; bay < kPodBayMarkers; ++bay) {
            // A pod that was destroyed leaves its bay empty for a new one.
            if (pods[bay] >= 0 && world && !world->GetEntity(pods[bay])) pods[bay] = kNoEntity;
            if (pods[bay] < 0) Launch(bay);
        }
    }
    Structure::Update();
}

} // namespace lumivane
