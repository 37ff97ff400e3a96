// A display's frame on the recording device: the order nodes draw in, the
// scene's lights, the developer switches across nodes, the counted edged
// faces, immediate mode, mode changes, and the shared dynamic buffers.
#include "render_test_support.h"

#include "Jentra/JTConsole.h"
#include "Jentra/JTID.h"
#include "Jentra/JTLight.h"
#include "platform/clock.h"

using namespace render_test;

namespace {

// A painted square that also notes the lighting and fill mode the display
// handed it.
class WitnessNode : public PaintedNode {
public:
    using PaintedNode::PaintedNode;
    void Render(JTDrawQueue* queue) override {
        auto* device = static_cast<JTDisplay*>(queue)->GetDevice();
        lighting.push_back(device->GetRenderState(D3DRS_LIGHTING));
        fill.push_back(device->GetRenderState(D3DRS_FILLMODE));
        PaintedNode::Render(queue);
    }
    std::vector<uint32_t> lighting, fill;
};

class FrameTest : public DisplayTest {
protected:
    void SetUp() override {
        gpJTIDMap = &ids;
        Open(DeviceKind::Recording);
        camera.SetView(JTVec3(0, 0, -10), JTVec3(0, 0, 1), JTVec3(0, 1, 0));
        display->AddView(&view);
    }
    void TearDown() override {
        scene.Reset();
        scene.PostFrameUpdate();
        DisplayTest::TearDown();
        gpJTIDMap = nullptr;
    }
    void Add(JTEntity* entity) {
        scene.Add(entity);
        scene.PostFrameUpdate();
    }
    // The marks of the nodes in the order they drew.
    std::vector<uint32_t> Marks() {
        std::vector<uint32_t> marks;
        for (const auto& draw : Recorded().draws)
            marks.push_back(draw.state.renderStates[D3DRS_TEXTUREFACTOR]);
        return marks;
    }

    JTIDMap ids;
    JTScene scene;
    JTCamera camera;
    JTView view{&scene, &camera, 0, 0, 1, 1, 0, 1};
};

} // namespace

TEST_F(FrameTest, TransparentNodesDrawFarToNearAfterTheOpaqueOnes) {
    Add(PaintedEntity(JTVec3(0, 0, 0), 0xFF000000, true, 5.0f, 5));
    Add(PaintedEntity(JTVec3(0, 0, 0), 0xFF000000, false, 0.0f, 1));
    Add(PaintedEntity(JTVec3(0, 0, 0), 0xFF000000, true, 20.0f, 20));
    Add(PaintedEntity(JTVec3(0, 0, 0), 0xFF000000, true, 10.0f, 10));
    Add(PaintedEntity(JTVec3(0, 0, 0), 0xFF000000, false, 0.0f, 2));
    display->Render();
    EXPECT_EQ(Marks(), (std::vector<uint32_t>{1, 2, 20, 10, 5}));
    ASSERT_EQ(Recorded().clears.size(), 1u);
    EXPECT_EQ(Recorded().clears[0].flags, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
    EXPECT_EQ(Recorded().presents, 1);
    // Every node starts from the default states (the material among them).
    for (const auto& draw : Recorded().draws)
        EXPECT_FLOAT_EQ(draw.state.material.Emissive.r, 1.0f);
}

TEST_F(FrameTest, OfTenLightsTheFirstEightAreEnabled) {
    std::vector<JTLight*> lights;
    for (int i = 0; i < 10; ++i) {
        auto* light = new JTLight;
        light->GetLight().type = JTLightRecord::POINT;
        light->GetLight().range = float(i + 1);
        lights.push_back(light);
        Add(light);
    }
    Add(PaintedEntity(JTVec3(0, 0, 0), 0xFF000000));
    display->Render();
    ASSERT_EQ(Recorded().draws.size(), 1u);
    const auto& state = Recorded().draws[0].state;
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(state.lightEnabled[i]) << i;
        EXPECT_FLOAT_EQ(state.lights[i].Range, float(i + 1));
    }

    // With three the rest are turned off again.
    for (int i = 3; i < 10; ++i)
        scene.Delete(lights[size_t(i)]);
    scene.PostFrameUpdate();
    Recorded().Forget();
    display->Render();
    const auto& fewer = Recorded().draws[0].state;
    EXPECT_TRUE(fewer.lightEnabled[2]);
    EXPECT_FALSE(fewer.lightEnabled[3]);
    EXPECT_FALSE(fewer.lightEnabled[7]);
}

TEST_F(FrameTest, WireAndLightSwitchesHoldForEveryNode) {
    JTConsole console;
    console.SetOpen(true);
    for (const char* line : {"wire\r", "light\r"})
        for (const char* c = line; *c; ++c)
            console.ProcessChar(*c);
    ASSERT_TRUE(display->GetWireframe());
    ASSERT_FALSE(display->GetEnableLighting());
    auto* first = new WitnessNode(0xFF000000);
    auto* second = new WitnessNode(0xFF000000);
    auto* entity = new JTEntity;
    entity->AddChild(first);
    entity->AddChild(second);
    Add(entity);
    display->Render();
    ASSERT_EQ(first->fill.size(), 1u);
    ASSERT_EQ(second->fill.size(), 1u);
    EXPECT_EQ(first->fill[0], uint32_t(D3DFILL_WIREFRAME));
    EXPECT_EQ(second->fill[0], uint32_t(D3DFILL_WIREFRAME));
    EXPECT_EQ(first->lighting[0], 0u);
    EXPECT_EQ(second->lighting[0], 0u);
}

TEST_F(FrameTest, EdgedFacesDrawThreeTimesButCountOnce) {
    platform::TestClock clock(5000);
    platform::SetCurrentClock(&clock);
    display->Render(); // starts the statistics clock
    auto* device = display->GetDevice();
    auto vb = device->CreateVertexBuffer(4 * sizeof(Vert1), 0, 0, D3DPOOL_MANAGED);
    auto ib = device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED);
    device->SetStreamSource(0, vb.get(), sizeof(Vert1));
    device->SetIndices(ib.get(), 0);
    display->SetEdgedFaces(true);
    Recorded().Forget();
    device->BeginScene();
    EXPECT_EQ(display->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
    device->EndScene();
    ASSERT_EQ(Recorded().draws.size(), 3u);
    EXPECT_EQ(Recorded().draws[0].state.renderStates[D3DRS_FILLMODE], uint32_t(D3DFILL_SOLID));
    EXPECT_EQ(Recorded().draws[2].state.renderStates[D3DRS_FILLMODE], uint32_t(D3DFILL_WIREFRAME));
    EXPECT_EQ(Recorded().draws[2].state.renderStates[D3DRS_LIGHTING], 0u);
    device->SetStreamSource(0, nullptr, 0);
    device->SetIndices(nullptr, 0);

    clock.AdvanceMilliseconds(1000);
    display->Render();
    EXPECT_FLOAT_EQ(display->GetTrisPerSec(), 2.0f);
    EXPECT_FLOAT_EQ(display->GetVertsPerSec(), 4.0f);
    EXPECT_FLOAT_EQ(display->GetFramesPerSec(), 1.0f);
    platform::SetCurrentClock(nullptr);
}

TEST_F(FrameTest, ImmediateModeDrawsWholePrimitivesOfItsType) {
    auto* device = display->GetDevice();
    const Vert1 v{};
    auto batch = [&](D3DPRIMITIVETYPE type, int count) {
        display->Begin(type, 0);
        for (int i = 0; i < count; ++i)
            display->Vertex(&v);
        const int held = display->GetBatchCount();
        Recorded().Forget();
        device->BeginScene();
        display->End(0);
        device->EndScene();
        return std::make_pair(held, Recorded().draws.empty() ? 0u : Recorded().draws[0].primCount);
    };
    EXPECT_EQ(batch(D3DPT_TRIANGLESTRIP, 12), std::make_pair(10, 8u));
    EXPECT_EQ(batch(D3DPT_TRIANGLESTRIP, 5), std::make_pair(5, 3u));
    EXPECT_EQ(batch(D3DPT_TRIANGLELIST, 7), std::make_pair(7, 2u));
    EXPECT_EQ(batch(D3DPT_LINESTRIP, 4), std::make_pair(4, 3u));
    // Too few for one primitive: nothing is drawn (and nothing read past
    // the batch).
    EXPECT_EQ(batch(D3DPT_TRIANGLESTRIP, 1), std::make_pair(1, 0u));
    EXPECT_EQ(batch(D3DPT_TRIANGLEFAN, 0), std::make_pair(0, 0u));
    EXPECT_EQ(batch(D3DPT_LINELIST, 1), std::make_pair(1, 0u));
}

TEST_F(FrameTest, AModeChangeLeavesTheStatesOfAFreshDisplay) {
    auto* device = display->GetDevice();
    const platform::render::DeviceState fresh = device->State();
    static int released = 0;
    released = 0;
    auto release = [] { ++released; };
    JTDisplay::JoinReleaseList(release);
    display->SetFillMode(D3DFILL_POINT);
    display->SetAlphaTest(true, 40, D3DCMP_LESS);
    display->SetTextureFactor(0x12345678);
    display->SetMaterial(D3DMATERIAL8{});
    device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_ADD);
    DynamicVB* before = display->GetDynamicVB();

    display->ChangeDisplayMode(nullptr);
    JTDisplay::LeaveReleaseList(release);
    EXPECT_EQ(released, 1);
    const platform::render::DeviceState& after = device->State();
    EXPECT_EQ(std::memcmp(after.renderStates, fresh.renderStates, sizeof fresh.renderStates), 0);
    EXPECT_EQ(std::memcmp(after.stageStates, fresh.stageStates, sizeof fresh.stageStates), 0);
    EXPECT_EQ(std::memcmp(&after.material, &fresh.material, sizeof fresh.material), 0);
    EXPECT_EQ(after.layout.fvf, fresh.layout.fvf);
    ASSERT_NE(display->GetDynamicVB(), nullptr);
    EXPECT_NE(display->GetDynamicVB(), before) << "buffers made again";
    EXPECT_NE(display->GetDynamicIB(), nullptr);
}

TEST_F(FrameTest, DynamicBuffersRefuseOversizedLocksAndParticlesAreSplit) {
    unsigned start = 99;
    EXPECT_EQ(display->GetDynamicVB()->Lock(JTDisplay::kDynamicVertexBytes + 1, start), nullptr);
    EXPECT_EQ(display->GetDynamicIB()->Lock(JTDisplay::kDynamicIndices + 1, start), nullptr);
    DynamicVB* vb = display->GetDynamicVB();
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(vb->Lock(96, start), nullptr);
        vb->Unlock();
        EXPECT_EQ(start, 0u) << "every vertex lock starts again at the beginning";
    }
    DynamicIB* ib = display->GetDynamicIB();
    ASSERT_NE(ib->Lock(10, start), nullptr);
    ib->Unlock();
    EXPECT_EQ(start, 0u);
    ASSERT_NE(ib->Lock(10, start), nullptr);
    ib->Unlock();
    EXPECT_EQ(start, 10u) << "indices append while they fit";
    ASSERT_NE(ib->Lock(JTDisplay::kDynamicIndices - 10, start), nullptr);
    ib->Unlock();
    EXPECT_EQ(start, 0u) << "and start again when they do not";

    // 3000 particles: more than the index buffer holds at once.
    const int quads = 3000;
    std::vector<JTPartVertex> vertices(size_t(quads) * 4);
    std::vector<uint16_t> indices(size_t(quads) * 6);
    for (int q = 0; q < quads; ++q) {
        const uint16_t base = uint16_t(q * 4);
        const uint16_t quad[6] = {base,
                                  uint16_t(base + 1),
                                  uint16_t(base + 2),
                                  uint16_t(base + 2),
                                  uint16_t(base + 1),
                                  uint16_t(base + 3)};
        std::copy(quad, quad + 6, indices.begin() + q * 6);
    }
    JTPartSysDraw draw;
    draw.vertices = vertices.data();
    draw.numVertices = int(vertices.size());
    draw.indices = indices.data();
    draw.numIndices = int(indices.size());
    Recorded().Forget();
    display->GetDevice()->BeginScene();
    display->DrawParticles(draw);
    display->GetDevice()->EndScene();
    ASSERT_EQ(Recorded().draws.size(), 2u);
    EXPECT_EQ(Recorded().draws[0].primCount, 5000u);
    EXPECT_EQ(Recorded().draws[1].primCount, 1000u);
    EXPECT_EQ(Recorded().draws[0].state.renderStates[D3DRS_ALPHABLENDENABLE], 1u);
    EXPECT_EQ(Recorded().draws[0].state.layout.fvf, 0x142u);
    // The quads carry their own colours: they are drawn unlit.
    EXPECT_EQ(Recorded().draws[0].state.renderStates[D3DRS_LIGHTING], 0u);
}

TEST_F(FrameTest, ADisplayWithoutADeviceIsNeverDrawnWith) {
    JTDisplay lost;
    JTView other(&scene, &camera, 0, 0, 1, 1, 0, 1);
    lost.AddView(&other);
    lost.Render();
    lost.ChangeDisplayMode(nullptr);
    lost.Screenshot();
    lost.Begin(D3DPT_TRIANGLELIST, 0);
    lost.End(0);
    EXPECT_EQ(lost.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);
    JTPartSysDraw nothing;
    lost.DrawParticles(nothing);
    EXPECT_EQ(lost.GetDevice(), nullptr);
}

TEST_F(FrameTest, TheSoftwareDisplayDrawsAtTheDesktopsSize) {
    JTDisplay* software = renderer->CreateSoftwareDisplay();
    ASSERT_NE(software->GetDevice(), nullptr);
    EXPECT_GT(software->GetWidth(), 0);
    EXPECT_FLOAT_EQ(software->GetAspect(),
                    float(software->GetWidth()) / float(software->GetHeight()));
    EXPECT_FALSE(software->GetFullScreen());
    EXPECT_EQ(renderer->GetNumDisplays(), 2);
}
