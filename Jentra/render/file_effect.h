// Shared by the effect classes that drive an effect file: the definitions
// of their class statics, and the world-space helpers several of them use.
#pragma once

#include "Jentra/JTEffects.h"
#include "Jentra/render/compiled_effect.h"

// Defines the shared compiled file, its name and its release function.
#define JT_FILE_EFFECT_IMPL(T, file)                                                               \
    JTCompiledEffect* T::pD3DEffect = nullptr;                                                     \
    const char* const T::kFileName = file;                                                         \
    void T::ReleaseShared() {                                                                      \
        delete pD3DEffect;                                                                         \
        pD3DEffect = nullptr;                                                                      \
    }
