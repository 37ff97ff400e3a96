// handed_window_probe <program> desktop|window-id <seconds> [<picture prefix>]
// Hands the program a plain X11 window of another process, as a desktop
// host ("<program> 0x<id>") or a screensaver host ("<program> --window-id
// 0x<id>") does, on the X server of $DISPLAY. Waits for the scene, then
// takes a picture every 10 s for <seconds>, resizing the window half way.
// Exits 0 only when every picture holds the scene and differs from the one
// before (the picture never froze), the pictures after the resize have the
// new size with the scene in each of their quarters (nothing left black or
// cropped), and the program ended within a second of SIGTERM. With a
// prefix the pictures are written as <prefix>-<n>.bmp.
#include "pictures.h"

#include <X11/Xlib.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

using namespace window_probe;

constexpr int kFirstWidth = 800, kFirstHeight = 450;
constexpr int kResizedWidth = 640, kResizedHeight = 400;
constexpr int kPictureEverySeconds = 10;
constexpr int kQuarterColours = 16; // a black or stale corner has one or two
constexpr auto kExitLimit = std::chrono::seconds(1);

// The pixels of one quarter (0 top left, 1 top right, 2 bottom left, 3
// bottom right) of a picture.
Picture Quarter(const Picture& p, int quarter) {
    Picture q;
    q.width = p.width / 2;
    q.height = p.height / 2;
    const int x0 = (quarter % 2) * q.width, y0 = (quarter / 2) * q.height;
    for (int y = 0; y < q.height; ++y)
        for (int x = 0; x < q.width; ++x)
            q.argb.push_back(p.argb[size_t(y0 + y) * size_t(p.width) + size_t(x0 + x)]);
    return q;
}

bool FillsEveryQuarter(const Picture& p) {
    for (int quarter = 0; quarter < 4; ++quarter)
        if (DistinctColours(Quarter(p, quarter)) < kQuarterColours) return false;
    return true;
}

void Sleep(int seconds) {
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 ||
        (std::strcmp(argv[2], "desktop") != 0 && std::strcmp(argv[2], "window-id") != 0)) {
        std::fprintf(
            stderr,
            "usage: handed_window_probe <program> desktop|window-id <seconds> [<prefix>]\n");
        return 2;
    }
    const int seconds = std::max(2 * kPictureEverySeconds, std::atoi(argv[3]));
    Display* x = XOpenDisplay(nullptr);
    if (!x) {
        std::fprintf(stderr, "handed_window_probe: no X server\n");
        return 2;
    }
    const ::Window host =
        XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, kFirstWidth, kFirstHeight, 0, 0, 0);
    XMapWindow(x, host);
    XSync(x, False);
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", static_cast<unsigned long>(host));

    const pid_t child = fork();
    if (child == 0) {
        if (std::strcmp(argv[2], "desktop") == 0)
            execl(argv[1], argv[1], id, static_cast<char*>(nullptr));
        else
            execl(argv[1], argv[1], "--window-id", id, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    bool ok = true;
    Picture previous, picture;
    // The load screen (and the first conversion of the textures) comes
    // first; the scene replaces most of it.
    Picture loadScreen;
    bool scene = false;
    const auto deadline = Clock::now() + std::chrono::seconds(300);
    while (!scene && Clock::now() < deadline && waitpid(child, &status, WNOHANG) == 0) {
        Sleep(1);
        if (!Grab(host, picture) || !ShowsScene(picture)) continue;
        if (loadScreen.argb.empty())
            loadScreen = picture;
        else
            scene = ChangedShare(loadScreen, picture) > kReplacedShare;
    }
    if (!scene) {
        std::printf("%s: the window never showed the scene\n", argv[2]);
        ok = false;
    }
    bool resizeDone = false;
    for (int n = 1, at = 0; ok && at <= seconds; ++n, at += kPictureEverySeconds) {
        if (!resizeDone && at >= seconds / 2) {
            resizeDone = true;
            XResizeWindow(x, host, kResizedWidth, kResizedHeight);
            XSync(x, False);
            Sleep(kPictureEverySeconds); // time to make the display anew
        }
        previous = picture;
        Sleep(kPictureEverySeconds);
        if (!Grab(host, picture)) {
            std::printf("%s: the window cannot be read\n", argv[2]);
            ok = false;
            break;
        }
        const double changed = ChangedShare(previous, picture);
        const bool resized = picture.width == kResizedWidth;
        const bool fills = FillsEveryQuarter(picture);
        std::printf("%s: picture %d at %d s: %dx%d, %d colours, %.2f%% changed%s\n", argv[2], n, at,
                    picture.width, picture.height, DistinctColours(picture), changed * 100.0,
                    resized ? (fills ? ", fills the new size" : ", does NOT fill the new size")
                            : "");
        if (argc > 4) Save(picture, std::string(argv[4]) + "-" + std::to_string(n) + ".bmp");
        ok = ok && changed >= kChangedShare && DistinctColours(picture) >= kSceneColours &&
             (!resized || fills);
    }
    if (picture.width != kResizedWidth) {
        std::printf("%s: no picture after the resize\n", argv[2]);
        ok = false;
    }

    const auto signalled = Clock::now();
    kill(child, SIGTERM);
    while (waitpid(child, &status, WNOHANG) == 0 && Clock::now() - signalled < 4 * kExitLimit)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - signalled);
    if (waitpid(child, &status, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        std::printf("%s: still running %lld ms after SIGTERM\n", argv[2],
                    static_cast<long long>(took.count()));
        ok = false;
    } else {
        std::printf("%s: ended %lld ms after SIGTERM\n", argv[2],
                    static_cast<long long>(took.count()));
        ok = ok && took <= kExitLimit;
    }
    XDestroyWindow(x, host);
    XCloseDisplay(x);
    return ok ? 0 : 1;
}
