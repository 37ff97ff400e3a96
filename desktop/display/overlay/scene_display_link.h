// The display as the scene engine sees it: the scene's display seam (text
// slots, modes, overlay models, the block of the scene-state file), the
// frame seam of its bodies (texture requests, the overlay node) and the
// camera seams, all answered by one Display and its camera. Made, it
// installs itself; destroyed, it puts the stand-ins back.
#pragma once

#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"

namespace lumivane {

class Display;

class DisplaySceneLink : public SceneDisplay, public FrameDisplay {
public:
    explicit DisplaySceneLink(Display& display);
    ~DisplaySceneLink() override;
    DisplaySceneLink(const DisplaySceneLink&) = delete;
    DisplaySceneLink& operator=(const DisplaySceneLink&) = delete;

    // SceneDisplay.
    void ShowText(int slot, std::string_view text, bool atOnce) override;
    void HideText(int number) override;
    void RemoveText(int number) override;
    void SetLetterbox(int mode, bool animate) override;
    void SetHudVisible(int mode, bool fade) override;
    void SetCinematicMode(int mode, bool animate) override;
    void SetSwitch(int mode, int refresh) override;
    void SetFlags(int value) override;
    bool HasOverlay(std::string_view name) const override;
    Entity* FindOverlay(std::string_view name) const override;
    void RemoveOverlay(std::string_view name) override;
    void AddOverlayModel(Entity* entity) override;
    void ClearPauseFlag() override;
    void SetEffectParams(std::span<const int32_t> values) override;
    void SetWireframe(int mode) override;
    bool CinematicMode() const override;
    void ResetForRestart() override;
    void SaveState(platform::BinaryWriter& file) const override;
    bool LoadState(platform::BinaryReader& file, uint32_t version) override;

    // FrameDisplay.
    void RequestTexture(TextureSet* set, int frame, int priority, int level) override;
    Node* OverlayNode() override;

    // Brings the display's shape to what the scene's bodies read.
    void PublishShape();

private:
    // The frame's bump switch follows its mode word.
    void PublishBumpSwitch();

    Display& display_;
};

} // namespace lumivane
