// ".prp" property files: headerless little-endian records {name char[32],
// i32 type, value}, in any order, read into a property block by name. File
// names and paths carry 3 and 7 further records of which only the first
// string matters. The program only reads these files; the writer serves the
// data builder and tests.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "desktop/scene/entity/prop_desc.h"

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

class PropBlock;

struct PropReadResult {
    int applied = 0;
    int skipped = 0;      // unknown names, and values whose size is not the field's
    bool damaged = false; // a bad type code or a record cut short ended the read
};

// Applies every whole record. A record whose name no descriptor of the
// block's chain has, or whose value size differs from its descriptor's
// (flags excepted), is skipped; a type code outside 0..15 or a record cut
// short ends the file there.
PropReadResult ReadPropRecords(platform::BinaryReader& file, PropBlock& block);

// One record; `value` holds the value bytes (texts up to 31 characters).
void WritePropRecord(platform::BinaryWriter& file, std::string_view name, PropType type,
                     const void* value);
// Every named value of the block's chain in block order, groups included.
void WritePropFile(platform::BinaryWriter& file, const PropBlock& block);
bool SavePropFile(const std::filesystem::path& path, const PropBlock& block,
                  std::string* error = nullptr);

} // namespace lumivane
