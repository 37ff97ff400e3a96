// The class registry: class names and their instantiate functions, indexed
// by type number. Internal to the engine library (and its tests).
#pragma once

#include "Jentra/JTArray.h"
#include "Jentra/JTUnknown.h"

class JTClassMap {
public:
    JTClassMap() = delete;

    // Type number of name; a name registered before (ignoring case) keeps
    // its first number and function. -1 when memory ran out.
    static int RegClass(const char* name, JTInstantiateFn instantiate);
    // Type number of name ignoring case, or -1.
    static int Lookup(const char* name);
    // Registered name of a type number, or null.
    static const char* Lookup(int type);
    static JTInstantiateFn GetInstantiateFn(int type);
    static int GetCount();
    // Empties the registry (names freed); run when the library unloads.
    static void Destroy();
};

// Registers T under its class name and stores the number in T::nType.
template <class T> void JTRegisterClass() {
    T::nType =
        JTClassMap::RegClass(T::StaticClassName(), []() -> JTUnknown* { return T::Instantiate(); });
}
