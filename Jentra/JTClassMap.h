// The class registry: class names and their instantiate functions, indexed
// by type number. The engine's classes register when the library loads; a
// game registers its own after them with JTRegisterClass.
#pragma once

#include "Jentra/JTArray.h"
#include "Jentra/JTUnknown.h"

// Answers whether a class derives from the class of a type number.
typedef bool (*JTDerivationFn)(int type);

class JTClassMap {
public:
    JTClassMap() = delete;

    // Type number of name; a name registered before (ignoring case) keeps
    // its first number and functions. -1 when memory ran out. derivation
    // answers whether the class derives from a type number; without one
    // the class counts as derived from itself only.
    static int RegClass(const char* name, JTInstantiateFn instantiate,
                        JTDerivationFn derivation = nullptr);
    // Type number of name ignoring case, or -1.
    static int Lookup(const char* name);
    // Registered name of a type number, or null.
    static const char* Lookup(int type);
    static JTInstantiateFn GetInstantiateFn(int type);
    // Whether the registered class type derives from (or is) the class
    // base, answered without making an object; false for unknown types.
    static bool IsDerived(int type, int base);
    static int GetCount();
    // Empties the registry (names freed); run when the library unloads.
    static void Destroy();
};

// Registers T under its class name and stores the number in T::nType.
template <class T> void JTRegisterClass() {
    T::nType = JTClassMap::RegClass(
        T::StaticClassName(), []() -> JTUnknown* { return T::Instantiate(); }, &T::StaticIsDerived);
}
