// A desktop window with an OpenGL framebuffer. Created through SDL; headless
// (SDL_VIDEODRIVER=offscreen) it renders through EGL without a display.
// The GL context itself is made by GlContext (gl_context.h).
#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

enum class WindowMode {
    Windowed,
    Fullscreen,        // takes the screen at the window's size (mode change)
    FullscreenDesktop, // covers the screen at the desktop's own mode
};

// Screen rectangles in desktop coordinates.
struct ScreenRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Places a window is put at (WindowDesc::x and y).
constexpr int kWindowCentred = INT32_MIN;

struct WindowDesc {
    std::string title = "Jentra";
    int width = 1024;
    int height = 768;
    int x = kWindowCentred; // top left corner on the desktop, or centred
    int y = kWindowCentred;
    WindowMode mode = WindowMode::Windowed;
    bool resizable = false;
    bool borderless = false;
    bool hidden = false;
    bool alwaysOnTop = false; // stays above the other windows
    // Framebuffer attributes; they are fixed when the window is made. The
    // render device draws into a back buffer of its own, depth included, and
    // only copies finished colour to the window, so by default the window
    // carries no depth or stencil storage (a screen-sized buffer saved).
    int depthBits = 0;
    int stencilBits = 0;
    int multisampleSamples = 0; // 0 = none
};

class Window {
public:
    static std::unique_ptr<Window> Create(const WindowDesc& desc, std::string* error = nullptr);
    // Draws into a window that another program made (an X11 window id, as a
    // screensaver host passes it); the window stays that program's own.
    static std::unique_ptr<Window> CreateFromNative(uint64_t x11Window, const WindowDesc& desc,
                                                    std::string* error = nullptr);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // The id carried by this window's events (Event::windowId).
    uint32_t Id() const;
    // Sizes follow a foreign window when its owner resizes it.
    int Width() const;
    int Height() const;
    // Pixels of the drawable (differs from the size on high-density screens).
    void DrawableSize(int& width, int& height) const;
    void SetSize(int width, int height);
    // Where the drawing area's top left corner is on the desktop, and
    // moving it there (the window manager's frame goes round it).
    void Position(int& x, int& y) const;
    void SetPosition(int x, int y);
    // The part of the window's screen that windows may take (the screen
    // less the desktop's panels); false when it cannot be measured.
    bool UsableScreenArea(ScreenRect& out) const;
    // The frame the window manager puts round the drawing area; all zero
    // where there is none or it is not known yet.
    struct Frame {
        int top = 0, left = 0, bottom = 0, right = 0;
    };
    Frame FrameSize() const;
    // The size of the mode the window's screen shows now; false when the
    // video system cannot tell.
    bool ScreenModeSize(int& width, int& height) const;
    bool SetMode(WindowMode mode, std::string* error = nullptr);
    WindowMode Mode() const;
    void SetTitle(std::string_view title);
    void Show();
    void Hide();
    bool IsVisible() const;
    bool IsMinimized() const;
    // Brings the window above the others and asks for the input focus.
    void Raise();
    // Moves the pointer to (x, y) in the window's own coordinates, x to the
    // right and y downwards from the top left corner.
    void WarpPointer(int x, int y);
    // Where the pointer is in those coordinates; false when it is not over
    // this window.
    bool PointerPosition(int& x, int& y) const;
    // Presents the back buffer of the current GL context.
    void Swap();
    // Refreshes a second of the screen the window is on; 0 when the window
    // system does not say.
    int RefreshRate() const;
    // The X11 window id when the window lives on an X11 display, else 0.
    uint64_t NativeX11Window() const;

    struct Impl;
    Impl& GetImpl() const { return *impl_; }

private:
    explicit Window(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Starts SDL video and events once for the process, on the user's display;
// later calls just answer whether that worked. Where no display can be
// opened it fails, with words that name the display (see
// DisplayOpenFailure in display_session.h): SDL's off-screen drivers are
// taken only when SDL_VIDEODRIVER asks for one, never as a fallback, since
// a program drawing nowhere would run on unseen.
bool StartVideo(std::string* error = nullptr);

// The primary screen, and the rectangle around all screens; false when the
// video system cannot tell (then the rectangle is untouched).
bool PrimaryScreenBounds(ScreenRect& out, std::string* error = nullptr);
bool VirtualScreenBounds(ScreenRect& out, std::string* error = nullptr);

// The primary screen's own mode: its size and the bits of colour of a
// pixel; false when the video system cannot tell (then it is untouched).
struct ScreenMode {
    int width = 0, height = 0, bitsPerPixel = 0;
};
bool PrimaryScreenMode(ScreenMode& out, std::string* error = nullptr);

// The id of the window this program raised last (0 before any): where the
// window system cannot tell, this says which window the program brought
// to the front.
uint32_t RaisedWindowId();

// The width in pixels of the desktop (the first display's own mode); 0 when
// no video system can be started.
int DesktopWidth();

// Mouse helpers for the engine's input layer (global, as the mouse is).
// Relative mode hides the pointer and reports only motion, as a game mouse.
bool SetRelativeMouseMode(bool on);
void ShowMouseCursor(bool show);

} // namespace platform
