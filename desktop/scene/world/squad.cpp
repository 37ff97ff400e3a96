// Squad: members, the leader's place and the squad block.
#include "desktop/scene/world/squad.h"

#include "desktop/scene/entity/unit.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_file_format.h"
#include "platform/binary_io.h"

namespace lumivane {

bool Squad::Add(Unit* unit) {
    if (!unit || IndexOf(unit) >= 0) return false;
    for (Unit*& member : members) {
        if (member) continue;
        member = unit;
        ++count;
        return true;
    }
    return false;
}

void Squad::Remove(const Unit* unit, bool promote) {
    const int slot = IndexOf(unit);
    if (slot < 0) return;
    members[slot] = nullptr;
    --count;
    if (slot != 0 || !promote) return;
    for (int next = 1; next < kSlots; ++next) {
        if (!members[next]) continue;
        members[0] = members[next];
        members[next] = nullptr;
        return;
    }
}

Unit* Squad::GetLeader() const {
    for (Unit* member : members)
        if (member) return member;
    return nullptr;
}

void Squad::SetMember(Unit* unit, int slot) {
    if (slot < 0 || slot >= kSlots) return;
    members[slot] = unit;
    Recount();
}

void Squad::Recount() {
    count = 0;
    for (const Unit* member : members)
        if (member) ++count;
}

int Squad::IndexOf(const Unit* unit) const {
    if (!unit) return -1;
    for (int slot = 0; slot < kSlots; ++slot)
        if (members[slot] == unit) return slot;
    return -1;
}

int Squad::GetFormationIndex(const Unit* unit) const {
    const int slot = IndexOf(unit);
    if (slot < 0) return -1;
    const Unit* leader = GetLeader();
    int place = 0;
    for (int i = 0; i < slot; ++i) {
        const Unit* member = members[i];
        if (member && (member == leader || member->orderState == kOrderFormation)) ++place;
    }
    return place;
}

void Squad::Save(platform::BinaryWriter& file, ObjectTable& table) const {
    file.WriteI32(index);
    file.WriteI32(count);
    for (Unit* member : members) {
        file.WriteU32(member ? 1 : 0);
        if (member) member->Save(file, table);
    }
}

bool Squad::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version,
                 Player& player) {
    int32_t storedIndex = 0;
    int32_t storedCount = 0;
    if (!file.ReadI32(storedIndex) || !file.ReadI32(storedCount)) return false;
    for (int slot = 0; slot < kSlots; ++slot) {
        uint32_t present = 0;
        if (!file.ReadU32(present)) return false;
        members[slot] = nullptr;
        if (!present) continue;
        Unit* unit = ReadPlayerUnit(file, table, version);
        if (!unit) return false;
        members[slot] = unit;
        unit->JoinSquadFromFile(&player, this, slot);
    }
    uint32_t unused = 0;
    if (version < scene_file::kSquadTailBelow && !file.ReadU32(unused)) return false;
    Recount();
    return true;
}

} // namespace lumivane
