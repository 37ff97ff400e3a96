// The overlay's pictures, loaded at start-up: the logo model, the frame of
// the inset picture and the environment map of the bump pass.
#include "desktop/display/device/display.h"

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/script_config.h"
#include "desktop/scene/world/model_library.h"

namespace lumivane {

namespace {

constexpr const char* kTextureFolder = "models\\textures\\";

} // namespace

void Display::LoadOverlayTextures(const ScriptConfig* script, bool logo, bool screensaver) {
    if (logo) {
        const ModelLibrary* library = GetModelLibrary();
        if (Entity* model = library ? library->CreateInstance("logo", false) : nullptr) {
            AddOverlayModel(model);
            if (model->sequencer)
                model->sequencer->Play(screensaver ? "screensaver" : "on", model->sequenceStates,
                                       screensaver ? 1 : 0);
        }
    }
    TextureSource* textures = GetTextureSource();
    const ScriptBlock* settings = script ? script->FindBlock("Game", "settings") : nullptr;
    std::string name;
    if (textures && settings && settings->GetString("PIPtex", name))
        overlay_.pictureInPicture =
            textures->GetTexture(std::string(kTextureFolder) + name, "Display", 1, 0);
    if (envBump_) {
        overlay_.environmentMap =
            textures
                ? textures->GetTexture(std::string(kTextureFolder) + "envmap.dds", "Display", 1, 0)
                : nullptr;
        if (!overlay_.environmentMap) envBump_ = false;
    }
}

} // namespace lumivane
