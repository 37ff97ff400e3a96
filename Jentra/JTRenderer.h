// JTRenderer: the engine's one entry into the rendering device. It answers
// questions about adapters and display modes for start-up and the option
// screens, makes the displays (full screen, windowed, or a software one
// that draws off screen), keeps every display it made and renders them all
// once per frame. One instance, gpJTRenderer, made by JTGame::Init.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Jentra/JTArray.h"
#include "Jentra/JTErrors.h"
#include "platform/render/adapters.h"
#include "platform/render/device.h"

class JTDisplay;
namespace platform {
class Window;
}

// The short adapter identifier the user options keep to find the same card
// again: vendor, device, subsystem and revision.
struct JTAdapterID {
    uint32_t vendorId;
    uint32_t deviceId;
    uint32_t subSysId;
    uint32_t revision;
};

struct D3DADAPTER_IDENTIFIER8 {
    char Driver[512];
    char Description[512];
    uint32_t VendorId;
    uint32_t DeviceId;
    uint32_t SubSysId;
    uint32_t Revision;
};

// What a device of the adapter can do, as far as the engine asks.
struct D3DCAPS8 {
    uint32_t Caps2;
    uint32_t VertexShaderVersion; // major version in bits 8..15
    uint32_t MaxTextureWidth;
    uint32_t MaxTextureHeight;
};
constexpr uint32_t D3DCAPS2_CANRENDERWINDOWED = 0x80000;

enum D3DDEVTYPE { D3DDEVTYPE_HAL = 1, D3DDEVTYPE_REF = 2 };

// A window rectangle: left, top, and (as the windowed creator reads it)
// width and height.
struct JTRect {
    int left, top, right, bottom;
};

class JTRenderer {
public:
    JTRenderer();
    ~JTRenderer();
    JTRenderer(const JTRenderer&) = delete;
    JTRenderer& operator=(const JTRenderer&) = delete;

    // The device every display gets: OpenGL, or the recording one (tests).
    static void SetDeviceKind(platform::render::DeviceKind kind);
    static platform::render::DeviceKind GetDeviceKind();
    // Replaces the machine's adapters (tests describe their own).
    void SetAdapters(std::vector<platform::render::AdapterInfo> adapters);

    int GetNumAdapters() const;
    int GetNumDisplayModes(int adapter) const;
    D3DDISPLAYMODE GetModeDesc(int adapter, int mode) const;
    // The adapter's desktop mode.
    D3DDISPLAYMODE GetAdapterDisplayMode(int adapter) const;
    // The first mode of the same size and format (the refresh rate is not
    // compared); JT_UNSUPPORTED_MODE when there is none.
    HRESULT FindMode(int adapter, D3DDISPLAYMODE wanted, int* modeIndex) const;
    // The first adapter with that identifier; JT_UNSUPPORTED_ADAPTER (and
    // *adapter untouched) when there is none.
    HRESULT FindAdapter(JTAdapterID id, int* adapter) const;
    D3DCAPS8 GetAdapterHALDeviceCaps(int adapter) const;
    D3DADAPTER_IDENTIFIER8 GetAdapterIdentifier(int adapter) const;
    JTAdapterID GetShortAdapterIdentifier(int adapter) const;
    // The adapter's description, cut to fit size bytes.
    void GetAdapterIdentifierString(char* out, size_t size, int adapter) const;
    // "%d x %d, %s": width, height and "24 Bit RGB", "32 Bit RGB", "16 Bit
    // RGB" or "unknown"; cut to fit size bytes.
    void GetModeDescString(char* out, size_t size, int adapter, int mode) const;
    int GetModeBPP(int adapter, int mode) const;
    bool IsDepthFormatOk(unsigned adapter, D3DDEVTYPE type, D3DFORMAT depth,
                         D3DFORMAT adapterFormat, D3DFORMAT renderTarget) const;
    // Every device the engine makes has a 16-bit depth buffer.
    D3DFORMAT FindBestDepthFormat(unsigned, D3DDEVTYPE, D3DFORMAT) const { return D3DFMT_D16; }
    bool SupportsWindowedMode(int adapter) const;
    // Whether a back buffer of that format may have that many samples.
    bool CheckDeviceMultiSampleType(int adapter, D3DFORMAT format, int samples) const;

    // Each returns the new display, appended to the list and initialised;
    // a display whose device could not be made has no device and must not
    // be drawn with (GetDevice() is null).
    JTDisplay* CreateDisplayFullScreen(int adapter, int mode, platform::Window* window);
    JTDisplay* CreateDisplayFullScreen(int adapter, int mode, const char* title);
    JTDisplay* CreateDisplayWindowed(int adapter, platform::Window* window);
    JTDisplay* CreateDisplayWindowed(int adapter, JTRect rect, const char* title);
    JTDisplay* CreateSoftwareDisplay();

    // JTDisplay::Render on every display, in list order.
    void Render();
    int GetNumDisplays() const { return displays.GetCount(); }
    JTDisplay* GetDisplay(int i) const;

private:
    const platform::render::AdapterInfo* Adapter(int adapter) const;
    JTDisplay* NewDisplay();
    bool GetFullScreenDX8Window(int adapter, int mode, platform::Window* window,
                                JTDisplay* display);
    bool GetWindowedDX8Window(int adapter, platform::Window* window, JTDisplay* display);
    // What every display records of its adapter and format, and the
    // presentation parameters that follow from them and the user options.
    platform::render::PresentParams PrepareDisplay(int adapter, platform::Window* window,
                                                   D3DFORMAT format, bool fullScreen,
                                                   JTDisplay* display) const;
    static bool TakeBackBufferSize(JTDisplay* display);

    std::vector<platform::render::AdapterInfo> adapters;
    bool adaptersGiven = false;
    JTArray<JTDisplay*> displays{16};
};

extern JTRenderer* gpJTRenderer;
