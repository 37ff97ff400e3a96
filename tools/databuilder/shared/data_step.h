// The data builder's steps: each kind of runtime data (models, prototypes,
// sounds, books, language tables, ...) is written by one step that registers
// itself here at start-up.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace databuilder {

struct Context {
    std::filesystem::path dataSources; // hand-written sources (data/)
    std::filesystem::path runtime;     // the runtime folder being written
};

// A step returns false (after printing why to stderr) when it cannot write
// its data; the builder then fails the build.
using StepFunction = std::function<bool(const Context&)>;

struct Step {
    std::string name;
    StepFunction run;
};

std::vector<Step>& Steps();

struct StepRegistrar {
    StepRegistrar(std::string name, StepFunction run) {
        Steps().push_back({std::move(name), std::move(run)});
    }
};

} // namespace databuilder

#define DATABUILDER_STEP(identifier, name)                                                         \
    static bool identifier(const databuilder::Context&);                                           \
    static const databuilder::StepRegistrar identifier##_registrar{name, identifier};              \
    static bool identifier(const databuilder::Context& context)
