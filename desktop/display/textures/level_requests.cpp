// The frame's texture requests: kept in descending priority, then granted
// level by level within the pool's budget (a request finding its level full
// moves one level down), and the granted levels put into the pool slots
// least recently used.
#include "desktop/display/textures/texture_manager.h"

#include <algorithm>
#include <set>
#include <utility>

namespace lumivane {

void TextureManager::RequestLevel(TextureFrame* frame, float priority, int level) {
    if (!frame) return;
    auto same = std::find_if(requests_.begin(), requests_.end(), [&](const LevelRequest& r) {
        return r.frame == frame && r.level == level;
    });
    if (same != requests_.end()) {
        // Only a higher priority changes it; it then moves up to keep the
        // list in order.
        if (priority <= same->priority) return;
        requests_.erase(same);
    }
    auto before = std::find_if(requests_.begin(), requests_.end(),
                               [&](const LevelRequest& r) { return r.priority < priority; });
    requests_.insert(before, LevelRequest{frame, priority, level});
}

void TextureManager::UploadRequested() {
    ++frameStamp_;
    int budget[kTextureLevelCount];
    for (int level = 0; level < kTextureLevelCount; ++level)
        budget[level] = PoolCount(level);

    std::vector<LevelRequest> kept;
    kept.reserve(requests_.size());
    std::set<std::pair<const TextureFrame*, int>> keptLevels;
    for (const LevelRequest& request : requests_) {
        const int count = request.frame->LevelCount();
        if (count == 0) continue;
        int level = std::min({request.level, count - 1, kMaxRequestLevel});
        bool dropped = false;
        while (level > 1) {
            if (keptLevels.count({request.frame, level})) {
                dropped = true;
                break;
            }
            if (budget[level] > 0) {
                --budget[level];
                if (TextureSlot* slot = request.frame->Level(level)->slot) slot->Stamp(frameStamp_);
                break;
            }
            --level;
        }
        if (dropped) continue;
        kept.push_back(LevelRequest{request.frame, request.priority, level});
        keptLevels.insert({request.frame, level});
    }

    for (const LevelRequest& request : kept) {
        TextureLevel* level = request.frame->Level(request.level);
        if (!level || !level->Loaded()) continue;
        if (level->slot) {
            level->slot->Stamp(frameStamp_);
            continue;
        }
        auto& slots = pool_[size_t(request.level)];
        TextureSlot* oldest = nullptr;
        for (auto& slot : slots)
            if (!oldest || slot->LastUsed() < oldest->LastUsed()) oldest = slot.get();
        if (!oldest) continue;
        oldest->Attach(level);
        oldest->Stamp(frameStamp_);
    }
}

} // namespace lumivane
