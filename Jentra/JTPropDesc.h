// Property descriptors: self-describing tables of named, typed values that
// lay out a prototype's property block, and the lookup of a property by name.
#pragma once

#include <cstddef>
#include <cstdint>

// Type codes of a property. The numbers are stored in ".prp" files.
enum JTPropType : int {
    PT_INT = 0,         // 32-bit signed integer
    PT_FLOAT = 1,       // 32-bit float
    PT_RESERVED2 = 2,   // 4-byte value, unused
    PT_RESERVED3 = 3,   // 4-byte value, unused
    PT_ANGLE = 4,       // float, radians
    PT_BOOL = 5,        // one byte, 0 or 1
    PT_STRING = 6,      // char[32] held in place
    PT_TEXTURE = 7,     // texture file name, char[32] held in place
    PT_COLOR = 8,       // one 32-bit value
    PT_GROUP_START = 9, // opens a group for editing tools, no value
    PT_GROUP_END = 10,  // closes a group, no value
    PT_STRING127 = 11,  // pointer to a heap string of at most 127 characters
    PT_RESERVED12 = 12, // 4-byte value, unused
    PT_STRING255 = 13,  // pointer to a heap string of at most 255 characters
    PT_STRING31 = 14,   // pointer to a heap string of at most 31 characters
    PT_END = 15,        // ends a table: class name and base table
    PT_TYPE_COUNT = 16
};

// One property descriptor. A table of them ends with a PT_END entry whose
// name is the owning class's name and whose extra is the base class's table
// (null when there is none).
struct JTPropDesc {
    char name[32];
    int type;
    float minimum;
    float maximum;
    const JTPropDesc* extra;
};

// Bytes a value of each type takes in a ".prp" record (index = type code).
extern const int aPTSize[PT_TYPE_COUNT];

// Bytes and alignment a value of the type takes in a property block in
// memory. The heap-string types hold a pointer there; everything else has
// its file size. 0 for types outside the table.
std::size_t JTPropValueSize(int type);
std::size_t JTPropValueAlign(int type);
bool JTPropIsHeapString(int type);
// Most characters a heap-string property holds (127, 255 or 31), else 0.
std::size_t JTPropHeapStringLimit(int type);

// The base class's table of a table (null when none), and the class name.
const JTPropDesc* FindPropBackPtr(const JTPropDesc* table);
const char* FindPropClassName(const JTPropDesc* table);

// Finds a property by name (case-sensitively), base tables first, so a base
// property wins over a derived one of the same name. On entry *table is the
// class's table and *value the start of the property block it describes; on
// success *table is the property's descriptor and *value its value.
//
// In a block the values follow one another in table order, base tables
// first, each at the next address aligned for its type: exactly how the C++
// compiler lays out the members of a single-inheritance chain of property
// classes whose members are declared in table order.
bool FindProp(const char* name, const JTPropDesc** table, void** value);
