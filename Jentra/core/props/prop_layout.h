// Where each value of a property block lies: the values follow one another
// in table order, base tables first, each at the next address aligned for
// its type (how the compiler lays out the members of the property classes).
// Internal to the property code.
#pragma once

#include "Jentra/JTPropDesc.h"

#include <cstdint>

namespace jentra::props {

inline uintptr_t AlignUp(uintptr_t address, std::size_t alignment) {
    return (address + alignment - 1) & ~(static_cast<uintptr_t>(alignment) - 1);
}

// Calls visit(entry, value address) for the entries of table itself (not its
// bases), whose values start at address; returns the address past them.
template <typename Visit>
uintptr_t WalkOwnEntries(const JTPropDesc* table, uintptr_t address, Visit&& visit) {
    for (const JTPropDesc* entry = table; entry->type != PT_END; ++entry) {
        address = AlignUp(address, JTPropValueAlign(entry->type));
        visit(*entry, address);
        address += JTPropValueSize(entry->type);
    }
    return address;
}

// The same for the whole block: the base tables' entries first.
template <typename Visit>
uintptr_t WalkBlock(const JTPropDesc* table, uintptr_t address, Visit&& visit) {
    if (const JTPropDesc* base = FindPropBackPtr(table)) address = WalkBlock(base, address, visit);
    return WalkOwnEntries(table, address, visit);
}

} // namespace jentra::props
