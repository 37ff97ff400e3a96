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

// Steps run in name order, phase by phase: a scene saves what the
// prototypes and models around it hold, so it must see all of them, and what
// reads the scenes runs after them, on a first build as on every later one.
enum class StepPhase { kData, kScenes, kFromScenes };

struct Step {
    std::string name;
    StepFunction run;
    StepPhase phase = StepPhase::kData;
};

std::vector<Step>& Steps();

struct StepRegistrar {
    StepRegistrar(std::string name, StepFunction run, StepPhase phase = StepPhase::kData) {
        Steps().push_back({std::move(name), std::move(run), phase});
    }
};

} // namespace databuilder

#define DATABUILDER_STEP(identifier, name)                                                         \
    static bool identifier(const databuilder::Context&);                                           \
    static const databuilder::StepRegistrar identifier##_registrar{name, identifier};              \
    static bool identifier(const databuilder::Context& context)

// A step that reads the scenes: it runs once they are written.
#define DATABUILDER_STEP_AFTER_SCENES(identifier, name)                                            \
    static bool identifier(const databuilder::Context&);                                           \
    static const databuilder::StepRegistrar identifier##_registrar{                                \
        name, identifier, databuilder::StepPhase::kFromScenes};                                    \
    static bool identifier(const databuilder::Context& context)

// A step that writes scenes: it runs once every other step has written its
// data.
#define DATABUILDER_SCENE_STEP(identifier, name)                                                   \
    static bool identifier(const databuilder::Context&);                                           \
    static const databuilder::StepRegistrar identifier##_registrar{                                \
        name, identifier, databuilder::StepPhase::kScenes};                                        \
    static bool identifier(const databuilder::Context& context)
