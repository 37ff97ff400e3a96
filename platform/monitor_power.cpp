// DPMS through Xlib's extension library, on a connection of its own.
#include "platform/monitor_power.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

#include <cstdlib>
#include <mutex>
#include <string_view>

namespace platform {

namespace {

std::mutex gFactoryMutex;
MonitorPowerFactory gFactory;

// Xlib ends the process on an unhandled error; the server refusing a
// request is caught here instead. The handler is global to Xlib, so one
// request at a time.
std::mutex gTrapMutex;
bool gErrorSeen = false;

int TrapError(Display*, XErrorEvent*) {
    gErrorSeen = true;
    return 0;
}

class XMonitorPower : public MonitorPower {
public:
    explicit XMonitorPower(Display* display) : display_(display) {}
    ~XMonitorPower() override { XCloseDisplay(display_); }
    XMonitorPower(const XMonitorPower&) = delete;
    XMonitorPower& operator=(const XMonitorPower&) = delete;

    bool Read(MonitorPowerSettings& out) override {
        CARD16 level = 0;
        BOOL enabled = False;
        CARD16 standby = 0, suspend = 0, off = 0;
        if (!DPMSInfo(display_, &level, &enabled) ||
            !DPMSGetTimeouts(display_, &standby, &suspend, &off))
            return false;
        out.enabled = enabled != False;
        out.standby = standby;
        out.suspend = suspend;
        out.off = off;
        return true;
    }

    bool SetTimeouts(uint16_t standby, uint16_t suspend, uint16_t off) override {
        std::lock_guard lock(gTrapMutex);
        XSync(display_, False);
        gErrorSeen = false;
        const auto previous = XSetErrorHandler(TrapError);
        DPMSSetTimeouts(display_, standby, suspend, off);
        XSync(display_, False);
        XSetErrorHandler(previous);
        return !gErrorSeen;
    }

private:
    Display* display_;
};

std::unique_ptr<MonitorPower> OpenX(const std::string& name, std::string* why) {
    auto fail = [why](const std::string& reason) -> std::unique_ptr<MonitorPower> {
        if (why) *why = reason;
        return nullptr;
    };
    Display* display = XOpenDisplay(name.c_str());
    if (!display) return fail("the X display " + name + " cannot be opened");
    int event = 0, error = 0;
    if (!DPMSQueryExtension(display, &event, &error) || !DPMSCapable(display)) {
        XCloseDisplay(display);
        return fail("the X display " + name + " has no DPMS");
    }
    return std::make_unique<XMonitorPower>(display);
}

} // namespace

std::string WindowsXDisplay() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && *driver && std::string_view(driver) != "x11") return {};
    const char* display = std::getenv("DISPLAY");
    return display ? display : "";
}

std::unique_ptr<MonitorPower> OpenMonitorPower(const std::string& display, std::string* why) {
    MonitorPowerFactory factory;
    {
        std::lock_guard lock(gFactoryMutex);
        factory = gFactory;
    }
    return factory ? factory(display, why) : OpenX(display, why);
}

void SetMonitorPowerFactory(MonitorPowerFactory factory) {
    std::lock_guard lock(gFactoryMutex);
    gFactory = std::move(factory);
}

} // namespace platform
