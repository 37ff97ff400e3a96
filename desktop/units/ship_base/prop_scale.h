// A property of a shared block scaled for a moment: the order handlers scale
// "thrust" or "angular thrust" for one call, and the block is shared by the
// prototype and all its clones, so the value must come back however the
// call ends. The guard keeps the value and puts it back when it goes.
#pragma once

#include <cstddef>

#include "desktop/scene/entity/prop_block.h"

namespace lumivane {

class ScopedPropScale {
public:
    // A null block scales nothing.
    ScopedPropScale(PropBlock* block, size_t offset, float factor)
        : block_(block), offset_(offset) {
        if (!block_) return;
        kept_ = block_->Float(offset_);
        block_->Set<float>(offset_, kept_ * factor);
    }
    ~ScopedPropScale() {
        if (block_) block_->Set<float>(offset_, kept_);
    }
    ScopedPropScale(const ScopedPropScale&) = delete;
    ScopedPropScale& operator=(const ScopedPropScale&) = delete;

private:
    PropBlock* block_;
    size_t offset_;
    float kept_ = 0.0f;
};

} // namespace lumivane
