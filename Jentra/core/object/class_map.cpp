// The class registry. Its two arrays are created on first registration, so
// it works whatever order the library's static initialisers run in.
#include "Jentra/JTClassMap.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <strings.h>

namespace {

// Plain pointers, constant-initialised before any initialiser runs.
JTArray<char*>* gpNames = nullptr;
JTArray<JTInstantiateFn>* gpInstantiate = nullptr;
JTArray<JTDerivationFn>* gpDerivation = nullptr;

// Empties the registry when the library unloads.
struct ClassMapTeardown {
    ~ClassMapTeardown() { JTClassMap::Destroy(); }
} gTeardown;

bool Valid(int type) {
    return gpNames && type >= 0 && type < gpNames->GetCount();
}

} // namespace

int JTClassMap::RegClass(const char* name, JTInstantiateFn instantiate, JTDerivationFn derivation) {
    if (!name) return -1;
    if (!gpNames) {
        gpNames = new (std::nothrow) JTArray<char*>(16);
        gpInstantiate = new (std::nothrow) JTArray<JTInstantiateFn>(16);
        gpDerivation = new (std::nothrow) JTArray<JTDerivationFn>(16);
        if (!gpNames || !gpInstantiate || !gpDerivation) {
            Destroy();
            return -1;
        }
    }
    int existing = Lookup(name);
    if (existing >= 0) return existing;
    char* copy = strdup(name);
    if (!copy) return -1;
    if (gpInstantiate->Add(instantiate) < 0) {
        std::free(copy);
        return -1;
    }
    if (gpDerivation->Add(derivation) < 0) {
        gpInstantiate->RemoveLast();
        std::free(copy);
        return -1;
    }
    if (gpNames->Add(copy) < 0) {
        gpInstantiate->RemoveLast();
        gpDerivation->RemoveLast();
        std::free(copy);
        return -1;
    }
    return gpNames->GetCount() - 1;
}

int JTClassMap::Lookup(const char* name) {
    if (!gpNames || !name) return -1;
    for (int i = 0; i < gpNames->GetCount(); ++i)
        if (strcasecmp((*gpNames)[i], name) == 0) return i;
    return -1;
}

const char* JTClassMap::Lookup(int type) {
    return Valid(type) ? (*gpNames)[type] : nullptr;
}

JTInstantiateFn JTClassMap::GetInstantiateFn(int type) {
    return Valid(type) ? (*gpInstantiate)[type] : nullptr;
}

bool JTClassMap::IsDerived(int type, int base) {
    if (!Valid(type)) return false;
    JTDerivationFn derivation = (*gpDerivation)[type];
    return derivation ? derivation(base) : type == base;
}

int JTClassMap::GetCount() {
    return gpNames ? gpNames->GetCount() : 0;
}

void JTClassMap::Destroy() {
    if (gpNames)
        for (int i = 0; i < gpNames->GetCount(); ++i)
            std::free((*gpNames)[i]);
    delete gpNames;
    delete gpInstantiate;
    delete gpDerivation;
    gpNames = nullptr;
    gpInstantiate = nullptr;
    gpDerivation = nullptr;
}
