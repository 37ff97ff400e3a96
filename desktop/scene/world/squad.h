// Squad: one of a player's ten groups of units, 20 member slots with the
// leader in slot 0, and its block in the scene-state file.
#pragma once

#include <cstdint>

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

class ObjectTable;
class Player;
class Unit;

inline constexpr int kSquadCount = 10;

class Squad {
public:
    static constexpr int kSlots = 20;

    // False when the unit is a member already or every slot is taken.
    bool Add(Unit* unit);
    // With `promote` the next member takes the leader's place when the
    // leader leaves.
    void Remove(const Unit* unit, bool promote);
    Unit* GetLeader() const;
    // Puts the unit into the slot, dropping whoever held it.
    void SetMember(Unit* unit, int slot);
    int IndexOf(const Unit* unit) const;
    // The unit's place in formation: the members before it that follow in
    // formation or lead; -1 when it is no member.
    int GetFormationIndex(const Unit* unit) const;
    bool Empty() const { return count == 0; }

    // Members are written through their Save with the file's table.
    void Save(platform::BinaryWriter& file, ObjectTable& table) const;
    // Members read become the player's; false for a damaged block.
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version, Player& player);

    int32_t index = 0;
    Unit* members[kSlots] = {};
    int32_t count = 0;

private:
    void Recount();
};

} // namespace lumivane
