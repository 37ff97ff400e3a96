// The display's memory of the render and texture-stage states the renderer
// changes: a state is sent to the device only when its value differs from
// the last one sent, and every value sent is counted for the statistics
// line. After the device is made anew nothing is known and everything goes.
#pragma once

#include "platform/render/device_types.h"

#include <array>
#include <cstdint>

namespace platform::render {
class Device;
}

namespace lumivane {

class RenderStateCache {
public:
    static constexpr int kStates = 256;
    static constexpr int kStages = 8;
    static constexpr int kStageStates = 32;

    void Bind(platform::render::Device* device);
    // Forgets every value (the device is new or was changed behind us).
    void Invalidate();

    void SetRenderState(D3DRENDERSTATETYPE state, uint32_t value);
    void SetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type, uint32_t value);
    // Stage 0 modulates its texture by the vertex colour, or shows the
    // vertex colour alone when nothing is textured.
    void SetBaseStage(bool textured);
    // The last value sent, or `fallback` when none was.
    uint32_t RenderState(D3DRENDERSTATETYPE state, uint32_t fallback = 0) const;
    uint32_t StageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type, uint32_t fallback = 0) const;

    // Values sent since the counter was last taken.
    uint32_t Changes() const { return changes_; }
    uint32_t TakeChanges() {
        const uint32_t n = changes_;
        changes_ = 0;
        return n;
    }

private:
    platform::render::Device* device_ = nullptr;
    std::array<uint32_t, kStates> states_{};
    std::array<bool, kStates> known_{};
    std::array<std::array<uint32_t, kStageStates>, kStages> stageStates_{};
    std::array<std::array<bool, kStageStates>, kStages> stageKnown_{};
    uint32_t changes_ = 0;
};

} // namespace lumivane
