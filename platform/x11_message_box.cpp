// The message box in a window of the program's own: laid out and painted
// into a picture with FreeType, shown through Xlib, answered by mouse and
// keys. It runs on the calling thread, on a connection it opens and closes.
#include "platform/x11_message_box.h"

#include "platform/x11_windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

constexpr int kFontPixels = 15;
constexpr int kMargin = 18;       // around the text and below the buttons
constexpr int kScreenMargin = 16; // kept free at the screen's edges
constexpr int kMaxTextWidth = 600;
constexpr int kMinTextWidth = 60;
constexpr int kMinBoxWidth = 220;
constexpr int kButtonHeight = 28;
constexpr int kButtonMinWidth = 84;
constexpr int kButtonPadding = 14;
constexpr int kButtonGap = 10;
constexpr int kWaitStepMs = 50;

constexpr uint32_t kBackground = 0xF0F0F0;
constexpr uint32_t kTextColour = 0x202020;
constexpr uint32_t kButtonFace = 0xE2E2E2;
constexpr uint32_t kButtonEdge = 0x8A8A8A;
constexpr uint32_t kFocusEdge = 0x2F6FC0;

// The end of the UTF-8 character that starts at `at`.
size_t NextCharacter(std::string_view text, size_t at) {
    ++at;
    while (at < text.size() && (uint8_t(text[at]) & 0xC0) == 0x80)
        ++at;
    return at;
}

// Breaks a line that is wider than `width` between characters.
void BreakInsideWords(const TextRenderer& font, const std::string& line, int width,
                      std::vector<std::string>& out) {
    std::string_view rest = line;
    while (!rest.empty() && font.LineWidth(rest) > width) {
        size_t fits = NextCharacter(rest, 0); // at least one character a line
        for (size_t next = NextCharacter(rest, fits);
             fits < rest.size() && font.LineWidth(rest.substr(0, next)) <= width;
             next = NextCharacter(rest, next))
            fits = next;
        out.emplace_back(rest.substr(0, fits));
        rest.remove_prefix(fits);
    }
    out.emplace_back(rest);
}

void FillRect(image::Image& picture, const TextArea& area, uint32_t rgb) {
    const int x0 = std::max(0, area.left), y0 = std::max(0, area.top);
    const int x1 = std::min(picture.width, area.left + area.width);
    const int y1 = std::min(picture.height, area.top + area.height);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            uint8_t* p =
                picture.pixels.data() + (size_t(y) * size_t(picture.width) + size_t(x)) * 4;
            p[0] = uint8_t(rgb), p[1] = uint8_t(rgb >> 8), p[2] = uint8_t(rgb >> 16), p[3] = 255;
        }
}

void Frame(image::Image& picture, const TextArea& area, int thickness, uint32_t rgb) {
    FillRect(picture, {area.left, area.top, area.width, thickness}, rgb);
    FillRect(picture, {area.left, area.top + area.height - thickness, area.width, thickness}, rgb);
    FillRect(picture, {area.left, area.top, thickness, area.height}, rgb);
    FillRect(picture, {area.left + area.width - thickness, area.top, thickness, area.height}, rgb);
}

// The connection and what was made on it, given back on every way out.
struct BoxWindow {
    Display* display = nullptr;
    ::Window window = 0;
    GC gc = nullptr;
    ~BoxWindow() {
        if (!display) return;
        if (gc) XFreeGC(display, gc);
        if (window) XDestroyWindow(display, window);
        XSync(display, False);
        SetQuietXConnection(display, false);
        XCloseDisplay(display);
    }
};

Atom Intern(Display* display, const char* name) {
    return XInternAtom(display, name, False);
}

void SetProperties(Display* display, ::Window window, std::string_view title, int width,
                   int height) {
    const std::string name(title);
    XStoreName(display, window, name.c_str());
    XChangeProperty(display, window, Intern(display, "_NET_WM_NAME"),
                    Intern(display, "UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(name.data()), int(name.size()));
    XClassHint classHint;
    char resName[] = "messagebox", resClass[] = "MessageBox";
    classHint.res_name = resName;
    classHint.res_class = resClass;
    XSetClassHint(display, window, &classHint);
    // A dialog of fixed size, above the program's full-screen windows.
    const Atom dialog = Intern(display, "_NET_WM_WINDOW_TYPE_DIALOG");
    XChangeProperty(display, window, Intern(display, "_NET_WM_WINDOW_TYPE"), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&dialog), 1);
    const Atom above = Intern(display, "_NET_WM_STATE_ABOVE");
    XChangeProperty(display, window, Intern(display, "_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&above), 1);
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
        hints->flags = PPosition | PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(display, window, hints);
        XFree(hints);
    }
    Atom deleteWindow = Intern(display, "WM_DELETE_WINDOW");
    XSetWMProtocols(display, window, &deleteWindow, 1);
}

void Show(Display* display, ::Window window, GC gc, const image::Image& picture) {
    XImage* image =
        XCreateImage(display, DefaultVisual(display, DefaultScreen(display)),
                     unsigned(DefaultDepth(display, DefaultScreen(display))), ZPixmap, 0, nullptr,
                     unsigned(picture.width), unsigned(picture.height), 32, picture.width * 4);
    if (!image) return;
    // The picture's bytes are B, G, R, X: a little-endian 32-bit pixel.
    image->byte_order = LSBFirst;
    image->data = const_cast<char*>(reinterpret_cast<const char*>(picture.pixels.data()));
    XPutImage(display, window, gc, image, 0, 0, 0, 0, unsigned(picture.width),
              unsigned(picture.height));
    image->data = nullptr; // ours, not Xlib's to free
    XDestroyImage(image);
    XFlush(display);
}

int ButtonAt(const MessageBoxLayout& layout, int x, int y) {
    for (size_t i = 0; i < layout.buttons.size(); ++i) {
        const TextArea& b = layout.buttons[i];
        if (x >= b.left && x < b.left + b.width && y >= b.top && y < b.top + b.height)
            return int(i);
    }
    return -1;
}

} // namespace

MessageBoxLayout LayOutMessageBox(const TextRenderer& font, std::string_view text,
                                  const std::vector<std::string>& labels, int screenWidth,
                                  int screenHeight) {
    MessageBoxLayout layout;
    const int widest = std::max(kMinTextWidth, screenWidth - 2 * (kScreenMargin + kMargin));
    const int limit = std::min(kMaxTextWidth, widest);
    for (const std::string& line : font.WrapLines(text, limit))
        BreakInsideWords(font, line, limit, layout.lines);

    int textWidth = 0;
    for (const std::string& line : layout.lines)
        textWidth = std::max(textWidth, font.LineWidth(line));
    std::vector<int> buttonWidths;
    int rowWidth = 0;
    for (const std::string& label : labels) {
        buttonWidths.push_back(
            std::max(kButtonMinWidth, font.LineWidth(label) + 2 * kButtonPadding));
        rowWidth += buttonWidths.back() + (buttonWidths.size() > 1 ? kButtonGap : 0);
    }
    layout.width =
        std::min(std::max({textWidth, rowWidth, kMinBoxWidth - 2 * kMargin}) + 2 * kMargin,
                 std::max(1, screenWidth));
    const int textHeight = int(layout.lines.size()) * font.LineHeight();
    layout.height = std::min(kMargin + textHeight + kMargin + kButtonHeight + kMargin,
                             std::max(1, screenHeight));
    layout.text = {kMargin, kMargin, layout.width - 2 * kMargin,
                   std::max(0, layout.height - 3 * kMargin - kButtonHeight)};
    int left = (layout.width - rowWidth) / 2;
    const int top = layout.height - kMargin - kButtonHeight;
    for (int width : buttonWidths) {
        layout.buttons.push_back({left, top, width, kButtonHeight});
        left += width + kButtonGap;
    }
    return layout;
}

image::Image PaintMessageBox(const TextRenderer& font, const MessageBoxLayout& layout,
                             const std::vector<std::string>& labels, int focused) {
    image::Image picture =
        image::MakeImage(image::PixelFormat::X8R8G8B8, layout.width, layout.height);
    FillRect(picture, {0, 0, layout.width, layout.height}, kBackground);
    int top = layout.text.top;
    for (const std::string& line : layout.lines) {
        font.DrawLine(picture, layout.text, layout.text.left, top, line, kTextColour);
        top += font.LineHeight();
    }
    for (size_t i = 0; i < layout.buttons.size() && i < labels.size(); ++i) {
        const TextArea& b = layout.buttons[i];
        FillRect(picture, b, kButtonFace);
        const bool isFocused = int(i) == focused;
        Frame(picture, b, isFocused ? 2 : 1, isFocused ? kFocusEdge : kButtonEdge);
        font.DrawLine(picture, b, b.left + (b.width - font.LineWidth(labels[i])) / 2,
                      b.top + (b.height - font.LineHeight()) / 2, labels[i], kTextColour);
    }
    return picture;
}

bool ShowX11MessageBox(std::string_view title, std::string_view text,
                       const std::vector<std::string>& labels, int escapeIndex,
                       const std::function<bool()>& shouldClose, int& chosen) {
    const char* displayName = std::getenv("DISPLAY");
    if (!displayName || !*displayName || labels.empty()) return false;
    auto font = TextRenderer::Open(FindSystemFont(FontStyle::Regular), kFontPixels);
    if (!font) return false;
    BoxWindow box;
    box.display = XOpenDisplay(nullptr);
    if (!box.display) return false;
    Display* display = box.display;
    // A window manager's refusal of a request is no reason to end.
    SetQuietXConnection(display, true);
    const int screen = DefaultScreen(display);
    const Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    if (visual->c_class != TrueColor || (depth != 24 && depth != 32) ||
        visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF)
        return false;

    const int screenWidth = DisplayWidth(display, screen);
    const int screenHeight = DisplayHeight(display, screen);
    const MessageBoxLayout layout =
        LayOutMessageBox(*font, text, labels, screenWidth, screenHeight);
    box.window = XCreateSimpleWindow(
        display, RootWindow(display, screen), (screenWidth - layout.width) / 2,
        (screenHeight - layout.height) / 2, unsigned(layout.width), unsigned(layout.height), 0,
        BlackPixel(display, screen), WhitePixel(display, screen));
    if (!box.window) return false;
    SetProperties(display, box.window, title, layout.width, layout.height);
    XSelectInput(display, box.window,
                 ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask |
                     StructureNotifyMask);
    box.gc = XCreateGC(display, box.window, 0, nullptr);
    XMapRaised(display, box.window);
    XFlush(display);

    const Atom protocols = Intern(display, "WM_PROTOCOLS");
    const Atom deleteWindow = Intern(display, "WM_DELETE_WINDOW");
    const int count = int(labels.size());
    escapeIndex = std::clamp(escapeIndex, 0, count - 1);
    int focused = 0, pressed = -1;
    image::Image picture = PaintMessageBox(*font, layout, labels, focused);
    auto refocus = [&](int to) {
        focused = (to + count) % count;
        picture = PaintMessageBox(*font, layout, labels, focused);
        Show(display, box.window, box.gc, picture);
    };
    while (true) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            switch (event.type) {
            case MapNotify:
                XSetInputFocus(display, box.window, RevertToPointerRoot, CurrentTime);
                break;
            case Expose:
                if (event.xexpose.count == 0) Show(display, box.window, box.gc, picture);
                break;
            case KeyPress: {
                const KeySym key = XLookupKeysym(&event.xkey, 0);
                if (key == XK_Return || key == XK_KP_Enter || key == XK_space) {
                    chosen = focused;
                    return true;
                }
                if (key == XK_Escape) {
                    chosen = escapeIndex;
                    return true;
                }
                const bool back = key == XK_Left || key == XK_Up || key == XK_ISO_Left_Tab ||
                                  (key == XK_Tab && (event.xkey.state & ShiftMask));
                if (back || key == XK_Right || key == XK_Down || key == XK_Tab)
                    refocus(focused + (back ? -1 : 1));
                break;
            }
            case ButtonPress:
                if (event.xbutton.button == Button1)
                    pressed = ButtonAt(layout, event.xbutton.x, event.xbutton.y);
                break;
            case ButtonRelease:
                if (event.xbutton.button == Button1 && pressed >= 0 &&
                    ButtonAt(layout, event.xbutton.x, event.xbutton.y) == pressed) {
                    chosen = pressed;
                    return true;
                }
                pressed = -1;
                break;
            case ClientMessage:
                if (event.xclient.message_type == protocols &&
                    Atom(event.xclient.data.l[0]) == deleteWindow) {
                    chosen = escapeIndex;
                    return true;
                }
                break;
            default:
                break;
            }
        }
        if (shouldClose && shouldClose()) {
            chosen = escapeIndex;
            return true;
        }
        pollfd wait{ConnectionNumber(display), POLLIN, 0};
        poll(&wait, 1, kWaitStepMs);
    }
}

} // namespace platform
