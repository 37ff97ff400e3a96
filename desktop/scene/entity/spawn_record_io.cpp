// Reading and writing the spawn lists of wormholes and colony ships.
#include "desktop/scene/entity/spawn_record_io.h"

#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr size_t kNameBytes = 32;
constexpr uint64_t kWholeBytes = kNameBytes + 6 * 4;
constexpr uint64_t kShortBytes = kNameBytes + 4 * 4;

} // namespace

void WriteSpawnRecords(platform::BinaryWriter& file, std::span<const WormholeSpawn> records) {
    file.WriteU32(uint32_t(records.size()));
    for (const WormholeSpawn& s : records) {
        file.WriteFixedString(s.prototype, kNameBytes);
        file.WriteI32(s.delay);
        file.WriteI32(s.handle);
        file.WriteI32(s.player);
        file.WriteI32(s.squad);
        file.WriteF32(s.healthFraction);
        file.WriteI32(s.noDamage);
    }
}

bool ReadSpawnRecords(platform::BinaryReader& file, bool whole,
                      std::vector<WormholeSpawn>& records) {
    uint32_t count = 0;
    if (!file.ReadU32(count) || count > file.Remaining() / (whole ? kWholeBytes : kShortBytes))
        return false;
    records.assign(count, WormholeSpawn{});
    for (WormholeSpawn& s : records) {
        file.ReadFixedString(s.prototype, kNameBytes);
        // A name that fills its 32 bytes has lost its end.
        if (s.prototype.size() >= kNameBytes) s.prototype.resize(kNameBytes - 1);
        file.ReadI32(s.delay);
        file.ReadI32(s.handle);
        file.ReadI32(s.player);
        file.ReadI32(s.squad);
        if (whole) {
            file.ReadF32(s.healthFraction);
            file.ReadI32(s.noDamage);
        }
    }
    return file.Good();
}

} // namespace lumivane
