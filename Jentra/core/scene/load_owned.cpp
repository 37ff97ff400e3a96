// The loader of owned contained objects and the matrix field helper.
#include "Jentra/core/scene/load_owned.h"

JTUnknown* LoadOwnedObject(JTFile& f, int expectedType) {
    bool isNew = false;
    JTUnknown* object = JTUnknown::LoadType(f, &isNew, expectedType);
    if (!object) return nullptr;
    // A back-reference names an object that already has its owner; taking
    // it again would make it owned twice (or own itself).
    if (!isNew) {
        f.Fail();
        return nullptr;
    }
    if (expectedType != JTUnknown::kAnyClass && !object->IsDerived(expectedType)) {
        RefuseLoadedObject(f, object);
        return nullptr;
    }
    return object;
}

void RefuseLoadedObject(JTFile& f, JTUnknown* object) {
    if (!object) return;
    JTArray<JTUnknown*>& table = f.GetObjectTable();
    int index = table.Find(object);
    if (index >= 0) table[index] = nullptr;
    delete object;
    f.Fail();
}

bool SaveLoadMatrix(JTFile& f, JTMatrix& m) {
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            if (!f.SaveLoadValue(m.m[r][c])) return false;
    return true;
}
