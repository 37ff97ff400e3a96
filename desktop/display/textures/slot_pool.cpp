// The shared slot pool: texture memory is measured by making surfaces until
// the device refuses, and the measure is shared among the levels by weight
// (no pool slots of 8, 16 or 1024 texels).
#include "desktop/display/textures/texture_manager.h"

#include "platform/render/device.h"

#include <algorithm>

namespace lumivane {

namespace {

constexpr double kLevelWeights[kTextureLevelCount] = {0, 0, 0.5, 0.5, 0.5, 0.4, 0.5, 0};
constexpr int kMaxProbesPerLevel = 1024;
constexpr double kBudgetShare = 0.95;
constexpr double kChainCost = 1.34; // a whole chain takes a third more than its top
constexpr int64_t kSmallestBudget = 4096;
// At level 2 a slot without a surface ends the level's pool.
constexpr int kStrictLevel = 2;

} // namespace

void TextureManager::FreePool() {
    for (auto& level : pool_)
        level.clear();
    // A request may still name a pool slot's level; the slots are gone, the
    // levels they showed stay.
}

uint64_t TextureManager::MeasureTexels() {
    platform::render::Device* device = Device();
    if (!device) return 0;
    int unshared = 0;
    for (const auto& set : sets_)
        unshared += set->Resident() ? 0 : 1;
    const int probes = std::min(2 * unshared, kMaxProbesPerLevel);

    // All probes are kept while smaller levels are tried, so each level
    // gets what the larger ones left.
    std::vector<std::unique_ptr<platform::render::Texture>> made;
    uint64_t texels = 0;
    for (int level = deviceMaxLevel_; level >= 0; --level) {
        const uint64_t area = uint64_t(LevelSide(level)) * uint64_t(LevelSide(level));
        for (int count = 0; count < probes; ++count) {
            // Beyond the ceiling more surfaces change nothing: stop there.
            if (texels >= kMeasureCeilingTexels) break;
            auto probe = device->CreateTexture(LevelSide(level), LevelSide(level), 1, 0,
                                               plainFormat_, D3DPOOL_DEFAULT);
            if (!probe) break;
            made.push_back(std::move(probe));
            texels += area;
        }
    }
    return std::min(texels, kMeasureCeilingTexels);
}

bool TextureManager::BuildSlotPool() {
    FreePool();
    measuredTexels_ = MeasureTexels();
    if (host_) host_->DrawProgress(1.0f);
    if (measuredTexels_ < kPoolMinimumTexels) return false;

    int unshared = 0;
    for (const auto& set : sets_)
        unshared += set->Resident() ? 0 : 1;
    int64_t budget = int64_t(kBudgetShare * double(measuredTexels_));
    int counts[kTextureLevelCount] = {};
    bool changed = true;
    while (budget > kSmallestBudget && changed) {
        changed = false;
        for (int level = workingMaxLevel_; level >= 0; --level) {
            const int64_t area = int64_t(LevelSide(level)) * LevelSide(level);
            const int64_t cost = int64_t(double(area) * kChainCost);
            int64_t want = int64_t(double(budget) * kLevelWeights[level]) / cost;
            want = std::min<int64_t>(want, unshared - counts[level]);
            if (want > 0) {
                budget -= cost * want;
                counts[level] += int(want);
                changed = true;
            }
        }
    }

    for (int level = kTextureLevelCount - 1; level >= 0; --level) {
        auto& slots = pool_[size_t(level)];
        for (int i = 0; i < counts[level]; ++i) {
            auto slot = std::make_unique<TextureSlot>(*this, level, false);
            if (!slot->CreateSurface(kPixelKindAlpha) && level == kStrictLevel) break;
            slots.push_back(std::move(slot));
        }
        if (host_) host_->DrawProgress(1.0f);
    }
    return true;
}

} // namespace lumivane
