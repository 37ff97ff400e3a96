// The list of units still to come out of a wormhole or a colony ship, as
// both keep it in their records: a count, then per unit its prototype's
// name (32 bytes) and six words, or in older files only the first four
// (delay, reserved handle, player, squad).
#pragma once

#include <span>
#include <vector>

#include "desktop/scene/entity/wormhole.h"

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

void WriteSpawnRecords(platform::BinaryWriter& file, std::span<const WormholeSpawn> records);
// `whole`: six words per record, else four (health fraction 1, no flag).
// A count that the bytes left cannot hold is refused; names end at 31
// characters whatever the bytes hold.
bool ReadSpawnRecords(platform::BinaryReader& file, bool whole,
                      std::vector<WormholeSpawn>& records);

} // namespace lumivane
