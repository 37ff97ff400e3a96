// Program-wide values of model loading: the object file being read (its
// path is the group of the textures its nodes ask for; empty between files)
// and the running count of loaded model vertices, from which the shared
// vertex buffer is sized.
#pragma once

#include <cstdint>
#include <string>

namespace lumivane {

struct ModelLoadState {
    std::string currentFile;
    int32_t vertexCount = 0;
};

ModelLoadState& GetModelLoadState();

} // namespace lumivane
