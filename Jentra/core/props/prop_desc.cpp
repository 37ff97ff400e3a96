// Property descriptor tables: value sizes, the base-table chain and the
// lookup of a property by name.
#include "Jentra/JTPropDesc.h"

#include "Jentra/core/props/prop_layout.h"

#include <cstring>

const int aPTSize[PT_TYPE_COUNT] = {4, 4, 4, 4, 4, 1, 32, 32, 4, 0, 0, 4, 4, 4, 4, 0};

namespace {

bool IsKnownType(int type) {
    return type >= 0 && type < PT_TYPE_COUNT;
}

const JTPropDesc* EndEntry(const JTPropDesc* table) {
    if (!table) return nullptr;
    while (table->type != PT_END)
        ++table;
    return table;
}

} // namespace

bool JTPropIsHeapString(int type) {
    return type == PT_STRING127 || type == PT_STRING255 || type == PT_STRING31;
}

std::size_t JTPropHeapStringLimit(int type) {
    switch (type) {
    case PT_STRING127:
        return 127;
    case PT_STRING255:
        return 255;
    case PT_STRING31:
        return 31;
    default:
        return 0;
    }
}

std::size_t JTPropValueSize(int type) {
    if (!IsKnownType(type)) return 0;
    if (JTPropIsHeapString(type)) return sizeof(char*);
    return static_cast<std::size_t>(aPTSize[type]);
}

std::size_t JTPropValueAlign(int type) {
    if (JTPropIsHeapString(type)) return alignof(char*);
    switch (type) {
    case PT_BOOL:
    case PT_STRING:
    case PT_TEXTURE:
    case PT_GROUP_START:
    case PT_GROUP_END:
    case PT_END:
        return 1;
    default:
        return IsKnownType(type) ? 4 : 1;
    }
}

const JTPropDesc* FindPropBackPtr(const JTPropDesc* table) {
    const JTPropDesc* end = EndEntry(table);
    return end ? end->extra : nullptr;
}

const char* FindPropClassName(const JTPropDesc* table) {
    const JTPropDesc* end = EndEntry(table);
    return end ? end->name : "";
}

bool FindProp(const char* name, const JTPropDesc** table, void** value) {
    if (!name || !table || !*table || !value) return false;
    if (const JTPropDesc* base = FindPropBackPtr(*table)) {
        const JTPropDesc* baseTable = base;
        if (FindProp(name, &baseTable, value)) {
            *table = baseTable;
            return true;
        }
    }
    auto address = reinterpret_cast<uintptr_t>(*value);
    for (const JTPropDesc* entry = *table; entry->type != PT_END; ++entry) {
        address = jentra::props::AlignUp(address, JTPropValueAlign(entry->type));
        if (std::strncmp(entry->name, name, sizeof entry->name) == 0) {
            *table = entry;
            *value = reinterpret_cast<void*>(address);
            return true;
        }
        address += JTPropValueSize(entry->type);
    }
    *value = reinterpret_cast<void*>(address);
    return false;
}
