// Writes Lumivane's data root, LumivaneData/: its folders, the script
// configuration from data/lumivane/script.dat, and the basic shapes (sphere,
// quad, ring) as object files saved through the engine's own save code.
#include "tools/databuilder/shared/data_step.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/object_file.h"
#include "tools/databuilder/lumivane/lumivane_shapes.h"

namespace {

const char* const kLumivaneFolders[] = {"models",     "models/textures", "objects",    "scenes",
                                        "properties", "sounds",          "LoadScreens"};

bool SaveShape(const std::filesystem::path& models, const char* file, lumivane::GeoNode* shape) {
    std::string error;
    bool saved = lumivane::SaveObjectFile(models / file, shape, &error);
    shape->Release();
    if (!saved) std::fprintf(stderr, "databuilder: %s\n", error.c_str());
    return saved;
}

} // namespace

DATABUILDER_STEP(WriteLumivaneData, "lumivane data") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    std::error_code error;
    for (const char* folder : kLumivaneFolders) {
        std::filesystem::create_directories(root / folder, error);
        if (error) {
            std::fprintf(stderr, "databuilder: cannot create %s: %s\n", (root / folder).c_str(),
                         error.message().c_str());
            return false;
        }
    }
    std::filesystem::copy_file(context.dataSources / "lumivane" / "script.dat", root / "script.dat",
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        std::fprintf(stderr, "databuilder: cannot copy script.dat: %s\n", error.message().c_str());
        return false;
    }
    const std::filesystem::path models = root / "models";
    return SaveShape(models, "sphere.vrn", databuilder::MakeSphere("sphere", 1.0f, 16, 24)) &&
           SaveShape(models, "quad.vrn",
                     databuilder::MakeQuad("quad", 1.0f, {.colour = 0xFFFFFFFF, .lit = false})) &&
           SaveShape(
               models, "ring.vrn",
               databuilder::MakeRing("ring", 1.2f, 2.0f, 48, {.colour = 0xC0FFFFFF, .lit = false}));
}
