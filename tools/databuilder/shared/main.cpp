// databuilder --data <sources> --out <runtime folder>
// Writes every runtime data folder the programs read.
#include "tools/databuilder/shared/data_step.h"

#include "Jentra/render/render_parts.h"
#include "desktop/units/unit_classes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace databuilder {
std::vector<Step>& Steps() {
    static std::vector<Step> steps;
    return steps;
}
} // namespace databuilder

// Folders the programs expect beside them, even while they are empty.
static const char* const kRuntimeFolders[] = {"modules", "Chess", "Recorded", "music", "dialogue"};

int main(int argc, char** argv) {
    databuilder::Context context;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--data") == 0) {
            context.dataSources = argv[i + 1];
        } else if (std::strcmp(argv[i], "--out") == 0) {
            context.runtime = argv[i + 1];
        } else {
            std::fprintf(stderr, "databuilder: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (context.runtime.empty()) {
        std::fprintf(stderr, "usage: databuilder [--data <folder>] --out <folder>\n");
        return 2;
    }
    std::error_code error;
    for (const char* folder : kRuntimeFolders) {
        std::filesystem::create_directories(context.runtime / folder, error);
        if (error) {
            std::fprintf(stderr, "databuilder: cannot create %s: %s\n",
                         (context.runtime / folder).c_str(), error.message().c_str());
            return 1;
        }
    }
    // Models hold meshes and effects: their classes must be there to save.
    JTInstallRenderParts();
    // Lumivane's unit prototypes are built and saved by the unit classes.
    lumivane::RegisterUnitClasses();
    auto& steps = databuilder::Steps();
    std::sort(steps.begin(), steps.end(), [](const auto& a, const auto& b) {
        return a.phase != b.phase ? a.phase < b.phase : a.name < b.name;
    });
    for (const auto& step : steps) {
        if (!step.run(context)) {
            std::fprintf(stderr, "databuilder: step \"%s\" failed\n", step.name.c_str());
            JTUninstallRenderParts();
            return 1;
        }
    }
    JTUninstallRenderParts();
    return 0;
}
