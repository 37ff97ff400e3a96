// The visibility notices of a window, on an Xlib connection of our own (any
// number of clients may ask for them, so its owner keeps whatever it
// selected), and the one look at the stacking order that tells the state
// before the first notice. Errors on the connection (a window that went
// away during the look) are taken quietly by the process's X error handler.
#include "platform/x11_visibility.h"

#include "platform/x11_foreign_connection.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstdio>

namespace platform {

namespace {

// No window tree is deeper than this; a deeper walk is a tree changing
// under us.
constexpr int kMaxDepth = 64;

// Region rectangles hold 16-bit coordinates; screens are far smaller.
XRectangle RectangleOf(int x, int y, int width, int height) {
    const auto side = [](int v) { return static_cast<unsigned short>(std::clamp(v, 0, 0xFFFF)); };
    const auto place = [](int v) { return static_cast<short>(std::clamp(v, -0x8000, 0x7FFF)); };
    return XRectangle{place(x), place(y), side(width), side(height)};
}

// Where the inside of `window` begins on its root window.
bool RootOrigin(Display* display, ::Window window, ::Window root, int& x, int& y) {
    ::Window child = 0;
    return XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child);
}

// A compositing manager owns the selection "_NET_WM_CM_S<screen>".
bool CompositorRuns(Display* display, int screen) {
    char name[32];
    std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", screen);
    const Atom atom = XInternAtom(display, name, True); // no such atom: nobody owns it
    return atom != None && XGetSelectionOwner(display, atom) != None;
}

// Takes away from `left` (root coordinates) what the mapped window
// `sibling` covers: its bounding shape, border included. A window whose
// shape cannot be read covers nothing: when in doubt, the window shows.
void TakeAwayWindow(Display* display, ::Window sibling, int parentX, int parentY, bool shapes,
                    Region left) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, sibling, &attributes) ||
        attributes.map_state != IsViewable || attributes.c_class != InputOutput)
        return;
    const int border = attributes.border_width;
    const int originX = parentX + attributes.x + border, originY = parentY + attributes.y + border;
    Region covered = XCreateRegion();
    if (shapes) {
        int count = 0, ordering = 0;
        // Relative to the window's inside corner; an unshaped window's is
        // its rectangle with the border.
        XRectangle* rectangles =
            XShapeGetRectangles(display, sibling, ShapeBounding, &count, &ordering);
        for (int i = 0; i < count; ++i)
            XUnionRectWithRegion(&rectangles[i], covered, covered);
        if (rectangles) XFree(rectangles);
    } else {
        XRectangle all = RectangleOf(-border, -border, attributes.width + 2 * border,
                                     attributes.height + 2 * border);
        XUnionRectWithRegion(&all, covered, covered);
    }
    XOffsetRegion(covered, originX, originY);
    XSubtractRegion(left, covered, left);
    XDestroyRegion(covered);
}

// Whether windows above it cover all of `window`: at every level from the
// window up to the root, what lies outside its parent is cut off and the
// siblings stacked above it (later in the parent's list) are taken away.
// The window's own children are part of it and hide nothing.
bool NoPartShows(Display* display, ::Window window) {
    XWindowAttributes self;
    if (!XGetWindowAttributes(display, window, &self) || self.map_state != IsViewable) return false;
    int x = 0, y = 0;
    if (!RootOrigin(display, window, self.root, x, y)) return false;
    int eventBase = 0, errorBase = 0;
    const bool shapes = XShapeQueryExtension(display, &eventBase, &errorBase);

    // The border counts as the window's, as it does for the server.
    const int border = self.border_width;
    Region left = XCreateRegion();
    XRectangle own =
        RectangleOf(x - border, y - border, self.width + 2 * border, self.height + 2 * border);
    XUnionRectWithRegion(&own, left, left);
    ::Window at = window, root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, at, &root, &parent, &children, &count) && children) XFree(children);
    for (int depth = 0; depth < kMaxDepth && parent != None && !XEmptyRegion(left); ++depth) {
        XWindowAttributes outer;
        int px = 0, py = 0;
        if (!XGetWindowAttributes(display, parent, &outer) ||
            !RootOrigin(display, parent, self.root, px, py))
            break;
        Region inside = XCreateRegion();
        XRectangle bounds = RectangleOf(px, py, outer.width, outer.height);
        XUnionRectWithRegion(&bounds, inside, inside);
        XIntersectRegion(left, inside, left);
        XDestroyRegion(inside);

        ::Window grandparent = 0;
        children = nullptr;
        count = 0;
        if (!XQueryTree(display, parent, &root, &grandparent, &children, &count)) break;
        bool above = false;
        for (unsigned i = 0; i < count; ++i) {
            if (above) TakeAwayWindow(display, children[i], px, py, shapes, left);
            above = above || children[i] == at;
        }
        if (children) XFree(children);
        at = parent;
        parent = grandparent;
    }
    const bool none = XEmptyRegion(left);
    XDestroyRegion(left);
    return none;
}

} // namespace

struct WindowVisibility::Impl : ForeignXConnection {
    bool covered = false;
};

WindowVisibility::WindowVisibility(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
WindowVisibility::~WindowVisibility() = default;

std::unique_ptr<WindowVisibility> WindowVisibility::Open(uint64_t window) {
    auto impl = std::make_unique<Impl>();
    if (!impl->Open(window)) return nullptr;
    // Notices from now on; the look below may already be older than the
    // first of them, which are read after it and so win.
    XSelectInput(impl->display, impl->window, VisibilityChangeMask);
    XSync(impl->display, False);
    impl->covered =
        !CompositorRuns(impl->display, XScreenNumberOfScreen(impl->attributes.screen)) &&
        NoPartShows(impl->display, impl->window);
    return std::unique_ptr<WindowVisibility>(new WindowVisibility(std::move(impl)));
}

bool WindowVisibility::FullyCovered() {
    Impl& v = *impl_;
    while (XPending(v.display) > 0) {
        XEvent event;
        XNextEvent(v.display, &event);
        if (event.type == VisibilityNotify && event.xvisibility.window == v.window)
            v.covered = event.xvisibility.state == VisibilityFullyObscured;
    }
    return v.covered;
}

} // namespace platform
