// ObjectTable: the objects of one object-file stream in order of first
// appearance. Writing finds an object already written so it is referred to
// instead of written twice; reading resolves those back-references. While an
// object's record is being read it is marked, so a reference back to it (a
// cycle) can be refused. An object destroyed while a reader watches the
// table leaves it, so a later reference to it is a damaged stream rather
// than a read of freed memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace lumivane {

class Unknown;

class ObjectTable {
public:
    // Held by whoever reads a stream through the table, from its first
    // object to its last: loaders drop objects along the way (a record that
    // fails, an entity whose prototype is gone), and every object destroyed
    // on this thread meanwhile is taken out of the watched tables. Watches
    // nest; the same table may be watched more than once.
    class Watch {
    public:
        explicit Watch(ObjectTable& table);
        ~Watch();
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;

    private:
        friend class ObjectTable;
        ObjectTable& table;
        Watch* outer;
    };

    ObjectTable() = default;
    ObjectTable(const ObjectTable&) = delete;
    ObjectTable& operator=(const ObjectTable&) = delete;

    // Empties the table; the storage is kept for the next stream.
    void Clear();
    int32_t Count() const { return int32_t(entries.size()); }
    // Appends and answers the place.
    int32_t Append(Unknown* object);
    // The place of an object written before, or -1.
    int32_t Find(const Unknown* object) const;
    // The object at a place; null past the end or for an object that left.
    Unknown* At(int32_t place) const;
    // Takes an object out: its place answers null from now on.
    void Drop(const Unknown* object);

    void MarkLoading(int32_t place, bool loading);
    bool IsLoading(int32_t place) const;

    // Called by every object as it is destroyed.
    static void ObjectDestroyed(const Unknown* object);

    // How deep the reader is in nested objects; bounded so a crafted file
    // cannot exhaust the stack.
    int depth = 0;

private:
    struct Entry {
        Unknown* object;
        bool loading;
    };
    std::vector<Entry> entries;
    std::unordered_map<const Unknown*, int32_t> places;
};

// The one table the top-level reader and writer share; emptied at the start
// of every stream.
ObjectTable& SharedObjectTable();

} // namespace lumivane
