// Object files (".vrn"): a tree of factory objects, each written by its
// class's Save and read by its Load, with an object reached twice written
// once and referred to afterwards. A stream starts with "VRNM" and its
// version; every object starts with a reference: i32 NOT(place) for an object
// already in the stream, else place + 1, the class number and the record.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/matrix.h"

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

class ObjectTable;
class Unknown;

inline constexpr uint32_t kObjectFileVersion = 120; // written
inline constexpr uint32_t kOldestObjectFileVersion = 22;
// From this version class numbers are one byte and channel and child
// counts compact.
inline constexpr uint32_t kFirstCompactVersion = 75;
// Deeper nesting is taken for a damaged file rather than a model.
inline constexpr int kMaxObjectDepth = 256;

// Reads an object. A null table makes it a top-level read: the header is
// checked and the shared table emptied (after a good read it keeps the
// stream's objects, so a caller may read more objects of the same stream
// with it); any fault of the stream (bad magic
// or version, a short file, a count or index past the data, an unknown
// class, a reference to the wrong kind of object or back into an object
// still being read) shows warning 11001 with `name`, destroys whatever was
// built and answers null. With a table it reads one nested object of the
// given version and reports nothing; after a failure the caller abandons
// the stream. Objects destroyed while the read runs leave the table, so a
// later reference to one of them fails instead of reaching freed memory.
Unknown* ReadObject(platform::BinaryReader& file, ObjectTable* table, std::string_view name,
                    uint32_t version);

// Reads one object reference inside a record: a back-reference to an
// object of the table, or a new object made by number and filled by its
// Load. Null when the reference is bad or is not of the `kind` column.
Unknown* ReadObjectReference(platform::BinaryReader& file, ObjectTable& table, uint32_t version,
                             ClassId kind);

// Writes a top-level stream: header with the current version, then the
// object with the shared table emptied first.
bool WriteObject(platform::BinaryWriter& file, Unknown* object);
// Writes an object file safely (the old file stays until the new is whole).
bool SaveObjectFile(const std::filesystem::path& path, Unknown* object,
                    std::string* error = nullptr);
// Reads an object file; null (after warning 11001 for a bad file) when it
// cannot be read. The path is the file's name in warnings.
Unknown* LoadObjectFile(const std::filesystem::path& path);

bool ReadVec3(platform::BinaryReader& file, Vec3& v);
void WriteVec3(platform::BinaryWriter& file, const Vec3& v);
bool ReadMatrix(platform::BinaryReader& file, Matrix& m);
void WriteMatrix(platform::BinaryWriter& file, const Matrix& m);

} // namespace lumivane
