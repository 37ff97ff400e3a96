// The joined strip of a grid drawn by the OpenGL device with back faces
// culled covers exactly the pixels the triangle list covers: every face is
// there, wound as in the list.
#include "Jentra/render/stripify.h"
#include "tests/platform/render/device_fixture.h"

using namespace device_test;
using jentra::strips::JoinStrips;
using jentra::strips::Stripify;
using jentra::strips::StripifyResult;

namespace {

constexpr int kCells = 10;
constexpr float kCellPixels = 5.0f;

std::vector<ScreenVertex> GridVertices() {
    std::vector<ScreenVertex> v;
    for (int y = 0; y <= kCells; ++y)
        for (int x = 0; x <= kCells; ++x)
            v.push_back(
                {7 + float(x) * kCellPixels, 7 + float(y) * kCellPixels, 0.5f, 1, 0xFFFFFFFF});
    return v;
}

// Clockwise on the screen (y runs down), so visible with D3DCULL_CCW.
std::vector<uint16_t> GridList() {
    std::vector<uint16_t> list;
    const int row = kCells + 1;
    for (int y = 0; y < kCells; ++y)
        for (int x = 0; x < kCells; ++x) {
            const int i = y * row + x;
            for (int v : {i, i + 1, i + row + 1, i, i + row + 1, i + row})
                list.push_back(uint16_t(v));
        }
    return list;
}

} // namespace

TEST_F(DeviceTest, JoinedStripsDrawTheListsFacesWithTheirWinding) {
    Open(DeviceKind::OpenGL);
    const auto vertices = GridVertices();
    const auto list = GridList();
    StripifyResult result;
    Stripify(list.data(), int(list.size()), 16, 0, result);
    const auto strip = JoinStrips(result.strips);
    ASSERT_GT(strip.size(), 2u);

    device->SetVertexShader(kScreenFvf);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    auto draw = [&](D3DPRIMITIVETYPE type, const std::vector<uint16_t>& indices, uint32_t prims) {
        device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        ASSERT_EQ(device->DrawIndexedPrimitiveUP(type, 0, uint32_t(vertices.size()), prims,
                                                 indices.data(), D3DFMT_INDEX16, vertices.data(),
                                                 sizeof(ScreenVertex)),
                  D3D_OK);
        device->EndScene();
        Capture();
    };

    draw(D3DPT_TRIANGLELIST, list, uint32_t(list.size() / 3));
    const std::vector<uint32_t> listPixels = pixels;
    const int covered = Count(0xFFFFFF);
    EXPECT_EQ(covered, 50 * 50); // the whole grid, nothing culled

    draw(D3DPT_TRIANGLESTRIP, strip, uint32_t(strip.size() - 2));
    EXPECT_EQ(Count(0xFFFFFF), covered);
    EXPECT_EQ(pixels, listPixels);
}
