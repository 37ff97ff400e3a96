// The OpenGL device on software GL, proven by the pixels it presents:
// Direct3D's winding and culling, strips, pre-transformed vertices, a
// multisampled back buffer, texture formats, drawing into a texture and
// reading it back the right way up, lighting through a view, and an effect
// program of its own.
#include "device_fixture.h"

#include <cmath>
#include <cstring>

using namespace device_test;

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kBlack = 0;

void Fill(Device& d, D3DCOLOR color) {
    d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.0f, 0);
}

// A screen rectangle in pixels, edges half way between pixel centres.
void ScreenRect(Device& d, float x0, float y0, float x1, float y1, D3DCOLOR color) {
    const ScreenVertex v[4] = {{x0, y0, 0.5f, 1, color},
                               {x1, y0, 0.5f, 1, color},
                               {x0, y1, 0.5f, 1, color},
                               {x1, y1, 0.5f, 1, color}};
    d.SetVertexShader(kScreenFvf);
    ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex)), D3D_OK);
}

// A textured rectangle over the whole view, u and v from the top left.
void TexturedScreen(Device& d, float x0 = -1, float y0 = 1, float x1 = 1, float y1 = -1) {
    const TexturedVertex v[4] = {
        {x0, y0, 0.5f, 0, 0}, {x1, y0, 0.5f, 1, 0}, {x0, y1, 0.5f, 0, 1}, {x1, y1, 0.5f, 1, 1}};
    d.SetVertexShader(kTexturedFvf);
    ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TexturedVertex)), D3D_OK);
}

uint8_t Red(uint32_t p) {
    return uint8_t(p >> 16);
}

} // namespace

TEST_F(DeviceTest, CullingAndStripWindingFollowDirect3D) {
    Open(DeviceKind::OpenGL);
    device->SetVertexShader(kColorFvf);
    // Clockwise on the screen: top left, top right, bottom.
    const ColorVertex clockwise[3] = {{-0.5f, 0.5f, 0.5f, 0xFFFF0000},
                                      {0.5f, 0.5f, 0.5f, 0xFFFF0000},
                                      {0, -0.5f, 0.5f, 0xFFFF0000}};
    const ColorVertex counter[3] = {clockwise[0], clockwise[2], clockwise[1]};
    struct Case {
        D3DCULL cull;
        const ColorVertex* triangle;
        bool visible;
    } cases[] = {{D3DCULL_CCW, clockwise, true},
                 {D3DCULL_CCW, counter, false},
                 {D3DCULL_CW, clockwise, false},
                 {D3DCULL_CW, counter, true},
                 {D3DCULL_NONE, counter, true}};
    for (const Case& c : cases) {
        device->BeginScene();
        Fill(*device, 0xFF000000);
        device->SetRenderState(D3DRS_CULLMODE, c.cull);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, c.triangle, sizeof(ColorVertex)),
                  D3D_OK);
        device->EndScene();
        Capture();
        EXPECT_EQ(Pixel(32, 24), c.visible ? kRed : kBlack) << "cull mode " << c.cull;
    }

    // A strip's every other triangle turns the other way round, so the
    // whole quad faces the viewer.
    const ColorVertex strip[4] = {{-0.5f, -0.5f, 0.5f, 0xFF00FF00},
                                  {-0.5f, 0.5f, 0.5f, 0xFF00FF00},
                                  {0.5f, -0.5f, 0.5f, 0xFF00FF00},
                                  {0.5f, 0.5f, 0.5f, 0xFF00FF00}};
    device->BeginScene();
    Fill(*device, 0xFF000000);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip, sizeof(ColorVertex));
    device->EndScene();
    Capture();
    EXPECT_EQ(Count(kGreen), 32 * 32);
    EXPECT_EQ(Pixel(20, 20), kGreen);
    EXPECT_EQ(Pixel(44, 44), kGreen);
    EXPECT_EQ(device->TakeErrors(), 0);
}

TEST_F(DeviceTest, ScreenVerticesLandOnTheirPixelsAndViewportsKeepDirect3DsTop) {
    Open(DeviceKind::OpenGL);
    device->BeginScene();
    Fill(*device, 0xFF000000);
    ScreenRect(*device, 7.5f, 7.5f, 23.5f, 15.5f, 0xFFFF0000);
    // A viewport on the lower right quarter: its top left is (32, 32) from
    // the top of the target.
    device->SetViewport({32, 32, 32, 32, 0.0f, 1.0f});
    device->Clear(D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    device->EndScene();
    Capture();
    EXPECT_EQ(Count(kRed), 16 * 8);
    EXPECT_EQ(Pixel(8, 8), kRed);
    EXPECT_EQ(Pixel(23, 15), kRed);
    EXPECT_EQ(Pixel(7, 8), kBlack);
    EXPECT_EQ(Pixel(24, 15), kBlack);
    EXPECT_EQ(Pixel(8, 16), kBlack);
    EXPECT_EQ(Count(kBlue), 32 * 32);
    EXPECT_EQ(Pixel(32, 32), kBlue);
    EXPECT_EQ(Pixel(31, 63), kBlack);
}

// Particles refill one dynamic buffer many times a frame: a discarding lock
// must leave the draws already made with the vertices they were given.
TEST_F(DeviceTest, ADynamicBufferRefilledWithinAFrameGivesEachDrawItsOwnVertices) {
    Open(DeviceKind::OpenGL);
    constexpr uint32_t kStride = sizeof(ScreenVertex);
    auto buffer = device->CreateVertexBuffer(8 * kStride, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                             kScreenFvf, D3DPOOL_DEFAULT);
    ASSERT_TRUE(buffer);
    auto fill = [&](uint32_t first, uint32_t flags, float x0, float y0, float x1, float y1,
                    D3DCOLOR color) {
        const ScreenVertex quad[4] = {{x0, y0, 0.5f, 1, color},
                                      {x1, y0, 0.5f, 1, color},
                                      {x0, y1, 0.5f, 1, color},
                                      {x1, y1, 0.5f, 1, color}};
        uint8_t* bytes = nullptr;
        ASSERT_EQ(buffer->Lock(first * kStride, sizeof quad, &bytes, flags), D3D_OK);
        std::memcpy(bytes, quad, sizeof quad);
        buffer->Unlock();
        ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, first, 2), D3D_OK);
    };
    device->BeginScene();
    Fill(*device, 0xFF000000);
    device->SetVertexShader(kScreenFvf);
    device->SetStreamSource(0, buffer.get(), kStride);
    fill(0, D3DLOCK_DISCARD, 0, 0, 16, 16, 0xFFFF0000);
    fill(0, D3DLOCK_DISCARD, 16, 0, 32, 16, 0xFF00FF00);
    fill(4, D3DLOCK_NOOVERWRITE, 0, 16, 32, 32, 0xFF0000FF);
    device->EndScene();
    Capture();
    EXPECT_EQ(Count(kRed), 16 * 16);
    EXPECT_EQ(Count(kGreen), 16 * 16);
    EXPECT_EQ(Count(kBlue), 32 * 16);
    EXPECT_EQ(Pixel(0, 0), kRed);
    EXPECT_EQ(Pixel(16, 0), kGreen);
    EXPECT_EQ(device->TakeErrors(), 0);
}

TEST_F(DeviceTest, AFourSampleBackBufferBlendsEdgePixels) {
    for (int samples : {0, 4}) {
        Open(DeviceKind::OpenGL, 64, 64, samples);
        EXPECT_EQ(device->BackBufferSamples(), samples);
        device->BeginScene();
        Fill(*device, 0xFF000000);
        device->SetVertexShader(kColorFvf);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        const ColorVertex slanted[3] = {{-0.9f, -0.9f, 0.5f, 0xFFFF0000},
                                        {0.9f, -0.7f, 0.5f, 0xFFFF0000},
                                        {-0.7f, 0.9f, 0.5f, 0xFFFF0000}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, slanted, sizeof(ColorVertex));
        device->EndScene();
        Capture();
        int partial = 0;
        for (uint32_t p : pixels)
            partial += Red(p) > 0 && Red(p) < 255;
        if (samples)
            EXPECT_GT(partial, 20) << "edge pixels are mixed";
        else
            EXPECT_EQ(partial, 0);
        EXPECT_EQ(Pixel(16, 40), kRed);
        TearDown();
    }
}

TEST_F(DeviceTest, TheFrontBufferHoldsTheFrameLastPresentedWhileTheNextIsDrawn) {
    for (int samples : {0, 4}) {
        Open(DeviceKind::OpenGL, 64, 64, samples);
        std::vector<uint32_t> front;
        int w = 0, h = 0;
        auto frontPixel = [&](int x, int y) {
            EXPECT_TRUE(device->ReadFrontBuffer(front, w, h));
            return front.at(size_t(y * w + x)) & 0xFFFFFFu;
        };
        Fill(*device, 0xFFFF0000);
        Capture();
        EXPECT_EQ(Pixel(5, 5), kRed);
        // The next frame, half drawn: the window's picture is still the red.
        device->BeginScene();
        Fill(*device, 0xFF00FF00);
        ScreenRect(*device, 0, 0, 16, 16, 0xFF0000FF);
        device->EndScene();
        EXPECT_EQ(frontPixel(5, 5), kRed) << samples << " samples";
        if (!samples) {
            std::vector<uint32_t> back;
            ASSERT_TRUE(device->ReadSurface(device->GetBackBuffer(), back, w, h));
            EXPECT_EQ(back.at(size_t(5 * w + 5)) & 0xFFFFFFu, kBlue);
        }
        Capture();
        EXPECT_EQ(Pixel(5, 5), kBlue);
        EXPECT_EQ(Pixel(40, 40), kGreen);
        // Frames drawn into the back buffer without the automatic depth
        // buffer reach the window too, frame after frame.
        for (D3DCOLOR colour : {0xFF0000FFu, 0xFFFFFF00u, 0xFF00FFFFu}) {
            ASSERT_EQ(device->SetRenderTarget(device->GetBackBuffer(), nullptr), D3D_OK);
            device->Clear(D3DCLEAR_TARGET, colour, 1.0f, 0);
            Capture();
            EXPECT_EQ(Pixel(30, 30), colour & 0xFFFFFFu) << samples << " samples";
        }
        TearDown();
    }
}

TEST_F(DeviceTest, AResetBetweenOneAndFourSamplesKeepsDrawingAndShowing) {
    // The back buffer's storage changes kind with its sample count; a
    // framebuffer made for it with a depth surface of its own before a
    // reset must follow it.
    Open(DeviceKind::OpenGL, 32, 32);
    auto depth = device->CreateDepthStencilSurface(32, 32, D3DFMT_D16, 0);
    int samples = 0;
    for (int next : {4, 0, 4, 0}) {
        // A depth surface draws only with a back buffer of its sample count.
        Surface* ownDepth = samples ? nullptr : depth.get();
        ASSERT_EQ(device->SetRenderTarget(device->GetBackBuffer(), ownDepth), D3D_OK);
        ASSERT_EQ(device->Clear(D3DCLEAR_TARGET, samples ? 0xFF00FF00 : 0xFFFF0000, 1.0f, 0),
                  D3D_OK);
        Capture();
        EXPECT_EQ(Pixel(3, 3), samples ? kGreen : kRed) << samples << " samples";
        ASSERT_EQ(device->SetRenderTarget(device->GetBackBuffer(), nullptr), D3D_OK);
        PresentParams params;
        params.BackBufferWidth = 32;
        params.BackBufferHeight = 32;
        params.MultiSampleType = next;
        params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        ASSERT_EQ(device->Reset(params), D3D_OK);
        EXPECT_EQ(device->BackBufferSamples(), next);
        samples = next;
    }
    EXPECT_EQ(device->TakeErrors(), 0);
}

TEST_F(DeviceTest, TextureFormatsReadAsTheirColours) {
    Open(DeviceKind::OpenGL);
    auto fill = [&](D3DFORMAT format, const void* texel, size_t texelBytes) {
        auto texture = device->CreateTexture(4, 4, 1, 0, format, D3DPOOL_MANAGED);
        EXPECT_TRUE(texture);
        if (!texture) return texture;
        D3DLOCKED_RECT rect;
        EXPECT_EQ(texture->LockRect(0, &rect, 0), D3D_OK);
        auto* bytes = static_cast<uint8_t*>(rect.pBits);
        for (size_t at = 0; at + texelBytes <= texture->LevelBytes(0); at += texelBytes)
            std::memcpy(bytes + at, texel, texelBytes);
        EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
        return texture;
    };
    const uint32_t green = 0xFF00FF00;
    const uint16_t red565 = 0xF800;
    const uint16_t blue4444 = 0xF00F;
    // One DXT1 block: colour 0 pure blue, every texel index 0.
    const uint8_t blueBlock[8] = {0x1F, 0x00, 0x00, 0x00, 0, 0, 0, 0};
    auto a8r8g8b8 = fill(D3DFMT_A8R8G8B8, &green, 4);
    auto r5g6b5 = fill(D3DFMT_R5G6B5, &red565, 2);
    auto a4r4g4b4 = fill(D3DFMT_A4R4G4B4, &blue4444, 2);
    ASSERT_TRUE(device->SupportsFormat(D3DFMT_DXT1));
    auto dxt1 = fill(D3DFMT_DXT1, blueBlock, 8);

    device->BeginScene();
    Fill(*device, 0xFF000000);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTexture(0, a8r8g8b8.get());
    TexturedScreen(*device, -1, 1, 0, 0);
    device->SetTexture(0, r5g6b5.get());
    TexturedScreen(*device, 0, 1, 1, 0);
    device->SetTexture(0, a4r4g4b4.get());
    TexturedScreen(*device, -1, 0, 0, -1);
    device->SetTexture(0, dxt1.get());
    TexturedScreen(*device, 0, 0, 1, -1);
    device->EndScene();
    Capture();
    EXPECT_EQ(Pixel(16, 16), kGreen);
    EXPECT_EQ(Pixel(48, 16), kRed);
    EXPECT_EQ(Pixel(16, 48), kBlue);
    EXPECT_EQ(Pixel(48, 48), kBlue);
    EXPECT_EQ(device->TakeErrors(), 0);
}

// A software rasteriser keeps these formats as 8-bit texels in GL: what they
// carry must come through all the same.
TEST_F(DeviceTest, PackedTexturesKeepTheirAlphaTheirSmallestLevelsAndLaterChanges) {
    Open(DeviceKind::OpenGL);
    auto make = [&](D3DFORMAT format, int side, int levels, const void* texel, size_t texelBytes) {
        auto texture = device->CreateTexture(side, side, levels, 0, format, D3DPOOL_MANAGED);
        EXPECT_TRUE(texture);
        if (!texture) return texture;
        for (int level = 0; level < levels; ++level) {
            D3DLOCKED_RECT rect;
            EXPECT_EQ(texture->LockRect(level, &rect, 0), D3D_OK);
            auto* bytes = static_cast<uint8_t*>(rect.pBits);
            for (size_t at = 0; at + texelBytes <= texture->LevelBytes(level); at += texelBytes)
                std::memcpy(bytes + at, texel, texelBytes);
            EXPECT_EQ(texture->UnlockRect(level), D3D_OK);
        }
        return texture;
    };
    const uint16_t halfRed4444 = 0x8F00; // alpha 8 of 15, red
    const uint16_t red565 = 0xF800;
    const uint16_t blue565 = 0x001F;
    // DXT1 in its three-colour mode (colour 0 not above colour 1): index 3
    // is transparent black.
    const uint8_t clearBlock[8] = {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    // DXT5, 8 x 8 down to 1 x 1: opaque blue, but the last level half
    // transparent red.
    const uint8_t blueBlock[16] = {0xFF, 0xFF, 0,    0,    0, 0, 0, 0,
                                   0x1F, 0x00, 0x1F, 0x00, 0, 0, 0, 0};
    const uint8_t halfRedBlock[16] = {0x80, 0x80, 0,    0,    0, 0, 0, 0,
                                      0x00, 0xF8, 0x00, 0xF8, 0, 0, 0, 0};
    auto a4r4g4b4 = make(D3DFMT_A4R4G4B4, 4, 1, &halfRed4444, 2);
    auto dxt1 = make(D3DFMT_DXT1, 4, 1, clearBlock, 8);
    auto dxt5 = make(D3DFMT_DXT5, 8, 4, blueBlock, 16);
    if (dxt5) {
        D3DLOCKED_RECT last;
        ASSERT_EQ(dxt5->LockRect(3, &last, 0), D3D_OK);
        std::memcpy(last.pBits, halfRedBlock, sizeof halfRedBlock);
        ASSERT_EQ(dxt5->UnlockRect(3), D3D_OK);
    }
    auto r5g6b5 = make(D3DFMT_R5G6B5, 4, 1, &red565, 2);
    ASSERT_TRUE(a4r4g4b4 && dxt1 && dxt5 && r5g6b5);

    // A change made after the texture was first drawn reaches GL too.
    auto draw = [&] {
        device->BeginScene();
        Fill(*device, 0xFF00FF00);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTexture(0, a4r4g4b4.get());
        TexturedScreen(*device, -1, 1, 0, 0);
        device->SetTexture(0, dxt1.get());
        TexturedScreen(*device, 0, 1, 1, 0);
        // Far smaller than the texture: its 1 x 1 level is what shows.
        device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
        device->SetTexture(0, dxt5.get());
        TexturedScreen(*device, -1, 0, -1 + 2.0f / 64, -2.0f / 64);
        device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
        device->SetTexture(0, r5g6b5.get());
        TexturedScreen(*device, 0, 0, 1, -1);
        device->EndScene();
        Capture();
    };
    draw();
    // Half red over green: both channels near 128.
    EXPECT_NEAR(double(Red(Pixel(16, 16))), 255.0 * 8 / 15, 3.0);
    EXPECT_NEAR(double((Pixel(16, 16) >> 8) & 0xFF), 255.0 * 7 / 15, 3.0);
    EXPECT_EQ(Pixel(48, 16), kGreen);
    EXPECT_NEAR(double(Red(Pixel(0, 32))), 128.0, 3.0);
    EXPECT_NEAR(double((Pixel(0, 32) >> 8) & 0xFF), 127.0, 3.0);
    EXPECT_EQ(Pixel(48, 48), kRed);

    D3DLOCKED_RECT rect;
    ASSERT_EQ(r5g6b5->LockRect(0, &rect, 0), D3D_OK);
    for (int i = 0; i < 16; ++i)
        std::memcpy(static_cast<uint8_t*>(rect.pBits) + i * 2, &blue565, 2);
    ASSERT_EQ(r5g6b5->UnlockRect(0), D3D_OK);
    draw();
    EXPECT_EQ(Pixel(48, 48), kBlue);
    EXPECT_EQ(device->TakeErrors(), 0);
}

// A write-only texture gives its copy up once GL has the texels: what was
// written still draws, and a later lock hands out the whole level again.
TEST_F(DeviceTest, AWriteOnlyTextureDrawsWhatWasWrittenWithoutKeepingACopy) {
    Open(DeviceKind::OpenGL);
    auto texture =
        device->CreateTexture(4, 4, 1, D3DUSAGE_WRITEONLY, D3DFMT_R5G6B5, D3DPOOL_DEFAULT);
    ASSERT_TRUE(texture);
    EXPECT_TRUE(texture->LevelData(0, 0).empty());
    auto fill = [&](uint16_t texel) {
        D3DLOCKED_RECT rect;
        ASSERT_EQ(texture->LockRect(0, &rect, 0), D3D_OK);
        ASSERT_NE(rect.pBits, nullptr);
        EXPECT_EQ(texture->LevelData(0, 0).size(), texture->LevelBytes(0));
        for (int i = 0; i < 16; ++i)
            std::memcpy(static_cast<uint8_t*>(rect.pBits) + i * 2, &texel, 2);
        ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
        EXPECT_TRUE(texture->LevelData(0, 0).empty());
    };
    auto draw = [&] {
        device->BeginScene();
        Fill(*device, 0xFF00FF00);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTexture(0, texture.get());
        TexturedScreen(*device, -1, 1, 1, -1);
        device->EndScene();
        Capture();
    };
    fill(0xF800);
    draw();
    EXPECT_EQ(Pixel(32, 32), kRed);
    fill(0x001F);
    draw();
    EXPECT_EQ(Pixel(32, 32), kBlue);
    EXPECT_EQ(device->TakeErrors(), 0);
}

TEST_F(DeviceTest, ATextureDrawnIntoReadsTheRightWayUp) {
    Open(DeviceKind::OpenGL);
    auto target =
        device->CreateTexture(32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT);
    ASSERT_TRUE(target);
    Surface* backBuffer = device->GetRenderTarget();
    Surface* depth = device->GetDepthStencilSurface();
    ASSERT_EQ(device->SetRenderTarget(target->GetSurfaceLevel(0), nullptr), D3D_OK);
    D3DVIEWPORT8 viewport;
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 32u);
    device->BeginScene();
    device->Clear(D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    ScreenRect(*device, -0.5f, -0.5f, 15.5f, 15.5f, 0xFFFF0000); // the top left quarter
    device->EndScene();

    ASSERT_EQ(device->SetRenderTarget(backBuffer, depth), D3D_OK);
    device->BeginScene();
    Fill(*device, 0xFF000000);
    device->SetTexture(0, target.get());
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    TexturedScreen(*device);
    device->EndScene();
    Capture();
    EXPECT_EQ(Pixel(8, 8), kRed);
    EXPECT_EQ(Pixel(56, 8), kBlue);
    EXPECT_EQ(Pixel(8, 56), kBlue);
    EXPECT_EQ(device->TakeErrors(), 0);
}

TEST_F(DeviceTest, DirectionalLightIsSeenThroughTheView) {
    Open(DeviceKind::OpenGL);
    struct LitVertex {
        float x, y, z, nx, ny, nz;
    };
    // The view turns a quarter about y and the world turns back, so the quad
    // faces the eye; a light shining along world -x then falls straight on it.
    const float c = 0.0f, s = 1.0f;
    const D3DMATRIX view = {{{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}}};
    const D3DMATRIX world = {{{c, 0, s, 0}, {0, 1, 0, 0}, {-s, 0, c, 0}, {0, 0, 0, 1}}};
    device->SetTransform(D3DTS_VIEW, view);
    device->SetTransform(D3DTS_WORLD, world);
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {-1, 0, 0};
    device->SetLight(0, light);
    device->LightEnable(0, true);
    D3DMATERIAL8 material{};
    material.Diffuse = {1.0f, 0.5f, 0.0f, 1.0f};
    device->SetMaterial(material);
    device->SetRenderState(D3DRS_LIGHTING, 1);
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL);
    const LitVertex quad[4] = {{-1, 1, 0.5f, 0, 0, -1},
                               {1, 1, 0.5f, 0, 0, -1},
                               {-1, -1, 0.5f, 0, 0, -1},
                               {1, -1, 0.5f, 0, 0, -1}};
    device->BeginScene();
    Fill(*device, 0xFF000000);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(LitVertex));
    device->EndScene();
    Capture();
    const uint32_t p = Pixel(32, 32);
    EXPECT_EQ(Red(p), 255);
    EXPECT_NEAR(int((p >> 8) & 0xFF), 128, 1);
    EXPECT_EQ(p & 0xFF, 0u);

    // The same light through an unturned view grazes the quad: unlit.
    device->SetTransform(D3DTS_VIEW,
                         D3DMATRIX{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}});
    device->SetTransform(D3DTS_WORLD,
                         D3DMATRIX{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}});
    device->BeginScene();
    Fill(*device, 0xFF000000);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(LitVertex));
    device->EndScene();
    Capture();
    EXPECT_EQ(Pixel(32, 32), kBlack);
}

TEST_F(DeviceTest, AnEffectProgramDrawsWithItsUniformsAndSamplers) {
    Open(DeviceKind::OpenGL);
    const char* vs = R"(
        layout(location = JT_POSITION) in vec3 position;
        layout(location = JT_TEXCOORD0) in vec2 uv;
        uniform mat4 jt_WorldViewProj;
        out vec2 vUv;
        void main() {
            vUv = uv;
            gl_Position = jtToClip(jt_WorldViewProj * vec4(position, 1.0));
        })";
    const char* fs = R"(
        in vec2 vUv;
        uniform vec4 tint;
        uniform sampler2D picture;
        out vec4 colour;
        void main() { colour = tint * texture(picture, vUv); })";
    std::string error;
    auto program = device->CreateProgram(vs, fs, &error);
    ASSERT_TRUE(program) << error;
    EXPECT_FALSE(device->CreateProgram(vs, "this is not GLSL", &error));
    EXPECT_NE(error.find("fragment"), std::string::npos);

    auto texture = device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    D3DLOCKED_RECT rect;
    texture->LockRect(0, &rect, 0);
    *static_cast<uint32_t*>(rect.pBits) = 0xFFFFFF00; // yellow
    texture->UnlockRect(0);
    const float tint[4] = {0, 1, 1, 1};
    program->SetFloats("tint", tint, 4);
    program->SetSampler("picture", 2);
    device->SetTexture(2, texture.get());
    // The world scale halves the quad: only the middle is drawn.
    device->SetTransform(D3DTS_WORLD,
                         D3DMATRIX{{{0.5f, 0, 0, 0}, {0, 0.5f, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}});
    device->SetProgram(program.get());
    device->BeginScene();
    Fill(*device, 0xFF000000);
    TexturedScreen(*device);
    device->EndScene();
    Capture();
    EXPECT_EQ(Pixel(32, 32), kGreen);
    EXPECT_EQ(Pixel(4, 4), kBlack);
    EXPECT_EQ(Count(kGreen), 32 * 32);
    EXPECT_EQ(device->TakeErrors(), 0);
}

TEST_F(DeviceTest, ResourcesMayOutliveTheirDevice) {
    Open(DeviceKind::OpenGL);
    auto texture = device->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    auto buffer = device->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED);
    ASSERT_TRUE(texture && buffer);
    EXPECT_EQ(texture->LevelCount(), 4);
    device.reset();
    // Still lockable, nothing reaches GL.
    uint8_t* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
    texture.reset();
    buffer.reset();
}
