// Reading helpers shared by every scene and animation record: one field at
// a time, the limits on counts read from a file, and the loader of a
// contained object that the reader is to own.
#pragma once

#include <cstdint>

#include "Jentra/JTFile.h"
#include "Jentra/JTMath.h"
#include "Jentra/JTUnknown.h"

// Bounds on counts and lengths read from model files; the engine's own
// models stay far below them, so anything larger is a damaged file.
constexpr int kMaxLoadedSequences = 1024;
constexpr int kMaxLoadedKeys = 1 << 16;
constexpr int kMaxLoadedChildren = 1 << 16;
constexpr uint32_t kMaxLoadedNameLength = 4096;

// One number, little-endian.
template <class T> inline bool SaveLoadField(JTFile& f, T& value) {
    return f.SaveLoadValue(value);
}

// A matrix as 16 floats in row order.
bool SaveLoadMatrix(JTFile& f, JTMatrix& m);

// Reads a contained object and returns it only when it is a new object (not
// a reference to one read earlier in the stream, which already has an
// owner) of the expected class (any class for JTUnknown::kAnyClass). Anything else is
// refused with null; a stored class of the wrong kind is refused before
// an object of it is made.
JTUnknown* LoadOwnedObject(JTFile& f, int expectedType);

// Gives up an object just read that its reader cannot take (a class it
// does not accept): takes it out of the stream's object table, so no later
// back-reference reaches it, deletes it and marks the stream failed.
void RefuseLoadedObject(JTFile& f, JTUnknown* object);

template <class T> inline T* LoadOwned(JTFile& f) {
    return static_cast<T*>(LoadOwnedObject(f, T::nType));
}
