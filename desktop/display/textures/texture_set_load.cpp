// Loading a texture set: one file, or the frames of a numbered sequence,
// with the missing-file report when it fails; the per-texture limits of
// dedicated slots from the script configuration.
#include "desktop/display/textures/texture_manager.h"

#include "desktop/display/textures/sequence_names.h"
#include "desktop/scene/object/script_config.h"
#include "platform/paths.h"

#include <cstdio>

namespace lumivane {

namespace {

constexpr int32_t kMissingTextureKind = 1;
constexpr int kDefaultDedicatedLimit = 8;

} // namespace

bool TextureManager::LoadSet(TextureSet& set, std::string_view path, std::string_view group) {
    ReleaseSet(set);
    set.path_ = std::string(path);

    bool loaded = false;
    const SequenceName sequence = ParseSequenceName(set.path_);
    if (sequence.isSequence) {
        // Frames are counted by probing until a number has no file; three
        // digits end the count at 999.
        std::vector<std::string> names;
        for (int n = sequence.firstNumber; n <= kLastSequenceNumber; ++n) {
            std::string name = SequenceFramePath(set.path_, sequence, n);
            if (name.empty() || !platform::ResolvePath(dataRoot_, name)) break;
            names.push_back(std::move(name));
        }
        loaded = !names.empty();
        for (const std::string& name : names) {
            set.frames_.push_back(std::make_unique<TextureFrame>(&set));
            if (!LoadFrame(set, *set.frames_.back(), name)) {
                loaded = false;
                break;
            }
        }
    } else {
        set.frames_.push_back(std::make_unique<TextureFrame>(&set));
        loaded = LoadFrame(set, *set.frames_.back(), set.path_);
    }
    if (!loaded && reportMissing) reportMissing(kMissingTextureKind, set.path_, group);
    return loaded;
}

int TextureManager::DedicatedLimit(const std::string& path) const {
    if (!config_ || !host_) return kDefaultDedicatedLimit;
    int width = 0, height = 0;
    host_->DisplaySize(width, height);
    char blockName[32];
    std::snprintf(blockName, sizeof blockName, "%ix%i", width, height);
    const ScriptBlock* block = config_->FindBlock("Textures", blockName);
    if (!block) return kDefaultDedicatedLimit;
    const size_t slash = path.find_last_of('\\');
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    int32_t limit = kDefaultDedicatedLimit;
    return block->GetInt(file, limit) ? int(limit) : kDefaultDedicatedLimit;
}

} // namespace lumivane
