// A stand-in for the program that owns the desktop's window: it makes a
// window over the whole screen, prints its id ("0x...") on the first line,
// and then a line for every button press it is sent, until it is ended.
// With "--takes-presses" it selects the window's button presses itself, as
// a desktop that opens its own menu on a click would; without, it selects
// only what a plain painter does (exposure and structure).
// Usage: desktop_host_probe [--takes-presses]
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const bool takesPresses = argc > 1 && std::strcmp(argv[1], "--takes-presses") == 0;
    Display* x = XOpenDisplay(nullptr);
    if (!x) {
        std::fprintf(stderr, "desktop_host_probe: no X server\n");
        return 1;
    }
    const int screen = DefaultScreen(x);
    const ::Window window =
        XCreateSimpleWindow(x, RootWindow(x, screen), 0, 0, unsigned(DisplayWidth(x, screen)),
                            unsigned(DisplayHeight(x, screen)), 0, 0, BlackPixel(x, screen));
    long mask = ExposureMask | StructureNotifyMask;
    if (takesPresses) mask |= ButtonPressMask | ButtonReleaseMask;
    XSelectInput(x, window, mask);
    XMapWindow(x, window);
    XSync(x, False);
    std::printf("0x%lx\n", static_cast<unsigned long>(window));
    std::fflush(stdout);
    while (true) {
        XEvent event;
        XNextEvent(x, &event);
        if (event.type == ButtonPress) {
            std::printf("press %u at %d,%d\n", event.xbutton.button, event.xbutton.x,
                        event.xbutton.y);
            std::fflush(stdout);
        } else if (event.type == DestroyNotify) {
            break;
        }
    }
    XCloseDisplay(x);
    return 0;
}
