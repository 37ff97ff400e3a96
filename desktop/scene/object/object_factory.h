// CreateObject: builds an object of a factory class by number or by name.
// The scene engine's own classes are built in; the unit library registers
// its classes by name at start-up (RegisterClass), before any scene loads.
#pragma once

#include <new>

namespace lumivane {

class Unknown;

using ObjectMaker = Unknown* (*)();

// Makes a T with its defaults (null when memory runs out).
template <class T> Unknown* MakeObject() {
    return new (std::nothrow) T;
}

// Lets the factory build the class of that name (a name of the class table,
// any case) with `make`; a later registration of the class replaces the
// earlier one. The class number, or -1 for a name the class table does not
// know (nothing is registered then).
int RegisterClass(const char* name, ObjectMaker make);
template <class T> int RegisterClass(const char* name) {
    return RegisterClass(name, &MakeObject<T>);
}

// A class of that number built with its defaults, else one whose name
// equals `name` without regard to case. When none matches and both names
// are given, the alternative name is tried as the name once. Null when
// nothing matches or the class is not registered. Callers pass a number with
// null names, or a name with number -1.
Unknown* CreateObject(const char* alternativeName, const char* name, int classNumber);

} // namespace lumivane
