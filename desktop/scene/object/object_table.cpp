// The per-stream object table.
#include "desktop/scene/object/object_table.h"

namespace lumivane {

namespace {
constexpr size_t kGrowStep = 1000;
}

void ObjectTable::Clear() {
    entries.clear();
    places.clear();
    depth = 0;
}

int32_t ObjectTable::Append(Unknown* object) {
    if (entries.size() == entries.capacity()) entries.reserve(entries.capacity() + kGrowStep);
    int32_t place = int32_t(entries.size());
    entries.push_back({object, false});
    places.emplace(object, place);
    return place;
}

int32_t ObjectTable::Find(const Unknown* object) const {
    auto found = places.find(object);
    return found == places.end() ? -1 : found->second;
}

Unknown* ObjectTable::At(int32_t place) const {
    if (place < 0 || size_t(place) >= entries.size()) return nullptr;
    return entries[size_t(place)].object;
}

void ObjectTable::MarkLoading(int32_t place, bool loading) {
    if (place >= 0 && size_t(place) < entries.size()) entries[size_t(place)].loading = loading;
}

bool ObjectTable::IsLoading(int32_t place) const {
    return place >= 0 && size_t(place) < entries.size() && entries[size_t(place)].loading;
}

ObjectTable& SharedObjectTable() {
    static ObjectTable table;
    return table;
}

} // namespace lumivane
