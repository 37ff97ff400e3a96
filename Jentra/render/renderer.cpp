// JTRenderer: the display list, and the questions about adapters and modes
// that start-up and the option screens ask.
#include "Jentra/JTRenderer.h"

#include <cstdio>
#include <cstring>

#include "Jentra/JTDisplay.h"

namespace {

platform::render::DeviceKind gDeviceKind = platform::render::DeviceKind::OpenGL;

void CopyText(char* out, size_t size, const std::string& text) {
    if (!out || size == 0) return;
    std::snprintf(out, size, "%s", text.c_str());
}

} // namespace

void JTRenderer::SetDeviceKind(platform::render::DeviceKind kind) {
    gDeviceKind = kind;
}

platform::render::DeviceKind JTRenderer::GetDeviceKind() {
    return gDeviceKind;
}

JTRenderer::JTRenderer() = default;

JTRenderer::~JTRenderer() {
    for (int i = 0; i < displays.GetCount(); ++i) {
        if (gpJTDisplay == displays[i]) gpJTDisplay = nullptr;
        delete displays[i];
    }
}

void JTRenderer::SetAdapters(std::vector<platform::render::AdapterInfo> given) {
    adapters = std::move(given);
    adaptersGiven = true;
}

const platform::render::AdapterInfo* JTRenderer::Adapter(int adapter) const {
    if (!adaptersGiven) {
        // Asked of the machine once, on first use.
        auto& self = const_cast<JTRenderer&>(*this);
        self.adapters = platform::render::QueryAdapters();
        self.adaptersGiven = true;
    }
    if (adapter < 0 || adapter >= int(adapters.size())) return nullptr;
    return &adapters[size_t(adapter)];
}

int JTRenderer::GetNumAdapters() const {
    Adapter(0);
    return int(adapters.size());
}

int JTRenderer::GetNumDisplayModes(int adapter) const {
    const auto* a = Adapter(adapter);
    return a ? int(a->modes.size()) : 0;
}

D3DDISPLAYMODE JTRenderer::GetModeDesc(int adapter, int mode) const {
    const auto* a = Adapter(adapter);
    if (!a || mode < 0 || mode >= int(a->modes.size())) return D3DDISPLAYMODE{};
    return a->modes[size_t(mode)];
}

D3DDISPLAYMODE JTRenderer::GetAdapterDisplayMode(int adapter) const {
    const auto* a = Adapter(adapter);
    return a ? a->desktop : D3DDISPLAYMODE{};
}

HRESULT JTRenderer::FindMode(int adapter, D3DDISPLAYMODE wanted, int* modeIndex) const {
    const int count = GetNumDisplayModes(adapter);
    for (int i = 0; i < count; ++i) {
        const D3DDISPLAYMODE m = GetModeDesc(adapter, i);
        // Refresh rates are not compared: the first of several wins.
        if (m.Width == wanted.Width && m.Height == wanted.Height && m.Format == wanted.Format) {
            if (modeIndex) *modeIndex = i;
            return S_OK;
        }
    }
    return JT_UNSUPPORTED_MODE;
}

HRESULT JTRenderer::FindAdapter(JTAdapterID id, int* adapter) const {
    const int count = GetNumAdapters();
    for (int i = 0; i < count; ++i) {
        const JTAdapterID a = GetShortAdapterIdentifier(i);
        if (a.vendorId == id.vendorId && a.deviceId == id.deviceId && a.subSysId == id.subSysId &&
            a.revision == id.revision) {
            if (adapter) *adapter = i;
            return S_OK;
        }
    }
    return JT_UNSUPPORTED_ADAPTER;
}

D3DCAPS8 JTRenderer::GetAdapterHALDeviceCaps(int adapter) const {
    D3DCAPS8 caps{};
    const auto* a = Adapter(adapter);
    if (!a) return caps;
    caps.Caps2 = D3DCAPS2_CANRENDERWINDOWED;
    caps.VertexShaderVersion = a->vertexShaders ? 0x0101u : 0u;
    caps.MaxTextureWidth = caps.MaxTextureHeight = uint32_t(a->maxTextureSize);
    return caps;
}

D3DADAPTER_IDENTIFIER8 JTRenderer::GetAdapterIdentifier(int adapter) const {
    D3DADAPTER_IDENTIFIER8 id{};
    const auto* a = Adapter(adapter);
    if (!a) return id;
    CopyText(id.Driver, sizeof id.Driver, a->driver);
    CopyText(id.Description, sizeof id.Description, a->description);
    id.VendorId = a->vendorId;
    id.DeviceId = a->deviceId;
    id.SubSysId = a->subSysId;
    id.Revision = a->revision;
    return id;
}

JTAdapterID JTRenderer::GetShortAdapterIdentifier(int adapter) const {
    const D3DADAPTER_IDENTIFIER8 id = GetAdapterIdentifier(adapter);
    return JTAdapterID{id.VendorId, id.DeviceId, id.SubSysId, id.Revision};
}

void JTRenderer::GetAdapterIdentifierString(char* out, size_t size, int adapter) const {
    const auto* a = Adapter(adapter);
    CopyText(out, size, a ? a->description : std::string());
}

void JTRenderer::GetModeDescString(char* out, size_t size, int adapter, int mode) const {
    const D3DDISPLAYMODE m = GetModeDesc(adapter, mode);
    const char* depth = "unknown";
    switch (m.Format) {
    case D3DFMT_R8G8B8:
        depth = "24 Bit RGB";
        break;
    case D3DFMT_X8R8G8B8:
        depth = "32 Bit RGB";
        break;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
        depth = "16 Bit RGB";
        break;
    default:
        break;
    }
    if (out && size > 0)
        std::snprintf(out, size, "%d x %d, %s", int(m.Width), int(m.Height), depth);
}

int JTRenderer::GetModeBPP(int adapter, int mode) const {
    switch (GetModeDesc(adapter, mode).Format) {
    case D3DFMT_R8G8B8:
        return 24;
    case D3DFMT_X8R8G8B8:
        return 32;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
        return 16;
    default:
        return 0;
    }
}

bool JTRenderer::IsDepthFormatOk(unsigned adapter, D3DDEVTYPE, D3DFORMAT depth, D3DFORMAT,
                                 D3DFORMAT renderTarget) const {
    // Every depth format goes with every colour target the device draws into.
    if (!Adapter(int(adapter))) return false;
    switch (depth) {
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D32:
        break;
    default:
        return false;
    }
    return renderTarget == D3DFMT_X8R8G8B8 || renderTarget == D3DFMT_A8R8G8B8 ||
           renderTarget == D3DFMT_R5G6B5 || renderTarget == D3DFMT_X1R5G5B5;
}

bool JTRenderer::SupportsWindowedMode(int adapter) const {
    return (GetAdapterHALDeviceCaps(adapter).Caps2 & D3DCAPS2_CANRENDERWINDOWED) != 0;
}

bool JTRenderer::CheckDeviceMultiSampleType(int adapter, D3DFORMAT, int samples) const {
    const auto* a = Adapter(adapter);
    return a && samples >= 2 && samples <= a->maxSamples;
}

void JTRenderer::Render() {
    for (int i = 0; i < displays.GetCount(); ++i)
        if (displays[i]->GetDevice()) displays[i]->Render();
}

JTDisplay* JTRenderer::GetDisplay(int i) const {
    return i >= 0 && i < displays.GetCount() ? displays[i] : nullptr;
}
