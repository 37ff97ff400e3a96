// Copies the effect files (data/effects/*.eft) into the program's folder,
// where the effects look for them by class name.
#include "tools/databuilder/shared/data_step.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

DATABUILDER_STEP(CopyEffectFiles, "effects") {
    const std::filesystem::path sources = context.dataSources / "effects";
    std::error_code error;
    if (!std::filesystem::is_directory(sources, error)) {
        std::fprintf(stderr, "databuilder: no effect files in %s\n", sources.c_str());
        return false;
    }
    int copied = 0;
    for (const auto& entry : std::filesystem::directory_iterator(sources, error)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".eft") continue;
        const std::filesystem::path target = context.runtime / entry.path().filename();
        std::filesystem::copy_file(entry.path(), target,
                                   std::filesystem::copy_options::overwrite_existing, error);
        if (error) {
            std::fprintf(stderr, "databuilder: cannot copy %s: %s\n", entry.path().c_str(),
                         error.message().c_str());
            return false;
        }
        ++copied;
    }
    if (error || copied == 0) {
        std::fprintf(stderr, "databuilder: no effect files copied from %s\n", sources.c_str());
        return false;
    }
    return true;
}
