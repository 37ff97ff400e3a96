// The display's device on the recording backend: default states sent once
// through the cache, the multi-texture probe and the driver workarounds,
// the adapter list's limit, the immediate batch, the dynamic vertex
// buffer's locks, and the monitor power-save check.
#include "tests/desktop/display/display_test_support.h"

#include "desktop/shell/registry.h"
#include "desktop/display/device/driver_workarounds.h"
#include "desktop/display/device/power_save_check.h"
#include "platform/message_box.h"

using namespace display_test;
using platform::render::DeviceKind;

namespace {

class RecordingDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        window = HiddenWindow(320, 240);
        display = std::make_unique<Display>(host, DisplayOptions{DeviceKind::Recording});
        ASSERT_EQ(display->Init(adapter), 0);
    }
    void Make(int width = 320, int height = 240) {
        ASSERT_EQ(display->Create(*window, false, width, height, 32), D3D_OK);
    }
    platform::render::Recording& Recorded() { return *display->Device()->GetRecording(); }

    DisplayHost host;
    AdapterRecord adapter;
    std::unique_ptr<platform::Window> window;
    std::unique_ptr<Display> display;
};

int AddTwentyOne(AdapterList& list) {
    int accepted = 0;
    for (int i = 0; i < 21; ++i) {
        AdapterGuid guid{};
        guid[0] = uint8_t(i + 1);
        accepted += list.AddAdapter(guid, "Adapter " + std::to_string(i), "driver") ? 1 : 0;
    }
    return accepted;
}

int gAccepted = 0;

} // namespace

TEST_F(RecordingDisplay, DefaultStatesGoThroughTheCacheOnce) {
    Make();
    RenderStateCache& states = display->States();
    platform::render::Device& device = *display->Device();
    EXPECT_EQ(device.GetRenderState(D3DRS_ZFUNC), uint32_t(D3DCMP_LESSEQUAL));
    EXPECT_EQ(device.GetRenderState(D3DRS_CULLMODE), uint32_t(D3DCULL_CCW));
    EXPECT_EQ(device.GetRenderState(D3DRS_SRCBLEND), uint32_t(D3DBLEND_SRCALPHA));
    EXPECT_EQ(device.GetRenderState(D3DRS_DESTBLEND), uint32_t(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(device.GetRenderState(D3DRS_ALPHAFUNC), uint32_t(D3DCMP_GREATEREQUAL));
    EXPECT_EQ(device.GetRenderState(D3DRS_ALPHAREF), 1u);
    EXPECT_EQ(device.GetRenderState(D3DRS_LIGHTING), 0u);
    EXPECT_EQ(device.GetRenderState(D3DRS_AMBIENTMATERIALSOURCE), uint32_t(D3DMCS_COLOR1));
    EXPECT_EQ(device.GetRenderState(D3DRS_EMISSIVEMATERIALSOURCE), uint32_t(D3DMCS_MATERIAL));
    EXPECT_EQ(device.GetTextureStageState(0, D3DTSS_COLORARG2), D3DTA_DIFFUSE);
    EXPECT_EQ(device.GetTextureStageState(2, D3DTSS_MAGFILTER), uint32_t(D3DTEXF_LINEAR));
    EXPECT_EQ(device.GetTextureStageState(1, D3DTSS_MIPFILTER), uint32_t(D3DTEXF_POINT));
    EXPECT_EQ(device.GetTextureStageState(1, D3DTSS_TEXCOORDINDEX), 1u);
    D3DVIEWPORT8 viewport;
    device.GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, uint32_t(display->RenderWidth()));

    // The table a second time changes nothing, so nothing is sent (the
    // first puts back what the multi-texture probe changed).
    ASSERT_EQ(display->SetupDevice(), D3D_OK);
    states.TakeChanges();
    ASSERT_EQ(display->SetupDevice(), D3D_OK);
    EXPECT_EQ(states.Changes(), 0u);
    // A new device knows nothing: the whole table goes again (21 render
    // states and 16 stage states).
    states.Invalidate();
    ASSERT_EQ(display->SetupDevice(), D3D_OK);
    EXPECT_EQ(states.TakeChanges(), 37u);
}

TEST_F(RecordingDisplay, TheMultiTextureLevelFollowsValidation) {
    Make();
    EXPECT_EQ(display->MultiTextureLevel(), 2);
    EXPECT_TRUE(display->Dot3());
    EXPECT_FALSE(display->EnvironmentBump()); // the device has none
    EXPECT_TRUE(display->MultipleTextures());
    EXPECT_EQ(display->ZBufferFormat(), D3DFMT_D16);

    // Two stages only, then one texture at a time.
    Recorded().caps.MaxTextureBlendStages = 2;
    display->MarkMultiTextureReset();
    display->SetupDeviceCaps();
    EXPECT_EQ(display->MultiTextureLevel(), 1);
    Recorded().caps.MaxSimultaneousTextures = 1;
    display->MarkMultiTextureReset();
    display->SetupDeviceCaps();
    EXPECT_EQ(display->MultiTextureLevel(), 0);
    EXPECT_FALSE(display->MultipleTextures());

    // An environment-bump device loses it to DOT3; anisotropy where offered.
    auto& caps = Recorded().caps;
    caps.TextureOpCaps |= platform::render::TextureOpCap(D3DTOP_BUMPENVMAP);
    caps.TextureFilterCaps |= D3DPTFILTERCAPS_MINFANISOTROPIC;
    caps.MaxAnisotropy = 16;
    display->SetupDeviceCaps();
    EXPECT_TRUE(display->Dot3());
    EXPECT_FALSE(display->EnvironmentBump());
    EXPECT_EQ(display->Device()->GetTextureStageState(0, D3DTSS_MINFILTER),
              uint32_t(D3DTEXF_ANISOTROPIC));
    EXPECT_EQ(display->Device()->GetTextureStageState(0, D3DTSS_MAXANISOTROPY), 2u);
}

TEST(DriverWorkarounds, NamesSwitchPathsOff) {
    DriverNames plain{"display", "Some card", "Some card", "card.dll"};
    EXPECT_EQ(LimitMultiTexture(plain, 2), 2);
    EXPECT_EQ(LimitMultiTexture({"3DFXV2", "", "", ""}, 2), 0);
    EXPECT_EQ(LimitMultiTexture({"3dfx", "3Dfx Voodoo2 (tm)", "", ""}, 1), 0);
    EXPECT_EQ(LimitMultiTexture({"", "", "", "S2KDLL.DLL"}, 2), 1);
    EXPECT_EQ(LimitMultiTexture({"", "", "", "s2kdll.dll"}, 1), 1);

    const BlendCaps both{2, true, true};
    WorkaroundResult r = ApplyBumpWorkarounds(plain, both);
    EXPECT_TRUE(r.caps.dot3);
    EXPECT_FALSE(r.caps.environmentBump); // DOT3 wins
    EXPECT_TRUE(r.checkMonitorPowerSave);
    r = ApplyBumpWorkarounds(plain, BlendCaps{2, false, true});
    EXPECT_TRUE(r.caps.environmentBump);
    for (const char* radeon : {"ATI Radeon 7500", "radeon", "AMD RADEON"}) {
        r = ApplyBumpWorkarounds({"", "", radeon, ""}, both);
        EXPECT_FALSE(r.caps.dot3) << radeon;
        EXPECT_FALSE(r.caps.environmentBump) << radeon;
    }
    for (const char* nvidia : {"NVIDIA GeForce", "nVidia", "Nvidia", "nvidia", "nVIDIA"})
        EXPECT_FALSE(ApplyBumpWorkarounds({"", "", nvidia, ""}, both).checkMonitorPowerSave);
    // Case matters where the driver's own spellings are listed.
    EXPECT_TRUE(ApplyBumpWorkarounds({"", "", "rADEON", ""}, both).caps.dot3);
}

TEST_F(RecordingDisplay, TheRecordingDriversNamesReachTheAdapterAndItsWorkarounds) {
    Make();
    EXPECT_EQ(adapter.description, "Recording device");
    EXPECT_EQ(adapter.identifier.driverFile, "recording");
    EXPECT_TRUE(display->Dot3());
    // A driver of the listed family loses its bump paths.
    Recorded().identifier.Description = "Radeon 9000";
    ASSERT_EQ(display->CreateDevice(), D3D_OK);
    ASSERT_EQ(display->SetupDeviceCaps(), D3D_OK);
    EXPECT_EQ(adapter.identifier.description, "Radeon 9000");
    EXPECT_FALSE(display->Dot3());
    EXPECT_FALSE(display->EnvironmentBump());
}

TEST(AdapterListLimit, TwentyOneAdaptersKeepTwenty) {
    DisplayHost host;
    AdapterList list(host, [](AdapterList& l) { gAccepted = AddTwentyOne(l); });
    EXPECT_EQ(gAccepted, 20);
    EXPECT_EQ(list.Count(), kMaxAdapters);
    AdapterGuid last{};
    last[0] = 20;
    EXPECT_EQ(list.FindAdapter(last), 19);
    last[0] = 21;
    EXPECT_EQ(list.FindAdapter(last), -1);
    EXPECT_EQ(list.FindDisplay(last), nullptr);
    ASSERT_NE(list.GetDisplay(0), nullptr);
    EXPECT_EQ(list.GetDisplay(0)->Adapter(), &list.Record(0));
    // Long names are cut to a 128-character field.
    AdapterList one(host, [](AdapterList& l) { l.AddAdapter({}, std::string(300, 'd'), "x"); });
    EXPECT_EQ(one.Record(0).description.size(), kAdapterNameChars);
    EXPECT_NE(one.FindDisplay(AdapterGuid{}), nullptr);
}

TEST_F(RecordingDisplay, ABatchHoldsTenVertices) {
    Make();
    platform::render::Device& device = *display->Device();
    device.BeginScene();
    display->Begin(D3DPT_POINTLIST, kModelVertexFormat);
    Vertex v;
    for (int i = 0; i < 11; ++i) {
        v.position = Vec3(float(i), 0, 0);
        display->AddVertex(v);
    }
    EXPECT_EQ(display->End(), 10);
    device.EndScene();
    ASSERT_EQ(Recorded().draws.size(), 1u);
    EXPECT_EQ(Recorded().draws[0].primCount, 10u);
    EXPECT_TRUE(Recorded().draws[0].indexed);
    EXPECT_EQ(display->VertexCount(), 10u);
}

TEST_F(RecordingDisplay, DynamicBufferLocksRunOnAndStartOverWhenFull) {
    Make();
    DynamicVertexBuffer& buffer = *display->DynamicBuffer();
    EXPECT_EQ(buffer.Capacity(), kDynamicVertexCapacity);
    EXPECT_EQ(buffer.Stride(), 44u);
    uint32_t start = 99;
    EXPECT_EQ(buffer.Lock(0, &start), nullptr);
    EXPECT_EQ(buffer.Lock(kDynamicVertexCapacity + 1, &start), nullptr);

    ASSERT_NE(buffer.Lock(100, &start), nullptr);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(buffer.LastLockFlags(), 0x1020u);
    EXPECT_EQ(buffer.Lock(5, &start), nullptr); // still locked
    buffer.Unlock();
    ASSERT_NE(buffer.Lock(50, &start), nullptr);
    EXPECT_EQ(start, 100u);
    EXPECT_EQ(buffer.LastLockFlags(), 0x1020u);
    buffer.Unlock();
    buffer.DiscardNext(); // a new frame
    ASSERT_NE(buffer.Lock(10, &start), nullptr);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(buffer.LastLockFlags(), 0x2020u);
    buffer.Unlock();
    ASSERT_NE(buffer.Lock(kDynamicVertexCapacity - 10, &start), nullptr);
    EXPECT_EQ(start, 10u);
    buffer.Unlock();
    ASSERT_NE(buffer.Lock(1, &start), nullptr); // past the end: from the front
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(buffer.LastLockFlags(), 0x2020u);
    buffer.Unlock();
}

namespace {

class FakeSchemes : public PowerSchemeSource {
public:
    bool ActiveScheme(uint32_t& index) override {
        index = 3;
        return readable;
    }
    bool SchemePolicy(uint32_t index, PowerPolicy& policy) override {
        if (index != 3) return false;
        policy = current;
        return true;
    }
    bool SetActiveScheme(uint32_t index, const PowerPolicy& policy) override {
        setIndex = int(index);
        current = policy;
        return true;
    }
    bool readable = true;
    PowerPolicy current;
    int setIndex = -1;
};

class PowerSaveCheck : public ::testing::Test {
protected:
    void SetUp() override {
        const char* settings = std::getenv("JENTRA_SETTINGS_DIR");
        saved_ = settings ? settings : "";
        setenv("JENTRA_SETTINGS_DIR", dir.Str().c_str(), 1);
        ASSERT_TRUE(key.OpenKeys());
        previous = platform::SetMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            boxes.push_back(r.text);
            return answer;
        });
    }
    void TearDown() override {
        platform::SetMessageBoxHook(previous);
        key.Close();
        setenv("JENTRA_SETTINGS_DIR", saved_.c_str(), 1);
    }

    platform_test::TempDir dir;
    std::string saved_;
    SettingsKey key;
    FakeSchemes schemes;
    platform::MessageBoxHook previous;
    platform::MessageBoxResult answer = platform::MessageBoxResult::No;
    std::vector<std::string> boxes;
};

} // namespace

TEST_F(PowerSaveCheck, AMonitorThatNeverSleepsIsNotAskedAbout) {
    EXPECT_EQ(CheckMonitorPowerSave(&schemes, &key), PowerCheckOutcome::MonitorOn);
    EXPECT_EQ(CheckMonitorPowerSave(nullptr, &key), PowerCheckOutcome::Skipped);
    schemes.current = {600, 0};
    schemes.readable = false;
    EXPECT_EQ(CheckMonitorPowerSave(&schemes, &key), PowerCheckOutcome::Skipped);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PowerSaveCheck, YesKeepsTheMonitorOnAndNoIsRememberedForGood) {
    schemes.current = {600, 300};
    answer = platform::MessageBoxResult::Yes;
    EXPECT_EQ(CheckMonitorPowerSave(&schemes, &key), PowerCheckOutcome::KeptOn);
    EXPECT_EQ(schemes.setIndex, 3);
    EXPECT_EQ(schemes.current.videoTimeoutAc, 0u);
    EXPECT_EQ(schemes.current.videoTimeoutDc, 0u);
    EXPECT_EQ(boxes.size(), 1u);

    schemes.current = {600, 300};
    answer = platform::MessageBoxResult::No;
    EXPECT_EQ(CheckMonitorPowerSave(&schemes, &key), PowerCheckOutcome::Declined);
    EXPECT_EQ(boxes.size(), 3u); // the question and the note
    EXPECT_EQ(key.Read(values::kNoCheckMonitorPowerSave), 1u);
    EXPECT_EQ(CheckMonitorPowerSave(&schemes, &key), PowerCheckOutcome::Skipped);
    EXPECT_EQ(boxes.size(), 3u);
}
