// The device front end on the recording backend: locks stay inside their
// buffers, draws that would read outside their data are refused, settings
// that change nothing leave the state versions alone, lights and resets.
#include "device_fixture.h"

#include "platform/render/adapters.h"

using namespace device_test;

TEST_F(DeviceTest, LocksStayInsideTheirBuffers) {
    Open(DeviceKind::Recording);
    auto vb = device->CreateVertexBuffer(480, D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT);
    ASSERT_TRUE(vb);
    uint8_t* data = reinterpret_cast<uint8_t*>(1);
    EXPECT_EQ(vb->Lock(400, 100, &data, D3DLOCK_DISCARD), D3DERR_INVALIDCALL);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(vb->Lock(481, 0, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    ASSERT_EQ(vb->Lock(400, 0, &data, D3DLOCK_NOOVERWRITE), D3D_OK);
    EXPECT_EQ(data, vb->Data() + 400);
    EXPECT_EQ(vb->LockedSize(), 80u);
    EXPECT_EQ(vb->Lock(0, 8, &data, 0), D3DERR_INVALIDCALL) << "already locked";
    EXPECT_EQ(vb->Unlock(), D3D_OK);

    auto texture = device->CreateTexture(8, 4, 0, 0, D3DFMT_DXT5, D3DPOOL_MANAGED);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->LevelCount(), 4);
    D3DLOCKED_RECT rect;
    ASSERT_EQ(texture->LockRect(0, &rect, 0), D3D_OK);
    EXPECT_EQ(rect.Pitch, 32); // two blocks of 16 bytes
    EXPECT_EQ(texture->LevelBytes(3), 16u);
    EXPECT_EQ(texture->LockRect(4, &rect, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(rect.pBits, nullptr);
    EXPECT_FALSE(device->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
    EXPECT_FALSE(
        device->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_DXT1, D3DPOOL_DEFAULT));
}

TEST_F(DeviceTest, DrawsThatWouldReadOutsideTheirDataAreRefused) {
    Open(DeviceKind::Recording);
    auto vb = device->CreateVertexBuffer(4 * sizeof(ColorVertex), 0, kColorFvf, D3DPOOL_MANAGED);
    auto ib = device->CreateIndexBuffer(6 * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED);
    uint8_t* bytes = nullptr;
    ib->Lock(0, 0, &bytes, 0);
    const uint16_t indices[6] = {0, 1, 2, 2, 1, 4}; // 4 is past the four vertices
    std::memcpy(bytes, indices, sizeof indices);
    ib->Unlock();
    device->SetVertexShader(kColorFvf);
    device->SetStreamSource(0, vb.get(), sizeof(ColorVertex));
    device->SetIndices(ib.get(), 0);

    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL)
        << "outside a scene";
    device->BeginScene();
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 1), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 3, 2), D3DERR_INVALIDCALL);
    device->SetIndices(ib.get(), 2); // the base moves the first triangle's 2 past the end
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 1), D3DERR_INVALIDCALL);

    const ColorVertex three[3] = {};
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, three, 8), D3DERR_INVALIDCALL)
        << "a stride shorter than the vertex";
    const uint16_t far[3] = {0, 1, 3};
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, far, D3DFMT_INDEX16,
                                             three, sizeof(ColorVertex)),
              D3DERR_INVALIDCALL);
    device->EndScene();
    ASSERT_EQ(device->GetRecording()->draws.size(), 2u);
    EXPECT_EQ(device->GetRecording()->draws[1].primCount, 1u);
}

TEST_F(DeviceTest, SettingsThatChangeNothingLeaveTheStateAsSent) {
    Open(DeviceKind::Recording);
    const DeviceState& state = device->State();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    const uint64_t renderStates = state.renderStateVersion;
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    EXPECT_EQ(state.renderStateVersion, renderStates);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    EXPECT_GT(state.renderStateVersion, renderStates);

    D3DMATERIAL8 material{};
    material.Power = 3;
    device->SetMaterial(material);
    const uint64_t materials = state.materialVersion;
    device->SetMaterial(material);
    EXPECT_EQ(state.materialVersion, materials);

    // Lights are seen through the view: a new view is a new light setup.
    const uint64_t lights = state.lightVersion;
    device->SetTransform(D3DTS_VIEW,
                         D3DMATRIX{{{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}, {0, 0, 0, 1}}});
    EXPECT_GT(state.lightVersion, lights);
}

TEST_F(DeviceTest, LightsAndResetFollowTheDevicesRules) {
    Open(DeviceKind::Recording);
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_POINT;
    light.Range = 10;
    D3DLIGHT8 out{};
    EXPECT_EQ(device->GetLight(3, &out), D3DERR_INVALIDCALL) << "never set";
    EXPECT_EQ(device->SetLight(8, light), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetLight(3, light), D3D_OK);
    ASSERT_EQ(device->GetLight(3, &out), D3D_OK);
    EXPECT_EQ(out.Range, 10.0f);
    light.Type = D3DLIGHTTYPE(7);
    EXPECT_EQ(device->SetLight(3, light), D3DERR_INVALIDCALL);
    device->LightEnable(3, true);
    device->SetRenderState(D3DRS_ZWRITEENABLE, 0);

    PresentParams params;
    params.BackBufferWidth = 40;
    params.BackBufferHeight = 30;
    ASSERT_EQ(device->Reset(params), D3D_OK);
    EXPECT_EQ(device->BackBufferWidth(), 40);
    EXPECT_EQ(device->GetRenderState(D3DRS_ZWRITEENABLE), 1u);
    bool on = true;
    device->GetLightEnable(3, &on);
    EXPECT_FALSE(on);
    D3DVIEWPORT8 viewport;
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 40u);
    EXPECT_EQ(viewport.Height, 30u);
    EXPECT_EQ(device->GetRenderTarget(), device->GetBackBuffer());
}

TEST(Adapters, TheScreenListsItsModesInTheDevicesFormats) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    const auto& adapters = QueryAdapters();
    ASSERT_FALSE(adapters.empty());
    const AdapterInfo& a = adapters[0];
    EXPECT_GT(a.desktop.Width, 0u);
    EXPECT_EQ(a.desktop.Format, D3DFMT_X8R8G8B8);
    ASSERT_FALSE(a.modes.empty());
    for (const D3DDISPLAYMODE& m : a.modes) {
        EXPECT_GT(m.Width, 0u) << "placeholder modes are left out";
        EXPECT_NE(m.Format, D3DFMT_UNKNOWN);
    }
    EXPECT_NE(a.deviceId, 0u) << "the driver was asked";
    EXPECT_EQ(&QueryAdapters(), &adapters) << "asked once";
}
