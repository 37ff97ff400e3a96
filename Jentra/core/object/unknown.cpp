// JTUnknown's own operations: cloning, creation by type number, and the
// contained-object protocol that writes an object as its class name (or a
// back-reference) and recreates it on loading.
#include "Jentra/JTUnknown.h"

#include "Jentra/JTFile.h"
#include "Jentra/JTClassMap.h"

#include <cstdint>
#include <cstring>

int JTUnknown::nType = 0;

namespace {
// Longest stored class name the reader accepts, NUL included.
constexpr uint16_t kMaxClassNameBytes = 256;
constexpr uint16_t kHeaderVersion = 1;
constexpr uint16_t kObjectVersion = 1;
} // namespace

JTUnknown* JTUnknown::Clone() {
    JTUnknown* clone = new (std::nothrow) JTUnknown();
    if (!clone) return nullptr;
    clone->PreClone();
    clone->InitClone(this);
    return clone;
}

unsigned JTUnknown::Message(JTID*, JTID*, unsigned, void*) {
    return 0;
}

JTUnknown* JTUnknown::Create(int type) {
    JTInstantiateFn fn = JTClassMap::GetInstantiateFn(type);
    return fn ? fn() : nullptr;
}

int JTUnknown::LookupTypeName(const char* name) {
    return JTClassMap::Lookup(name);
}

bool JTUnknown::SaveLoad(JTFile& f) {
    if (f.Loading()) {
        uint16_t version = 0;
        return f.SaveLoadValue(version);
    }
    uint16_t headerVersion = kHeaderVersion;
    if (!f.SaveLoadValue(headerVersion)) return false;
    JTArray<JTUnknown*>& table = f.GetObjectTable();
    int32_t index = table.Find(this);
    if (!f.SaveLoadValue(index)) return false;
    if (index >= 0) return false; // already in the stream: the reference is all
    if (table.Add(this) < 0) {
        f.Fail();
        return false;
    }
    const char* name = ClassName();
    size_t length = std::strlen(name) + 1;
    if (length > kMaxClassNameBytes) {
        // A reader could not take it back; refuse rather than write a file
        // that cannot be loaded.
        f.Fail();
        return false;
    }
    uint16_t nameBytes = uint16_t(length);
    if (!f.SaveLoadValue(nameBytes)) return false;
    if (!f.SaveLoad(const_cast<char*>(name), nameBytes)) return false;
    uint16_t objectVersion = kObjectVersion;
    return f.SaveLoadValue(objectVersion);
}

JTUnknown* JTUnknown::LoadType(JTFile& f, bool* isNew, int expectedType) {
    if (isNew) *isNew = false;
    if (!f.Loading()) return nullptr;
    uint16_t headerVersion = 0;
    int32_t ref = 0;
    if (!f.SaveLoadValue(headerVersion) || !f.SaveLoadValue(ref)) return nullptr;
    JTArray<JTUnknown*>& table = f.GetObjectTable();
    if (ref >= 0) {
        if (ref >= table.GetCount()) {
            f.Fail(); // refers to an object this stream never held
            return nullptr;
        }
        JTUnknown* earlier = table[ref];
        if (earlier && expectedType != kAnyClass && !earlier->IsDerived(expectedType)) {
            f.Fail();
            return nullptr;
        }
        return earlier;
    }
    if (ref != -1) {
        f.Fail();
        return nullptr;
    }

    uint16_t nameBytes = 0;
    if (!f.SaveLoadValue(nameBytes)) return nullptr;
    if (nameBytes == 0 || nameBytes > kMaxClassNameBytes) {
        f.Fail();
        return nullptr;
    }
    char name[kMaxClassNameBytes];
    if (!f.SaveLoad(name, nameBytes)) return nullptr;
    if (name[nameBytes - 1] != '\0') {
        f.Fail();
        return nullptr;
    }

    const int type = LookupTypeName(name);
    // Decided before anything is made: constructing some classes opens
    // devices or starts threads, which a file must never cause by naming
    // a class where its reader expects another.
    if (expectedType != kAnyClass && !JTClassMap::IsDerived(type, expectedType)) {
        f.Fail();
        return nullptr;
    }
    if (f.GetObjectNesting() >= JTFile::kMaxObjectNesting) {
        f.Fail();
        return nullptr;
    }
    JTUnknown* object = Create(type);
    if (!object) {
        // The fields that follow belong to a class we cannot read, so
        // nothing after this point in the stream can be trusted.
        f.Fail();
        return nullptr;
    }
    // Tabled before its fields are read, so objects inside it that refer
    // back to it resolve to it.
    int slot = table.Add(object);
    if (slot < 0) {
        delete object;
        f.Fail();
        return nullptr;
    }
    f.EnterObject();
    bool ok = object->SaveLoad(f);
    f.LeaveObject();
    if (!ok || f.Failed()) {
        // Half read: forget it and everything tabled while it was read
        // (those belong to it and go with it), so no back-reference can
        // reach a freed object, then free it.
        f.Fail();
        while (table.GetCount() > slot)
            table.RemoveLast();
        delete object;
        return nullptr;
    }
    if (isNew) *isNew = true;
    return object;
}
