// Key blocks of animation channels as the data builder's model steps make
// them: each a malloc'd copy that the channel takes over when AddKey accepts
// it.
#pragma once

#include <cstdlib>
#include <cstring>

#include "Jentra/JTMath.h"

namespace databuilder {

// A frame channel's key: the 64 bytes of a matrix.
inline void* MatrixKey(const JTMatrix& m) {
    void* p = std::malloc(sizeof m.m);
    if (p) std::memcpy(p, &m.m[0][0], sizeof m.m);
    return p;
}

// A visibility channel's key: one opacity.
inline void* OpacityKey(float v) {
    void* p = std::malloc(sizeof v);
    if (p) std::memcpy(p, &v, sizeof v);
    return p;
}

} // namespace databuilder
