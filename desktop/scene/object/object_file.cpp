// Reading and writing object streams.
#include "desktop/scene/object/object_file.h"

#include <cstring>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/object_factory.h"
#include "desktop/scene/object/object_table.h"
#include "desktop/scene/object/unknown.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr char kMagic[4] = {'V', 'R', 'N', 'M'};

// Destroys an object that no holder took; objects it holds go with it.
void Discard(Unknown* object) {
    if (object && object->ReferenceCount() <= 0) object->Release();
}

} // namespace

Unknown* ReadObjectReference(platform::BinaryReader& file, ObjectTable& table, uint32_t version,
                             ClassId kind) {
    ObjectTable::Watch watch(table);
    int32_t index;
    if (!file.ReadI32(index)) return nullptr;
    if (index < 0) {
        int32_t place = ~index;
        Unknown* earlier = table.At(place);
        // An object still being read would become its own ancestor.
        if (!earlier || table.IsLoading(place) || !IsA(earlier, kind)) return nullptr;
        return earlier;
    }
    uint32_t classNumber;
    if (version < kFirstCompactVersion) {
        if (!file.ReadU32(classNumber)) return nullptr;
        classNumber &= 0xFF;
    } else {
        uint8_t number;
        if (!file.ReadU8(number)) return nullptr;
        classNumber = number;
    }
    if (table.depth >= kMaxObjectDepth) return nullptr;
    Unknown* object = CreateObject(nullptr, nullptr, int(classNumber));
    if (!object) return nullptr;
    if (!IsA(object, kind)) {
        Discard(object);
        return nullptr;
    }
    int32_t place = table.Append(object);
    table.MarkLoading(place, true);
    ++table.depth;
    bool loaded = object->Load(file, table, version) && file.Good();
    --table.depth;
    table.MarkLoading(place, false);
    if (!loaded) {
        Discard(object);
        return nullptr;
    }
    return object;
}

Unknown* ReadObject(platform::BinaryReader& file, ObjectTable* table, std::string_view name,
                    uint32_t version) {
    if (table) return ReadObjectReference(file, *table, version, ClassId::Unknown);

    ObjectTable& shared = SharedObjectTable();
    shared.Clear();
    ObjectTable::Watch watch(shared);
    Unknown* object = nullptr;
    char magic[4];
    uint32_t fileVersion = 0;
    if (file.ReadBytes(magic, sizeof magic) && std::memcmp(magic, kMagic, sizeof magic) == 0 &&
        file.ReadU32(fileVersion) && fileVersion >= kOldestObjectFileVersion &&
        fileVersion <= kObjectFileVersion)
        object = ReadObjectReference(file, shared, fileVersion, ClassId::Unknown);
    if (!object) {
        // What was built is gone; its places must not be looked up again.
        shared.Clear();
        ReportWarning(kEntryBadFile, name);
    }
    return object;
}

bool WriteObject(platform::BinaryWriter& file, Unknown* object) {
    ObjectTable& shared = SharedObjectTable();
    shared.Clear();
    file.WriteBytes(kMagic, sizeof kMagic);
    file.WriteU32(kObjectFileVersion);
    if (object) object->Save(file, shared);
    return object && file.Good();
}

bool SaveObjectFile(const std::filesystem::path& path, Unknown* object, std::string* error) {
    platform::FileWriter file;
    if (!file.Open(path, error)) return false;
    if (!WriteObject(file, object)) {
        if (error) *error = "cannot write " + path.string();
        file.Discard();
        return false;
    }
    return file.Commit(error);
}

Unknown* LoadObjectFile(const std::filesystem::path& path) {
    platform::FileReader file;
    if (!file.Open(path)) return nullptr;
    return ReadObject(file, nullptr, path.string(), 0);
}

bool ReadVec3(platform::BinaryReader& file, Vec3& v) {
    return file.ReadF32(v.x) && file.ReadF32(v.y) && file.ReadF32(v.z);
}

void WriteVec3(platform::BinaryWriter& file, const Vec3& v) {
    file.WriteF32(v.x);
    file.WriteF32(v.y);
    file.WriteF32(v.z);
}

bool ReadMatrix(platform::BinaryReader& file, Matrix& m) {
    for (float& e : m.m)
        if (!file.ReadF32(e)) return false;
    return true;
}

void WriteMatrix(platform::BinaryWriter& file, const Matrix& m) {
    for (float e : m.m)
        file.WriteF32(e);
}

} // namespace lumivane
