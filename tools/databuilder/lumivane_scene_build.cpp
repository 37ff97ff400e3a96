// The shared scaffolding of the data builder's Lumivane scene steps.
#include "tools/databuilder/lumivane_scene_build.h"

#include <cstdio>
#include <fstream>

namespace databuilder {

using namespace lumivane;

LumivaneSceneBuild::LumivaneSceneBuild(uint32_t creationTime, const char* step) : step_(step) {
    world.Init();
    SetWorld(&world);
    SetModelLibrary(&library);
    SetScene(&scene);
    SetSceneTimeSource([creationTime] { return creationTime; });
}

LumivaneSceneBuild::~LumivaneSceneBuild() {
    SetScene(nullptr);
    SetSceneTimeSource(nullptr);
    world.Clear();
    SetWorld(nullptr);
    SetModelLibrary(nullptr);
}

bool LumivaneSceneBuild::LoadModels(const std::filesystem::path& root) {
    return library.LoadAll(root) != 0;
}

bool LumivaneSceneBuild::SaveAndCheck(const char* path, size_t triggers) {
    scene.sourcePath = path;
    bool ok = scene.Save(path);
    Scene check;
    SetScene(&check);
    ok =
        ok && check.Load(path) == 1 && check.triggers.size() == triggers && world.EntityCount() > 0;
    SetScene(&scene);
    if (!ok) std::fprintf(stderr, "%s: %s could not be built\n", step_, path);
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
