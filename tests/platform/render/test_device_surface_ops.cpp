// The device's work for the older engine generation: the texture budget,
// the format enumeration, stage validation against the caps, the window's
// primary with copies, fills and read-back on software GL, three texture
// stages over 16-bit textures, DOT3, anisotropic filtering, the driver's
// identity and what it offers, and surfaces the recording device is told to lose.
#include "device_fixture.h"
#include "platform/render/adapters.h"

#include <algorithm>

using namespace device_test;

namespace {

// Position, colour and two texture pairs.
struct TwoSetVertex {
    float x, y, z;
    D3DCOLOR color;
    float u0, v0, u1, v1;
};
constexpr uint32_t kTwoSetFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2;

constexpr uint32_t kRedRgb = 0xFF0000, kBlueRgb = 0x0000FF;

// An 8 x 8 texture of 16-bit texels: `left` in the left half, `right` in
// the right half.
std::unique_ptr<Texture> HalvesTexture(Device& d, D3DFORMAT format, uint16_t left, uint16_t right) {
    auto texture = d.CreateTexture(8, 8, 1, 0, format, D3DPOOL_MANAGED);
    D3DLOCKED_RECT rect;
    EXPECT_EQ(texture->LockRect(0, &rect, 0), D3D_OK);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            std::memcpy(static_cast<uint8_t*>(rect.pBits) + y * rect.Pitch + x * 2,
                        x < 4 ? &left : &right, 2);
    texture->UnlockRect(0);
    return texture;
}

std::unique_ptr<Texture> SolidTexture(Device& d, D3DFORMAT format, uint16_t texel) {
    return HalvesTexture(d, format, texel, texel);
}

// A quad over the view; the second coordinate set runs right to left.
void DrawTwoSetQuad(Device& d, D3DCOLOR color) {
    const TwoSetVertex v[4] = {{-1, 1, 0.5f, color, 0, 0, 1, 0},
                               {1, 1, 0.5f, color, 1, 0, 0, 0},
                               {-1, -1, 0.5f, color, 0, 1, 1, 1},
                               {1, -1, 0.5f, color, 1, 1, 0, 1}};
    d.SetVertexShader(kTwoSetFvf);
    ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TwoSetVertex)), D3D_OK);
}

int Channel(uint32_t pixel, int shift) {
    return int((pixel >> shift) & 0xFF);
}

} // namespace

TEST_F(DeviceTest, TexturesPastTheBudgetAreRefused) {
    Open(DeviceKind::Recording);
    EXPECT_EQ(device->AvailableTextureMemory(), UINT64_MAX);
    device->SetTextureBudget(1 << 20);
    auto first = device->CreateTexture(512, 512, 1, 0, D3DFMT_R5G6B5, D3DPOOL_DEFAULT);
    auto second = device->CreateTexture(512, 512, 1, 0, D3DFMT_R5G6B5, D3DPOOL_DEFAULT);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(device->TextureMemoryUsed(), 1u << 20);
    EXPECT_EQ(device->AvailableTextureMemory(), 0u);
    EXPECT_FALSE(device->CreateTexture(8, 8, 1, 0, D3DFMT_R5G6B5, D3DPOOL_DEFAULT));
    // System memory is not the card's.
    EXPECT_TRUE(device->CreateTexture(512, 512, 1, 0, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM));
    // A whole chain counts every level.
    second.reset();
    EXPECT_FALSE(device->CreateTexture(512, 512, 0, 0, D3DFMT_R5G6B5, D3DPOOL_DEFAULT));
    EXPECT_TRUE(device->CreateTexture(256, 256, 0, 0, D3DFMT_R5G6B5, D3DPOOL_DEFAULT));
}

TEST_F(DeviceTest, FormatsAreEnumeratedWithTheirLayouts) {
    Open(DeviceKind::Recording);
    const auto formats = device->EnumTextureFormats();
    auto find = [&](D3DFORMAT f) {
        return std::find_if(formats.begin(), formats.end(),
                            [f](const TextureFormatDesc& d) { return d.Format == f; });
    };
    ASSERT_NE(find(D3DFMT_R5G6B5), formats.end());
    EXPECT_EQ(find(D3DFMT_R5G6B5)->GreenMask, 0x07E0u);
    EXPECT_EQ(find(D3DFMT_R5G6B5)->AlphaBits(), 0u);
    EXPECT_EQ(find(D3DFMT_A4R4G4B4)->AlphaBits(), 4u);
    EXPECT_EQ(find(D3DFMT_A1R5G5B5)->AlphaBits(), 1u);
    EXPECT_EQ(find(D3DFMT_V8U8)->Flags, kFormatBumpDuDv);
    EXPECT_EQ(find(D3DFMT_DXT1)->FourCC, uint32_t(D3DFMT_DXT1));
    EXPECT_EQ(device->EnumDepthFormats().back(), D3DFMT_D16);
}

TEST_F(DeviceTest, ValidationChecksTheStagesAgainstTheCaps) {
    Open(DeviceKind::Recording);
    uint32_t passes = 0;
    EXPECT_EQ(device->ValidateDevice(&passes), D3D_OK);
    EXPECT_EQ(passes, 1u);
    // Three stages, as the older engine probes.
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
    device->SetTextureStageState(2, D3DTSS_COLORARG1, D3DTA_CURRENT);
    device->SetTextureStageState(2, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    EXPECT_EQ(device->ValidateDevice(&passes), D3D_OK);
    Recording& r = *device->GetRecording();
    r.caps.MaxTextureBlendStages = 2;
    EXPECT_EQ(device->ValidateDevice(&passes), D3DERR_TOOMANYOPERATIONS);
    EXPECT_EQ(passes, 0u);
    r.caps = DefaultDeviceCaps();
    r.caps.MaxSimultaneousTextures = 1; // stages 0 and 1 both read a texture
    EXPECT_EQ(device->ValidateDevice(&passes), D3DERR_TOOMANYOPERATIONS);
    r.caps = DefaultDeviceCaps();
    device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
    EXPECT_EQ(device->ValidateDevice(&passes), D3DERR_UNSUPPORTEDCOLOROPERATION);
    device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3);
    device->SetTextureStageState(2, D3DTSS_COLORARG1, 0x40); // no such argument
    EXPECT_EQ(device->ValidateDevice(&passes), D3DERR_UNSUPPORTEDCOLORARG);
}

TEST_F(DeviceTest, LostSurfacesRefuseTheWindowUntilTheDeviceIsNew) {
    Open(DeviceKind::Recording);
    Surface* primary = device->GetPrimarySurface();
    ASSERT_EQ(device->ColorFill(primary, nullptr, 0xFF00FF00), D3D_OK);
    ASSERT_EQ(device->ShowPrimary(), D3D_OK);
    EXPECT_EQ(device->GetRecording()->primaryShows, 1);
    device->GetRecording()->surfacesLost = true;
    EXPECT_TRUE(device->SurfacesLost());
    EXPECT_EQ(
        device->StretchRect(device->GetBackBuffer(), nullptr, primary, nullptr, D3DTEXF_LINEAR),
        D3DERR_SURFACELOST);
    EXPECT_EQ(device->ShowPrimary(), D3DERR_SURFACELOST);
    EXPECT_EQ(device->GetRecording()->primaryShows, 1);
}

TEST_F(DeviceTest, CopiesAndFillsReachTheWindowsPicture) {
    Open(DeviceKind::OpenGL, 64, 48);
    Surface* primary = device->GetPrimarySurface();
    ASSERT_EQ(primary->Width(), 64);
    auto target = device->CreateRenderTarget(16, 12, D3DFMT_X8R8G8B8, 0);
    const D3DRECT top{0, 0, 16, 6}, bottom{0, 6, 16, 12};
    ASSERT_EQ(device->ColorFill(target.get(), &top, 0xFFFF0000), D3D_OK);
    ASSERT_EQ(device->ColorFill(target.get(), &bottom, 0xFF0000FF), D3D_OK);
    // Out of bounds and into itself are refused.
    const D3DRECT outside{0, 0, 17, 12};
    EXPECT_EQ(device->ColorFill(target.get(), &outside, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->StretchRect(target.get(), nullptr, target.get(), nullptr, D3DTEXF_POINT),
              D3DERR_INVALIDCALL);
    // Stretched four times over the window's left half, rows kept in order.
    const D3DRECT left{0, 0, 32, 48};
    ASSERT_EQ(device->StretchRect(target.get(), nullptr, primary, &left, D3DTEXF_POINT), D3D_OK);
    ASSERT_EQ(device->ShowPrimary(), D3D_OK);
    ASSERT_TRUE(device->ReadSurface(primary, pixels, width, height));
    EXPECT_EQ(Pixel(5, 5), kRedRgb);
    EXPECT_EQ(Pixel(5, 40), kBlueRgb);
    EXPECT_EQ(Pixel(40, 5), 0u); // the new window picture starts black
    EXPECT_EQ(device->TakeErrors(), 0);
}

TEST_F(DeviceTest, TheBackBufferIsShownWithoutACopyAndStaysApartFromThePrimary) {
    Open(DeviceKind::OpenGL, 64, 48);
    Surface* primary = device->GetPrimarySurface();
    auto depth = device->CreateDepthStencilSurface(64, 48, D3DFMT_D16, 0);
    ASSERT_EQ(device->SetRenderTarget(device->GetBackBuffer(), depth.get()), D3D_OK);
    ASSERT_EQ(device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFF0000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->ShowBackBuffer(), D3D_OK);
    ASSERT_TRUE(device->ReadSurface(primary, pixels, width, height));
    EXPECT_EQ(Pixel(0, 0), kRedRgb);
    EXPECT_EQ(Pixel(63, 47), kRedRgb);
    // The next frame is drawn apart from the picture shown, then shown.
    ASSERT_EQ(device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0), D3D_OK);
    ASSERT_TRUE(device->ReadSurface(primary, pixels, width, height));
    EXPECT_EQ(Pixel(10, 10), kRedRgb);
    ASSERT_EQ(device->ShowBackBuffer(), D3D_OK);
    ASSERT_TRUE(device->ReadSurface(primary, pixels, width, height));
    EXPECT_EQ(Pixel(10, 10), kBlueRgb);
    EXPECT_EQ(device->TakeErrors(), 0);
}

TEST_F(DeviceTest, ThreeStagesCombineSixteenBitTextures) {
    Open(DeviceKind::OpenGL, 8, 8);
    // Stage 0 takes a 5:6:5 grey, stage 1 doubles it times a 4:4:4:4 red
    // (left half; black right) read through the second coordinate set,
    // which runs the other way; stage 2 modulates with the vertex colour.
    auto grey = SolidTexture(*device, D3DFMT_R5G6B5, 0x8410);           // 132, 130, 132
    auto red = HalvesTexture(*device, D3DFMT_A4R4G4B4, 0xF800, 0xF000); // 136, 0, 0
    device->SetTexture(0, grey.get());
    device->SetTexture(1, red.get());
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    device->SetTextureStageState(1, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(1, D3DTSS_MINFILTER, D3DTEXF_ANISOTROPIC);
    device->SetTextureStageState(1, D3DTSS_MAXANISOTROPY, 2);
    device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(2, D3DTSS_COLORARG1, D3DTA_CURRENT);
    device->SetTextureStageState(2, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    ASSERT_EQ(device->ValidateDevice(nullptr), D3D_OK);
    device->BeginScene();
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
    DrawTwoSetQuad(*device, 0xFFFFFF80);
    device->EndScene();
    Capture();
    const uint32_t p = Pixel(6, 4);
    // 2 x 0.518 x 0.533 = 0.552 red; green none; blue none.
    EXPECT_NEAR(Channel(p, 16), 141, 3);
    EXPECT_EQ(Channel(p, 8), 0);
    EXPECT_EQ(Channel(p, 0), 0);
    EXPECT_EQ(Pixel(1, 4), 0u); // the second set reads the black half here
    EXPECT_EQ(device->TakeErrors(), 0);
}

TEST_F(DeviceTest, Dot3LightsANormalMapByTheVertexColour) {
    Open(DeviceKind::OpenGL, 8, 8);
    // Normals facing the viewer (0, 0, 1) as 5:6:5 (128, 128, 255).
    auto normals = SolidTexture(*device, D3DFMT_R5G6B5, 0x841F);
    device->SetTexture(0, normals.get());
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    for (const auto& [light, bright] : {std::pair{0xFF8080FFu, true}, {0xFF80FF80u, false}}) {
        device->BeginScene();
        device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        DrawTwoSetQuad(*device, light);
        device->EndScene();
        Capture();
        EXPECT_EQ(Channel(Pixel(4, 4), 8) > 200, bright) << std::hex << light;
    }
}

TEST_F(DeviceTest, TheDriverNamesItself) {
    Open(DeviceKind::OpenGL, 8, 8);
    const AdapterIdentifier id = device->GetAdapterIdentifier();
    EXPECT_FALSE(id.Description.empty());
    EXPECT_FALSE(id.Driver.empty());
    EXPECT_NE(id.DeviceId, 0u);
    const DeviceCaps caps = device->GetCaps();
    EXPECT_GE(caps.MaxTextureBlendStages, 3u);
    EXPECT_TRUE(caps.TextureOpCaps & TextureOpCap(D3DTOP_DOTPRODUCT3));
    EXPECT_FALSE(caps.TextureOpCaps & TextureOpCap(D3DTOP_BUMPENVMAP));
    // The tests' software rasteriser offers no anisotropic filtering: done
    // on the processor it can take minutes for a single frame.
    EXPECT_FALSE(caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC);
    EXPECT_EQ(caps.MaxAnisotropy, DefaultDeviceCaps().MaxAnisotropy);
}

TEST(DriverFacts, SoftwareRasterisersTransformNoVerticesOnACard) {
    EXPECT_TRUE(IsSoftwareRasteriser("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(IsSoftwareRasteriser("softpipe"));
    EXPECT_FALSE(IsSoftwareRasteriser("AMD Radeon RX 6600 (radeonsi, navi23)"));
    // The tests draw on llvmpipe: its screens have no vertex processing of
    // their own (so multisampling is off unless the user turns it on).
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    const std::vector<AdapterInfo>& adapters = QueryAdapters();
    ASSERT_FALSE(adapters.empty());
    EXPECT_FALSE(adapters[0].vertexShaders);
}

TEST(DriverFacts, AnisotropicFilteringIsOfferedByHardwareWithTheExtensionOnly) {
    EXPECT_FALSE(OffersAnisotropicFiltering("llvmpipe (LLVM 15.0.6, 256 bits)", true));
    EXPECT_FALSE(OffersAnisotropicFiltering("softpipe", true));
    EXPECT_TRUE(OffersAnisotropicFiltering("AMD Radeon RX 6600 (radeonsi, navi23)", true));
    EXPECT_FALSE(OffersAnisotropicFiltering("AMD Radeon RX 6600 (radeonsi, navi23)", false));
}
