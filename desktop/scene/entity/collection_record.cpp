// Collection: its record after the Entity record: the members and the reset
// request. Counts and group indices are checked on reading.
#include <algorithm>

#include "desktop/scene/entity/collection.h"
#include "desktop/scene/object/object_file.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr uint64_t kMemberBytes = 84;
constexpr uint32_t kMaxMembers = uint32_t(kCollectionGroups * kMaxGroupCount);

} // namespace

int Collection::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Entity::Save(file, table)) return 0;
    file.WriteU32(uint32_t(members.size()));
    for (const CollectionMember& member : members) {
        file.WriteI32(member.handle);
        file.WriteI32(member.group);
        for (float draw : member.draws)
            file.WriteF32(draw);
        WriteVec3(file, member.home);
    }
    file.WriteI32(resetRequest);
    return 1;
}

bool Collection::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Entity::Load(file, table, version)) return false;
    uint32_t count = 0;
    if (!file.ReadU32(count) || count > kMaxMembers || count > file.Remaining() / kMemberBytes)
        return false;
    members.assign(count, CollectionMember());
    for (CollectionMember& member : members) {
        file.ReadI32(member.handle);
        file.ReadI32(member.group);
        member.group = std::clamp(member.group, 0, kCollectionGroups - 1);
        for (float& draw : member.draws)
            file.ReadF32(draw);
        ReadVec3(file, member.home);
    }
    file.ReadI32(resetRequest);
    previousValid = false;
    return file.Good();
}

} // namespace lumivane
