// JTFont's builder: an atlas texture and glyph tables drawn from the
// builder's face (DejaVu Sans at 24 points unless set), 4-bit alpha on
// white, with its MIP levels.
#include "Jentra/JTFont.h"

#include <cstring>

#include "Jentra/JTRenderer.h"
#include "Jentra/JTTexture.h"
#include "Jentra/render/font_atlas.h"
#include "platform/render/resources.h"

bool JTFont::CreateTexture() {
    if (!gpJTTextureMan) return false;
    int maxSide = 0;
    if (gpJTRenderer) maxSide = int(gpJTRenderer->GetAdapterHALDeviceCaps(0).MaxTextureWidth);
    jentra::font::FontAtlas atlas;
    if (!jentra::font::BuildFontAtlas(faceName, pointSize, flags, maxSide, atlas)) return false;
    JTTexture* made =
        gpJTTextureMan->Create(atlas.width, atlas.height, D3DFMT_A4R4G4B4, true, 0, 1);
    platform::render::Texture* device = made ? made->GetD3DTexture(0) : nullptr;
    platform::render::D3DLOCKED_RECT rect;
    if (!device || device->LockRect(0, &rect, 0) != D3D_OK) return false;
    for (int y = 0; y < atlas.height; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(rect.pBits) +
                                                size_t(y) * size_t(rect.Pitch));
        for (int x = 0; x < atlas.width; ++x)
            row[x] =
                uint16_t(atlas.alpha[size_t(y) * size_t(atlas.width) + size_t(x)] << 12 | 0xFFF);
    }
    device->UnlockRect(0);
    made->CreateMIPLevels(gpJTDisplay);
    texture = made;
    atlasWidth = atlas.width;
    atlasHeight = atlas.height;
    std::memset(glyphRect, 0, sizeof glyphRect);
    std::memset(advance, 0, sizeof advance);
    for (int code = 32; code < kCodes; ++code) {
        std::memcpy(glyphRect[code], atlas.rect[code], sizeof glyphRect[code]);
        advance[code] = atlas.advance[code];
    }
    FindInk();
    return true;
}
