// Message records: the handle list and the packed form of every order kind.
#include "desktop/scene/world/message.h"

#include <bit>
#include <cstring>
#include <type_traits>

namespace lumivane {

namespace {

// The packed form is little-endian, as is every machine this runs on.
static_assert(std::endian::native == std::endian::little);

// A cursor over the record's bytes that moves the same way for packing
// and unpacking, so each kind lists its fields once.
class FieldCursor {
public:
    FieldCursor(std::span<uint8_t> buffer, size_t at, bool pack)
        : bytes(buffer), position(at), packing(pack) {}

    template <class T> void Field(T& value) {
        static_assert(std::is_trivially_copyable_v<T> && (sizeof(T) <= 4));
        if (!ok || bytes.size() - position < sizeof(T)) {
            ok = false;
            return;
        }
        if (packing)
            std::memcpy(bytes.data() + position, &value, sizeof(T));
        else
            std::memcpy(&value, bytes.data() + position, sizeof(T));
        position += sizeof(T);
    }
    void Field(Vec3& v) {
        Field(v.x);
        Field(v.y);
        Field(v.z);
    }
    // A u32 byte length and the handles. Unpacking checks the length
    // against the bytes left and `maxCount`, and replaces the list only
    // when the whole list is there.
    void Handles(std::vector<EntityHandle>& list, int maxCount) {
        uint32_t length = 0;
        if (packing) {
            size_t count = list.size() < size_t(maxCount) ? list.size() : size_t(maxCount);
            length = uint32_t(count * 4);
            Field(length);
            for (size_t i = 0; i < count && ok; ++i)
                Field(list[i]);
            return;
        }
        Field(length);
        if (!ok || length % 4 != 0 || length / 4 > uint32_t(maxCount) ||
            bytes.size() - position < length) {
            ok = false;
            return;
        }
        list.resize(length / 4);
        for (EntityHandle& handle : list)
            Field(handle);
    }

    size_t End() const { return ok ? position : 0; }
    bool Ok() const { return ok; }

private:
    std::span<uint8_t> bytes;
    size_t position;
    bool packing;
    bool ok = true;
};

} // namespace

void HandleList::Append(EntityHandle handle) {
    if (entries.size() == entries.capacity()) entries.reserve(entries.capacity() + kGrowStep);
    entries.push_back(handle);
}

void HandleList::Assign(std::span<const EntityHandle> handles) {
    entries.assign(handles.begin(), handles.end());
}

size_t MessageBase::Serialize(std::span<uint8_t> buffer, bool pack) {
    FieldCursor cursor(buffer, 0, pack);
    cursor.Field(type);
    return cursor.End();
}

size_t Message::Serialize(std::span<uint8_t> buffer, bool pack) {
    if (pack && buffer.size() < PackedSize()) return 0;
    // Unpacking reads into copies first so a bad record changes nothing.
    Message header;
    header.type = type;
    header.frame = frame;
    header.valueA = valueA;
    header.valueB = valueB;
    header.sender = sender;
    header.valueC = valueC;
    FieldCursor cursor(buffer, 0, pack);
    cursor.Field(header.type);
    cursor.Field(header.frame);
    cursor.Field(header.valueA);
    cursor.Field(header.valueB);
    cursor.Field(header.sender);
    cursor.Field(header.valueC);
    std::vector<EntityHandle> handles(units.Handles().begin(), units.Handles().end());
    // The list's length is bounded by the buffer, never by a fixed count.
    cursor.Handles(handles, int(buffer.size() / 4));
    if (!cursor.Ok()) return 0;
    if (pack) return SerializeFields(buffer, cursor.End(), true);
    size_t end = SerializeFields(buffer, cursor.End(), false);
    if (end == 0) return 0;
    type = header.type;
    frame = header.frame;
    valueA = header.valueA;
    valueB = header.valueB;
    sender = header.sender;
    valueC = header.valueC;
    units.Assign(handles);
    return end;
}

size_t Message::SerializeFields(std::span<uint8_t>, size_t at, bool) {
    return at;
}

// Each kind unpacks into copies and stores them only when all were there.

size_t FollowOrder::SerializeFields(std::span<uint8_t> buffer, size_t at, bool pack) {
    EntityHandle t = target;
    float d = distance;
    Vec3 o = offset;
    FieldCursor cursor(buffer, at, pack);
    cursor.Field(t);
    cursor.Field(d);
    cursor.Field(o);
    if (cursor.Ok() && !pack) {
        target = t;
        distance = d;
        offset = o;
    }
    return cursor.End();
}

size_t MoveOrder::SerializeFields(std::span<uint8_t> buffer, size_t at, bool pack) {
    Vec3 d = destination;
    FieldCursor cursor(buffer, at, pack);
    cursor.Field(d);
    if (cursor.Ok() && !pack) destination = d;
    return cursor.End();
}

size_t TargetOrder::SerializeFields(std::span<uint8_t> buffer, size_t at, bool pack) {
    EntityHandle t = target;
    FieldCursor cursor(buffer, at, pack);
    cursor.Field(t);
    if (cursor.Ok() && !pack) target = t;
    return cursor.End();
}

size_t SquadOrder::SerializeFields(std::span<uint8_t> buffer, size_t at, bool pack) {
    int32_t s = squad;
    int32_t place = slot;
    FieldCursor cursor(buffer, at, pack);
    cursor.Field(s);
    cursor.Field(place);
    if (cursor.Ok() && !pack) {
        squad = s;
        slot = place;
    }
    return cursor.End();
}

size_t HandleListOrder::SerializeFields(std::span<uint8_t> buffer, size_t at, bool pack) {
    std::vector<EntityHandle> list = route;
    FieldCursor cursor(buffer, at, pack);
    cursor.Handles(list, kMaxRoute);
    if (cursor.Ok() && !pack) route = std::move(list);
    return cursor.End();
}

size_t WaypointOrder::SerializeFields(std::span<uint8_t> buffer, size_t at, bool pack) {
    int32_t r = restart;
    Vec3 p = point;
    FieldCursor cursor(buffer, at, pack);
    cursor.Field(r);
    cursor.Field(p);
    if (cursor.Ok() && !pack) {
        restart = r;
        point = p;
    }
    return cursor.End();
}

} // namespace lumivane
