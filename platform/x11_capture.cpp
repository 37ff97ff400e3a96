// Finding, reading and closing another program's window, each call on a
// connection of its own; errors of a window that went away are trapped.
#include "platform/x11_capture.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <mutex>
#include <string>

namespace platform {

namespace {

std::mutex gTrapMutex;
bool gErrorSeen = false;

int TrapError(Display*, XErrorEvent*) {
    gErrorSeen = true;
    return 0;
}

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using Connection = std::unique_ptr<Display, DisplayCloser>;

// Runs `work` with X errors trapped; false when one came.
template <class Work> bool Trapped(Display* display, const Work& work) {
    std::lock_guard lock(gTrapMutex);
    XSync(display, False);
    gErrorSeen = false;
    const auto previous = XSetErrorHandler(TrapError);
    const bool done = work();
    XSync(display, False);
    XSetErrorHandler(previous);
    return done && !gErrorSeen;
}

std::string Title(Display* display, Window window) {
    char* name = nullptr;
    std::string title;
    if (XFetchName(display, window, &name) && name) title = name;
    if (name) XFree(name);
    return title;
}

uint64_t Search(Display* display, Window window, std::string_view title, int depth) {
    XWindowAttributes attributes;
    if (depth > 0 && XGetWindowAttributes(display, window, &attributes) &&
        attributes.map_state == IsViewable &&
        Title(display, window).find(title) != std::string::npos)
        return window;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (depth > 3 || !XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
    uint64_t found = 0;
    for (unsigned i = 0; i < count && !found; ++i)
        found = Search(display, children[i], title, depth + 1);
    if (children) XFree(children);
    return found;
}

int ShiftOf(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

uint32_t Channel(unsigned long pixel, unsigned long mask) {
    if (!mask) return 0;
    const unsigned long value = (pixel & mask) >> ShiftOf(mask);
    const unsigned long top = mask >> ShiftOf(mask);
    return uint32_t(value * 255 / top);
}

} // namespace

uint64_t FindX11WindowByTitle(std::string_view title) {
    Connection display(XOpenDisplay(nullptr));
    if (!display) return 0;
    uint64_t found = 0;
    Trapped(display.get(), [&] {
        found = Search(display.get(), DefaultRootWindow(display.get()), title, 0);
        return true;
    });
    return found;
}

bool CaptureX11Window(uint64_t window, std::vector<uint32_t>& argb, int& width, int& height) {
    if (window == 0 || window > 0xFFFFFFFFu) return false;
    Connection display(XOpenDisplay(nullptr));
    if (!display) return false;
    XImage* image = nullptr;
    const bool read = Trapped(display.get(), [&] {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display.get(), Window(window), &attributes)) return false;
        image = XGetImage(display.get(), Window(window), 0, 0, unsigned(attributes.width),
                          unsigned(attributes.height), AllPlanes, ZPixmap);
        return image != nullptr;
    });
    if (!read || !image) {
        if (image) XDestroyImage(image);
        return false;
    }
    width = image->width;
    height = image->height;
    argb.resize(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            argb[size_t(y) * size_t(width) + size_t(x)] =
                0xFF000000u | Channel(pixel, image->red_mask) << 16 |
                Channel(pixel, image->green_mask) << 8 | Channel(pixel, image->blue_mask);
        }
    XDestroyImage(image);
    return true;
}

bool RequestX11WindowClose(uint64_t window) {
    if (window == 0 || window > 0xFFFFFFFFu) return false;
    Connection display(XOpenDisplay(nullptr));
    if (!display) return false;
    return Trapped(display.get(), [&] {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = Window(window);
        event.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(display.get(), "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        return XSendEvent(display.get(), Window(window), False, NoEventMask, &event) != 0;
    });
}

} // namespace platform
