// ObjectTable: the objects of one object-file stream in order of first
// appearance. Writing finds an object already written so it is referred to
// instead of written twice; reading resolves those back-references. While an
// object's record is being read it is marked, so a reference back to it (a
// cycle) can be refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace lumivane {

class Unknown;

class ObjectTable {
public:
    // Empties the table; the storage is kept for the next stream.
    void Clear();
    int32_t Count() const { return int32_t(entries.size()); }
    // Appends and answers the place.
    int32_t Append(Unknown* object);
    // The place of an object written before, or -1.
    int32_t Find(const Unknown* object) const;
    Unknown* At(int32_t place) const;

    void MarkLoading(int32_t place, bool loading);
    bool IsLoading(int32_t place) const;

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
