// The shared parts of the data builder's Lumivane scene steps.
#include "tools/databuilder/lumivane_scene_build.h"

#include <cstdio>
#include <fstream>

#include "desktop/scene/world/standalone_scene.h"
#include "tools/databuilder/lumivane_camera_data.h"

namespace databuilder {

using namespace lumivane;

bool SaveAndCheckScene(Scene& scene, const std::filesystem::path& root, const char* path,
                       size_t triggers, const char* step, const StartView* start) {
    scene.sourcePath = path;
    bool ok = false;
    {
        // The scene starts at its own home view: the camera block is the
        // camera controller's for the scene.
        const SceneCameraDisplay cameraBlock(scene, start);
        ok = scene.Save(path);
    }
    {
        StandaloneScene check(root);
        ok = ok && check.scene.Load(path) == 1 && check.scene.triggers.size() == triggers &&
             check.world.EntityCount() > 0;
    }
    if (!ok) std::fprintf(stderr, "%s: %s could not be built\n", step, path);
    return ok;
}

bool WriteSceneTexts(const std::filesystem::path& path, const char* heading,
                     const std::vector<SceneText>& texts, const char* step) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << heading << "\r\nId,Context,English\r\n";
    for (const SceneText& text : texts)
        out << text.id << ',' << text.context << ',' << text.english << "\r\n";
    if (out.good()) return true;
    std::fprintf(stderr, "%s: cannot write %s\n", step, path.c_str());
    return false;
}

bool MakeSceneFolders(const std::filesystem::path& root, const char* step) {
    std::error_code error;
    for (const char* folder : {"models", "properties", "scenes"})
        std::filesystem::create_directories(root / folder, error);
    if (!error) return true;
    std::fprintf(stderr, "%s: %s\n", step, error.message().c_str());
    return false;
}

} // namespace databuilder
