// The render-state cache.
#include "desktop/display/device/render_state_cache.h"

#include "platform/render/device.h"

namespace lumivane {

void RenderStateCache::Bind(platform::render::Device* device) {
    device_ = device;
    Invalidate();
}

void RenderStateCache::Invalidate() {
    known_.fill(false);
    for (auto& stage : stageKnown_)
        stage.fill(false);
}

void RenderStateCache::SetRenderState(D3DRENDERSTATETYPE state, uint32_t value) {
    const auto i = size_t(state);
    if (i >= size_t(kStates) || (known_[i] && states_[i] == value)) return;
    states_[i] = value;
    known_[i] = true;
    ++changes_;
    if (device_) device_->SetRenderState(state, value);
}

void RenderStateCache::SetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                            uint32_t value) {
    const auto t = size_t(type);
    if (stage >= uint32_t(kStages) || t >= size_t(kStageStates)) return;
    if (stageKnown_[stage][t] && stageStates_[stage][t] == value) return;
    stageStates_[stage][t] = value;
    stageKnown_[stage][t] = true;
    ++changes_;
    if (device_) device_->SetTextureStageState(stage, type, value);
}

uint32_t RenderStateCache::RenderState(D3DRENDERSTATETYPE state, uint32_t fallback) const {
    const auto i = size_t(state);
    return i < size_t(kStates) && known_[i] ? states_[i] : fallback;
}

uint32_t RenderStateCache::StageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                      uint32_t fallback) const {
    const auto t = size_t(type);
    if (stage >= uint32_t(kStages) || t >= size_t(kStageStates) || !stageKnown_[stage][t])
        return fallback;
    return stageStates_[stage][t];
}

void RenderStateCache::SetBaseStage(bool textured) {
    const uint32_t op = textured ? D3DTOP_MODULATE : D3DTOP_SELECTARG2;
    SetTextureStageState(0, D3DTSS_COLOROP, op);
    SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    SetTextureStageState(0, D3DTSS_ALPHAOP, op);
    SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

} // namespace lumivane
