// Unknown: the root of every object the scene engine stores in object files
// or builds by class number. It carries the class number that answers every
// kind question (IsA) and a reference count shared by all holders: parents
// of a node, nodes and sequencers that list a channel, entities that share a
// sequencer. An object is destroyed when its last holder releases it.
#pragma once

#include <cstdint>

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

class ObjectTable;

class Unknown {
public:
    Unknown() = default;
    // Takes the object out of the object tables being read on this thread.
    virtual ~Unknown();
    Unknown& operator=(const Unknown&) = delete;

    // Writes the object reference: NOT(place) and 0 when this object is in
    // the table already (the caller writes nothing more), else place + 1
    // and the class number, 1, and the class goes on with its record.
    virtual int Save(platform::BinaryWriter& file, ObjectTable& table);
    // Reads the class's record; false when the record is bad or cut short.
    virtual bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version);
    virtual void Traverse(int depth);

    void AddRef() { ++referenceCount; }
    // One holder less; destroys the object when none is left (or the count
    // was never raised: releasing a fresh object destroys it).
    void Release();
    int32_t ReferenceCount() const { return referenceCount; }

    uint8_t classId = 0;

protected:
    // Copies for cloning: the class number travels, the holders do not.
    Unknown(const Unknown& other) : classId(other.classId) {}
    int32_t referenceCount = 0;
};

} // namespace lumivane
