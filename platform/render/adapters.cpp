// Adapters and display modes from SDL; the driver's name and limits from a
// throw-away GL context on a hidden window.
#include "platform/render/adapters.h"

#include "platform/render/device_caps.h"

#include "platform/gl.h"
#include "platform/gl_context.h"
#include "platform/window.h"
#include "platform/window_internal.h"

#include <mutex>

namespace platform::render {

namespace {

struct DriverFacts {
    std::string vendor, renderer, version;
    int maxSamples = 0;
    int maxTextureSize = 0;
};

DriverFacts AskDriver() {
    DriverFacts facts;
    WindowDesc desc;
    desc.title = "probe";
    desc.width = 16;
    desc.height = 16;
    desc.hidden = true;
    auto window = Window::Create(desc);
    if (!window) return facts;
    auto context = GlContext::Create(*window);
    if (!context) return facts;
    facts.vendor = context->Vendor();
    facts.renderer = context->Renderer();
    facts.version = context->Version();
    GLint value = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &value);
    facts.maxSamples = value >= 2 ? int(value) : 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &value);
    facts.maxTextureSize = int(value);
    return facts;
}

D3DDISPLAYMODE ModeOf(const SDL_DisplayMode& m) {
    return D3DDISPLAYMODE{uint32_t(m.w), uint32_t(m.h), uint32_t(m.refresh_rate),
                          FormatOfPixelFormat(m.format)};
}

std::vector<AdapterInfo> Query() {
    std::vector<AdapterInfo> adapters;
    if (!StartVideo(nullptr)) return adapters;
    const DriverFacts driver = AskDriver();
    const int screens = SDL_GetNumVideoDisplays();
    for (int screen = 0; screen < screens; ++screen) {
        AdapterInfo info;
        const char* name = SDL_GetDisplayName(screen);
        const std::string screenName = name ? name : "screen";
        info.description = screenName + " (" + driver.renderer + ")";
        info.driver = driver.vendor + " " + driver.version;
        info.vendorId = HashName(driver.vendor);
        info.deviceId = HashName(driver.renderer);
        info.subSysId = HashName(screenName);
        info.revision = HashName(driver.version);
        info.maxSamples = driver.maxSamples;
        info.vertexShaders = !IsSoftwareRasteriser(driver.renderer);
        info.maxTextureSize = driver.maxTextureSize;
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(screen, &desktop) != 0) continue;
        info.desktop = ModeOf(desktop);
        if (info.desktop.Format == D3DFMT_UNKNOWN) info.desktop.Format = D3DFMT_X8R8G8B8;
        // Modes of a size and a format the device knows; some drivers list
        // placeholders without either.
        const int count = SDL_GetNumDisplayModes(screen);
        for (int i = 0; i < count; ++i) {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(screen, i, &m) != 0 || m.w <= 0 || m.h <= 0) continue;
            D3DDISPLAYMODE mode = ModeOf(m);
            if (mode.Format != D3DFMT_UNKNOWN) info.modes.push_back(mode);
        }
        if (info.modes.empty()) info.modes.push_back(info.desktop);
        adapters.push_back(std::move(info));
    }
    return adapters;
}

} // namespace

D3DFORMAT FormatOfPixelFormat(uint32_t sdlFormat) {
    switch (sdlFormat) {
    case SDL_PIXELFORMAT_RGB24:
        return D3DFMT_R8G8B8;
    case SDL_PIXELFORMAT_ARGB8888:
        return D3DFMT_A8R8G8B8;
    case SDL_PIXELFORMAT_RGB888:
        return D3DFMT_X8R8G8B8;
    case SDL_PIXELFORMAT_RGB565:
        return D3DFMT_R5G6B5;
    case SDL_PIXELFORMAT_RGB555:
        return D3DFMT_X1R5G5B5;
    case SDL_PIXELFORMAT_ARGB1555:
        return D3DFMT_A1R5G5B5;
    default:
        return D3DFMT_UNKNOWN;
    }
}

const std::vector<AdapterInfo>& QueryAdapters() {
    static std::once_flag once;
    static std::vector<AdapterInfo> adapters;
    std::call_once(once, [] { adapters = Query(); });
    return adapters;
}

} // namespace platform::render
