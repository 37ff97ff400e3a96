// How effects reach their textures: a texture's frames and their device
// textures, its alpha, and texture references in model streams.
#include "Jentra/JTEffect.h"

#include "Jentra/JTFile.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTTexture.h"
#include "platform/render/resources.h"

namespace {

// A reference read where there is no texture manager to load it with (a
// tool reading models): its fields are read and the texture stays null.
bool SkipTextureRef(JTFile& f, JTTexture*& texture) {
    uint16_t version = 0;
    uint32_t present = 0;
    texture = nullptr;
    if (!f.SaveLoadValue(version) || !f.SaveLoadValue(present)) return false;
    if (!present) return true;
    char name[kJTTextureNameSize];
    return f.SaveLoad(name, sizeof name);
}

} // namespace

platform::render::BaseTexture* JTEffect::DeviceTexture(JTTexture* texture) {
    JTTextureFrame* frame = TextureFrame(texture, 0);
    return frame ? frame->GetD3DTexture() : nullptr;
}

JTTextureFrame* JTEffect::TextureFrame(JTTexture* texture, uint32_t index) {
    if (!texture || index >= uint32_t(texture->GetNumFrames())) return nullptr;
    return texture->GetFrame(int(index));
}

bool JTEffect::TextureHasAlpha(JTTexture* texture) {
    return texture && texture->HasAlpha();
}

bool JTEffect::SaveLoadTexture(JTFile& f, JTTexture*& texture) {
    if (gpJTTextureMan) return gpJTTextureMan->SaveLoadRef(f, &texture);
    if (f.Loading()) return SkipTextureRef(f, texture);
    // Saving needs only the name; a manager of no display keeps nothing.
    JTTextureMan names(nullptr);
    return names.SaveLoadRef(f, &texture);
}
