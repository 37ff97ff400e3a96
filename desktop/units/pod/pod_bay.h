// PodBay: the structure that launches and takes home the UtilityPods. Each
// of its four bays keeps one pod; a bay whose pod is gone launches a new one
// (its "weapon" prototype) at the bay's inner marker, into a squad with room.
#pragma once

#include <cstdint>

#include "desktop/units/pod/utility_pod.h"
#include "desktop/units/structure/structure.h"

namespace lumivane {

class PodBay : public Structure {
public:
    PodBay();
    Node* Clone() override;
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    // Refills empty bays, then Structure's update.
    void Update() override;

    // The pod of each bay, -1 for an empty bay.
    EntityHandle pods[kPodBayMarkers] = {kNoEntity, kNoEntity, kNoEntity, kNoEntity};
    int32_t reserved = 0; // kept in the record, never read

protected:
    PodBay(const PodBay& other) = default;

private:
    // The squad a new pod joins: from one below the bay's own squad (8
    // without one) downward past full squads, once round at most.
    int32_t SquadForPod() const;
    void Launch(int bay);
};

} // namespace lumivane
