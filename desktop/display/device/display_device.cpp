// The display's device: binding to the adapter, making the drawing device on
// the back buffer, its default states, letting everything go in order, the
// immediate batch and the model library's shared vertex buffer.
#include "desktop/display/device/display.h"
#include "desktop/display/surfaces/heap_return.h"

#include "desktop/display/camera/still_camera.h"
#include "desktop/scene/object/engine_services.h"
#include "platform/render/device.h"

#include <algorithm>
#include <cstring>

namespace lumivane {

namespace {

using platform::render::Device;

// The older device's state for perspective-correct texturing; GL always
// interpolates in perspective, so the state is kept for the record only.
constexpr auto kTexturePerspective = D3DRENDERSTATETYPE(4);

} // namespace

const uint16_t kBatchIndices[kBatchVertices] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

namespace {

struct StateDefault {
    D3DRENDERSTATETYPE state;
    uint32_t value;
};

constexpr StateDefault kDefaultStates[] = {
    {D3DRS_SPECULARENABLE, 1},
    {D3DRS_ZENABLE, D3DZB_TRUE},
    {D3DRS_ZWRITEENABLE, 1},
    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
    {D3DRS_CULLMODE, D3DCULL_CCW},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {D3DRS_ALPHABLENDENABLE, 0},
    {D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL},
    {D3DRS_ALPHAREF, 1},
    {D3DRS_DITHERENABLE, 1},
    {D3DRS_NORMALIZENORMALS, 1},
    {kTexturePerspective, 1},
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_COLORVERTEX, 1},
    {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
    {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1},
    {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_LIGHTING, 0},
};

} // namespace

Display::Display(DisplayHost& host, DisplayOptions options)
    : host_(host), options_(std::move(options)), camera_(std::make_unique<StillCamera>()) {}

Display::~Display() {
    Release();
}

int32_t Display::Init(AdapterRecord& adapter) {
    adapter_ = &adapter;
    // GL transforms and lights on the GPU: the adapter's one device is a
    // hardware device with transform and lighting.
    deviceRecords_.clear();
    deviceRecords_.push_back(
        DeviceRecord{"Hardware transform and lighting device", "T&L HAL", true, true});
    halIndex_ = -1;
    tnlIndex_ = -1;
    for (int i = 0; i < int(deviceRecords_.size()); ++i) {
        if (deviceRecords_[size_t(i)].transformAndLight && tnlIndex_ < 0) tnlIndex_ = i;
        if (deviceRecords_[size_t(i)].hardware && halIndex_ < 0) halIndex_ = i;
    }
    useTnL_ = true;
    return 0;
}

int Display::SetUseTnL(bool use) {
    if (tnlIndex_ < 0) return tnlIndex_;
    useTnL_ = use;
    return use ? 1 : 0;
}

int32_t Display::CreateDevice() {
    if (!device_) return D3DERR_INVALIDCALL;
    // The drawing device works on the back buffer with the z-buffer.
    const int32_t hr = device_->SetRenderTarget(device_->GetBackBuffer(), zBuffer_.get());
    if (hr != D3D_OK) {
        device3D_ = nullptr;
        return hr;
    }
    device3D_ = device_.get();
    states_.Bind(device3D_);
    multiTextureReset_ = false;
    // The driver's names become the adapter's where the enumeration had
    // none to give.
    if (adapter_) {
        const platform::render::AdapterIdentifier id = device_->GetAdapterIdentifier();
        DeviceIdentifier& mine = adapter_->identifier;
        mine.driverFile = id.Driver;
        mine.description = id.Description;
        mine.version = id.Version;
        mine.vendorId = id.VendorId;
        mine.deviceId = id.DeviceId;
        mine.subSysId = id.SubSysId;
        mine.revision = id.Revision;
        if (adapter_->description.empty())
            adapter_->description = id.Description.substr(0, kAdapterNameChars);
        if (adapter_->driverName.empty())
            adapter_->driverName = id.Driver.substr(0, kAdapterNameChars);
    }
    return D3D_OK;
}

int32_t Display::SetupDevice() {
    if (!device3D_) return D3DERR_INVALIDCALL;
    viewport_ = D3DVIEWPORT8{0, 0, uint32_t(renderWidth_), uint32_t(renderHeight_), 0.0f, 1.0f};
    const int32_t hr = device3D_->SetViewport(viewport_);
    if (hr != D3D_OK) return hr;
    for (const StateDefault& d : kDefaultStates)
        states_.SetRenderState(d.state, d.value);
    states_.SetBaseStage(true);
    for (uint32_t stage = 0; stage < 3; ++stage) {
        states_.SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        states_.SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        states_.SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    }
    states_.SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    // The camera follows the display's shape.
    camera_->SetAspect(aspect_);
    return D3D_OK;
}

void Display::Release() {
    if (gpTextureManager) gpTextureManager->ReleaseSurfaces();
    sharedVertices_.reset();
    dynamicBuffer_.reset();
    batchIndices_.reset();
    // Windowed again (the cooperative level back to normal).
    if (device3D_) states_.Bind(nullptr);
    device3D_ = nullptr;
    scaling_.reset();
    zBuffer_.reset();
    // The device goes last: with it the back buffer and the primary.
    const bool hadDevice = device_ != nullptr;
    device_.reset();
    if (hadDevice) GiveBackFreeMemory();
}

bool Display::TakeDeviceLost() {
    const bool lost = deviceLost_;
    deviceLost_ = false;
    return lost;
}

void Display::Begin(D3DPRIMITIVETYPE type, uint32_t vertexFormat) {
    batchType_ = type;
    batchFormat_ = vertexFormat;
    batchCount_ = 0;
}

void Display::AddVertex(const Vertex& vertex) {
    if (batchCount_ < kBatchVertices) batch_[batchCount_++] = vertex;
}

int Display::End() {
    const int count = batchCount_;
    batchCount_ = 0;
    const uint32_t primitives = [&]() -> uint32_t {
        switch (batchType_) {
        case D3DPT_POINTLIST:
            return uint32_t(count);
        case D3DPT_LINELIST:
            return uint32_t(count / 2);
        case D3DPT_LINESTRIP:
            return count > 1 ? uint32_t(count - 1) : 0;
        case D3DPT_TRIANGLELIST:
            return uint32_t(count / 3);
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN:
            return count > 2 ? uint32_t(count - 2) : 0;
        }
        return 0;
    }();
    if (!device3D_ || primitives == 0) return 0;
    device3D_->SetVertexShader(batchFormat_);
    uint32_t start = 0;
    void* room =
        dynamicBuffer_ && batchIndices_ ? dynamicBuffer_->Lock(uint32_t(count), &start) : nullptr;
    if (room) {
        std::memcpy(room, batch_, size_t(count) * sizeof(Vertex));
        dynamicBuffer_->Unlock();
        device3D_->SetStreamSource(0, dynamicBuffer_->Buffer(), sizeof(Vertex));
        device3D_->SetIndices(batchIndices_.get(), start);
        device3D_->DrawIndexedPrimitive(batchType_, 0, uint32_t(count), 0, primitives);
    } else {
        // Without the buffer the batch is drawn from memory.
        device3D_->DrawIndexedPrimitiveUP(batchType_, 0, uint32_t(count), primitives, kBatchIndices,
                                          D3DFMT_INDEX16, batch_, sizeof(Vertex));
    }
    vertexStats_ += uint32_t(count);
    return count;
}

bool Display::UploadSharedVertices(const Vertex* vertices, size_t count) {
    sharedVertices_.reset();
    if (!device3D_ || !vertices || count == 0) return false;
    const size_t bytes = count * sizeof(Vertex);
    if (bytes > UINT32_MAX) return false;
    sharedVertices_ =
        device3D_->CreateVertexBuffer(uint32_t(bytes), D3DUSAGE_WRITEONLY, kModelVertexFormat,
                                      useTnL_ ? D3DPOOL_DEFAULT : D3DPOOL_SYSTEMMEM);
    uint8_t* data = nullptr;
    if (!sharedVertices_ || sharedVertices_->Lock(0, 0, &data, 0) != D3D_OK) {
        sharedVertices_.reset();
        return false;
    }
    std::memcpy(data, vertices, bytes);
    sharedVertices_->Unlock();
    return true;
}

} // namespace lumivane
