// Program-wide values of model loading: the object file being read (its
// path is the group of the textures its nodes ask for; empty between files),
// the running count of loaded model vertices, from which the shared vertex
// buffer is sized, the data folder property files are found in, and whether
// a scene-state file is being read (entities then keep their saved sizes).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace lumivane {

struct ModelLoadState {
    std::string currentFile;
    int32_t vertexCount = 0;
    std::filesystem::path dataRoot;
    bool sceneStateLoading = false;
};

ModelLoadState& GetModelLoadState();

} // namespace lumivane
