// The per-stream object table, and the watch that keeps it free of
// destroyed objects while a stream is read.
#include "desktop/scene/object/object_table.h"

namespace lumivane {

namespace {

constexpr size_t kGrowStep = 1000;

// The innermost watch of this thread's readers. Each thread reads its own
// streams, so an object destroyed here can only be named by these tables.
thread_local ObjectTable::Watch* innermostWatch = nullptr;

} // namespace

ObjectTable::Watch::Watch(ObjectTable& watched) : table(watched), outer(innermostWatch) {
    innermostWatch = this;
}

ObjectTable::Watch::~Watch() {
    innermostWatch = outer;
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
    places.insert_or_assign(object, place);
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

void ObjectTable::Drop(const Unknown* object) {
    auto found = places.find(object);
    if (found == places.end()) return;
    Entry& entry = entries[size_t(found->second)];
    entry.object = nullptr;
    entry.loading = false;
    places.erase(found);
}

void ObjectTable::MarkLoading(int32_t place, bool loading) {
    if (place >= 0 && size_t(place) < entries.size()) entries[size_t(place)].loading = loading;
}

bool ObjectTable::IsLoading(int32_t place) const {
    return place >= 0 && size_t(place) < entries.size() && entries[size_t(place)].loading;
}

void ObjectTable::ObjectDestroyed(const Unknown* object) {
    // Nested reads watch the same table many times over; once is enough.
    const ObjectTable* last = nullptr;
    for (Watch* watch = innermostWatch; watch; watch = watch->outer)
        if (&watch->table != last) {
            watch->table.Drop(object);
            last = &watch->table;
        }
}

ObjectTable& SharedObjectTable() {
    static ObjectTable table;
    return table;
}

} // namespace lumivane
