// The ".prp" record layout: every record is a 32-byte property name, a
// little-endian u32 type code and the value's bytes. Writing walks a
// descriptor table over a property block; reading checks the whole file
// before any value of the block changes.
#pragma once

#include "Jentra/JTPropDesc.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jentra::props {

// Bytes a record's value takes in the file, by its type code.
std::size_t RecordValueSize(uint32_t type);

// Appends the records of table (its base tables first) for the block.
void WriteRecords(std::vector<uint8_t>& out, const JTPropDesc* table, const void* block);

// Reads the records into the block described by table. Records of unknown
// names, and records whose type or size does not fit the property they
// name, are skipped. A malformed file (a type code out of range, a record
// cut short, a long string whose continuation records are missing) changes
// nothing and gives false with the reason in *error.
// Heap-string values are malloc'd; the value they replace is freed.
bool ReadRecords(const uint8_t* data, std::size_t size, const JTPropDesc* table, void* block,
                 std::string* error);

// Frees the heap strings of one table's own entries (not its bases') in the
// block and sets them to null.
void FreeHeapStrings(const JTPropDesc* table, void* block);

} // namespace jentra::props
