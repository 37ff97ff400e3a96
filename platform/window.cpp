// Windows through SDL2 with an OpenGL framebuffer.
#include "platform/window_internal.h"

#include "platform/display_session.h"
#include "platform/x11_windows.h"

#include <SDL_syswm.h>
#include <strings.h>

#include <atomic>
#include <mutex>

namespace platform {

namespace {

std::mutex gVideoMutex;
bool gVideoStarted = false;
std::atomic<uint32_t> gRaisedWindowId{0};
std::atomic<uint32_t> gWarpedWindowId{0};

Uint32 ModeFlags(WindowMode mode) {
    switch (mode) {
    case WindowMode::Windowed:
        return 0;
    case WindowMode::Fullscreen:
        return SDL_WINDOW_FULLSCREEN;
    case WindowMode::FullscreenDesktop:
        return SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    return 0;
}

// The framebuffer and context attributes must be set before the window is
// made: on X11 they choose the window's visual.
void SetGlAttributes(const WindowDesc& desc) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, desc.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, desc.stencilBits);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, desc.multisampleSamples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES,
                        desc.multisampleSamples > 0 ? desc.multisampleSamples : 0);
}

// SDL must neither disable the screensaver nor trap signals: the programs
// decide those themselves.
void SetVideoHints() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
}

// The drivers SDL has that show nothing on any screen.
bool IsOffscreenDriver(const char* driver) {
    return strcasecmp(driver, "offscreen") == 0 || strcasecmp(driver, "dummy") == 0 ||
           strcasecmp(driver, "evdev") == 0;
}

bool Fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + SDL_GetError();
    return false;
}

} // namespace

// Video starts once and stays up for the life of the process: shutting it
// down unloads the GL driver, which makes re-creating a display slow and
// leaves the driver's own allocations unreachable.
bool StartVideo(std::string* error) {
    std::lock_guard lock(gVideoMutex);
    if (gVideoStarted) return true;
    SetVideoHints();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        if (error) *error = DisplayOpenFailure() + " (" + SDL_GetError() + ")";
        return false;
    }
    // Where no display opens, SDL falls back to a driver that draws nowhere:
    // the program would run on unseen. Only a run that asks for one gets it.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && IsOffscreenDriver(driver) && !VideoDriverAsked(driver)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        if (error) *error = DisplayOpenFailure();
        return false;
    }
    // Hold the GL library too, for the same reason; a driver without GL
    // (dummy) just fails here and windows then fail on their own.
    SDL_GL_LoadLibrary(nullptr);
    gVideoStarted = true;
    return true;
}

int DesktopWidth() {
    std::lock_guard lock(gVideoMutex);
    // Only for the question: a process that never opens a window keeps no
    // video system (nor its GL driver) up afterwards.
    SetVideoHints();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return 0;
    SDL_DisplayMode mode;
    const int width = SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.w : 0;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return width;
}

Window::Window(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Window::~Window() {
    if (impl_->window) SDL_DestroyWindow(impl_->window);
}

std::unique_ptr<Window> Window::Create(const WindowDesc& desc, std::string* error) {
    if (desc.width <= 0 || desc.height <= 0) {
        if (error) *error = "window size must be positive";
        return nullptr;
    }
    if (!StartVideo(error)) return nullptr;
    SetGlAttributes(desc);
    Uint32 flags = SDL_WINDOW_OPENGL | ModeFlags(desc.mode);
    if (desc.resizable) flags |= SDL_WINDOW_RESIZABLE;
    if (desc.borderless) flags |= SDL_WINDOW_BORDERLESS;
    if (desc.alwaysOnTop) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    flags |= desc.hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN;
    auto impl = std::make_unique<Impl>();
    impl->mode = desc.mode;
    impl->window = SDL_CreateWindow(desc.title.c_str(),
                                    desc.x == kWindowCentred ? int(SDL_WINDOWPOS_CENTERED) : desc.x,
                                    desc.y == kWindowCentred ? int(SDL_WINDOWPOS_CENTERED) : desc.y,
                                    desc.width, desc.height, flags);
    if (!impl->window) {
        Fail(error, "the window could not be created");
        return nullptr;
    }
    return std::unique_ptr<Window>(new Window(std::move(impl)));
}

std::unique_ptr<Window> Window::CreateFromNative(uint64_t x11Window, const WindowDesc& desc,
                                                 std::string* error) {
    if (x11Window == 0) {
        if (error) *error = "no window id given";
        return nullptr;
    }
    if (!StartVideo(error)) return nullptr;
    // Its owner may destroy it while we draw: that must not end us.
    WatchForeignWindow(x11Window);
    SetGlAttributes(desc);
    SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
    auto impl = std::make_unique<Impl>();
    impl->foreign = true;
    impl->x11Window = x11Window;
    impl->window = SDL_CreateWindowFrom(reinterpret_cast<const void*>(uintptr_t(x11Window)));
    if (!impl->window) {
        Fail(error, "the given window could not be used");
        return nullptr;
    }
    return std::unique_ptr<Window>(new Window(std::move(impl)));
}

uint32_t Window::Id() const {
    return SDL_GetWindowID(impl_->window);
}

namespace {

// SDL learns a foreign window's size only when the window is made: the
// program that owns it resizes it without telling us. Its size comes from
// the X server, as the GL driver's drawable follows it.
bool ForeignSize(const Window::Impl& impl, int& width, int& height) {
    ForeignWindowState state;
    if (!impl.foreign || !QueryX11Window(impl.x11Window, state)) return false;
    width = state.width;
    height = state.height;
    return true;
}

} // namespace

int Window::Width() const {
    int w = 0, h = 0;
    if (!ForeignSize(*impl_, w, h)) SDL_GetWindowSize(impl_->window, &w, &h);
    return w;
}

int Window::Height() const {
    int w = 0, h = 0;
    if (!ForeignSize(*impl_, w, h)) SDL_GetWindowSize(impl_->window, &w, &h);
    return h;
}

void Window::DrawableSize(int& width, int& height) const {
    if (!ForeignSize(*impl_, width, height)) SDL_GL_GetDrawableSize(impl_->window, &width, &height);
}

void Window::SetSize(int width, int height) {
    if (width > 0 && height > 0) SDL_SetWindowSize(impl_->window, width, height);
}

void Window::Position(int& x, int& y) const {
    SDL_GetWindowPosition(impl_->window, &x, &y);
}

void Window::SetPosition(int x, int y) {
    SDL_SetWindowPosition(impl_->window, x, y);
}

bool Window::UsableScreenArea(ScreenRect& out) const {
    const int screen = SDL_GetWindowDisplayIndex(impl_->window);
    SDL_Rect rect;
    if (screen < 0 || SDL_GetDisplayUsableBounds(screen, &rect) != 0 || rect.w <= 0 || rect.h <= 0)
        return false;
    out = {rect.x, rect.y, rect.w, rect.h};
    return true;
}

Window::Frame Window::FrameSize() const {
    Frame frame;
    if (SDL_GetWindowBordersSize(impl_->window, &frame.top, &frame.left, &frame.bottom,
                                 &frame.right) != 0)
        frame = Frame();
    return frame;
}

bool Window::ScreenModeSize(int& width, int& height) const {
    const int screen = SDL_GetWindowDisplayIndex(impl_->window);
    SDL_DisplayMode mode;
    if (screen < 0 || SDL_GetCurrentDisplayMode(screen, &mode) != 0) return false;
    width = mode.w;
    height = mode.h;
    return true;
}

bool Window::SetMode(WindowMode mode, std::string* error) {
    // Without a window manager nobody moves or sizes a full-screen window:
    // it would stay where it was made, centred as a window, and cover only
    // part of the screen. So it goes to its screen's origin first (SDL moves
    // only windowed windows), and for the desktop's mode takes the screen's
    // size; the mode's own size was given by the caller.
    if (mode != WindowMode::Windowed && impl_->mode == WindowMode::Windowed && !impl_->foreign) {
        const int screen = SDL_GetWindowDisplayIndex(impl_->window);
        SDL_Rect bounds;
        if (screen >= 0 && SDL_GetDisplayBounds(screen, &bounds) == 0) {
            SDL_SetWindowPosition(impl_->window, bounds.x, bounds.y);
            if (mode == WindowMode::FullscreenDesktop)
                SDL_SetWindowSize(impl_->window, bounds.w, bounds.h);
        }
    }
    if (SDL_SetWindowFullscreen(impl_->window, ModeFlags(mode)) != 0)
        return Fail(error, "the window mode could not be changed");
    impl_->mode = mode;
    return true;
}

WindowMode Window::Mode() const {
    return impl_->mode;
}

void Window::SetTitle(std::string_view title) {
    std::string text(title);
    SDL_SetWindowTitle(impl_->window, text.c_str());
}

void Window::Show() {
    SDL_ShowWindow(impl_->window);
}
void Window::Hide() {
    SDL_HideWindow(impl_->window);
}

bool Window::IsVisible() const {
    return (SDL_GetWindowFlags(impl_->window) & SDL_WINDOW_SHOWN) != 0;
}

bool Window::IsMinimized() const {
    return (SDL_GetWindowFlags(impl_->window) & SDL_WINDOW_MINIMIZED) != 0;
}

void Window::Raise() {
    SDL_RaiseWindow(impl_->window);
    gRaisedWindowId = SDL_GetWindowID(impl_->window);
}

uint32_t RaisedWindowId() {
    return gRaisedWindowId;
}

void Window::WarpPointer(int x, int y) {
    SDL_WarpMouseInWindow(impl_->window, x, y);
    gWarpedWindowId = SDL_GetWindowID(impl_->window);
}

bool Window::PointerPosition(int& x, int& y) const {
    // Where the window system does not say which window the pointer is
    // over, it is where this program put it last.
    SDL_Window* over = SDL_GetMouseFocus();
    if (over ? over != impl_->window : gWarpedWindowId != SDL_GetWindowID(impl_->window))
        return false;
    SDL_GetMouseState(&x, &y);
    return true;
}

void Window::Swap() {
    SDL_GL_SwapWindow(impl_->window);
}

int Window::RefreshRate() const {
    const int screen = SDL_GetWindowDisplayIndex(impl_->window);
    SDL_DisplayMode mode;
    if (screen < 0 || SDL_GetCurrentDisplayMode(screen, &mode) != 0) return 0;
    return mode.refresh_rate > 0 ? mode.refresh_rate : 0;
}

uint64_t Window::NativeX11Window() const {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(impl_->window, &info) && info.subsystem == SDL_SYSWM_X11)
        return uint64_t(info.info.x11.window);
#endif
    return 0;
}

bool PrimaryScreenBounds(ScreenRect& out, std::string* error) {
    if (!StartVideo(error)) return false;
    SDL_Rect rect;
    if (SDL_GetDisplayBounds(0, &rect) != 0) return Fail(error, "the screen cannot be measured");
    out = {rect.x, rect.y, rect.w, rect.h};
    return true;
}

bool PrimaryScreenMode(ScreenMode& out, std::string* error) {
    if (!StartVideo(error)) return false;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return Fail(error, "the screen's mode cannot be read");
    out = {mode.w, mode.h, int(SDL_BITSPERPIXEL(mode.format))};
    return true;
}

bool VirtualScreenBounds(ScreenRect& out, std::string* error) {
    if (!StartVideo(error)) return false;
    const int count = SDL_GetNumVideoDisplays();
    if (count < 1) return Fail(error, "there is no screen");
    SDL_Rect all{0, 0, 0, 0};
    for (int i = 0; i < count; ++i) {
        SDL_Rect rect;
        if (SDL_GetDisplayBounds(i, &rect) != 0) return Fail(error, "a screen cannot be measured");
        if (i == 0) {
            all = rect;
        } else {
            SDL_UnionRect(&all, &rect, &all);
        }
    }
    out = {all.x, all.y, all.w, all.h};
    return true;
}

bool SetRelativeMouseMode(bool on) {
    return SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE) == 0;
}

void ShowMouseCursor(bool show) {
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

} // namespace platform
