// window_probe <program> [<picture prefix>]
// Runs "<program> --window" on the X server of $DISPLAY (a virtual one in
// the tests) the way a person would look at it: waits for the scene to take
// the load screen's place, light up and move, grabs the window twice a
// second apart, asks the window to close and waits for the program to end.
// Prints what it saw and exits 0 only when both pictures hold the scene
// (many colours, not black), they differ, and the program ended with code 0
// after the close. With a prefix the two pictures are written as
// <prefix>-1.bmp and <prefix>-2.bmp.
#include "pictures.h"

#include "platform/x11_capture.h"

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace window_probe;

bool Alive(pid_t child, int& status) {
    return waitpid(child, &status, WNOHANG) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_probe <program> [<picture prefix>]\n");
        return 2;
    }
    const pid_t child = fork();
    if (child == 0) {
        execl(argv[1], argv[1], "--window", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    bool ended = false;
    uint64_t window = 0;
    Picture loadScreen, first, second;
    const auto deadline = Clock::now() + std::chrono::seconds(120);
    while (Clock::now() < deadline) {
        if (!Alive(child, status)) {
            ended = true;
            break;
        }
        if (!window) window = platform::FindX11WindowByTitle("Lumivane");
        // The load screen comes first; the scene replaces most of it, and
        // moves. The scene fades in from black, which differs from the load
        // screen as much: it counts as in only once it is lit, however
        // long the fade takes on a busy machine.
        if (window && Grab(window, first) && ShowsScene(first)) {
            if (loadScreen.argb.empty()) {
                loadScreen = first;
            } else if (ChangedShare(loadScreen, first) > kReplacedShare) {
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
                if (Grab(window, second) && ShowsScene(second) && ChangedShare(first, second) > 0.0)
                    break;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    if (ended || !window) {
        std::printf("no window showed the scene\n");
        if (!ended) kill(child, SIGKILL);
        return 1;
    }
    // Two pictures a second apart.
    const bool grabbed = Grab(window, first);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const bool grabbedAgain = Grab(window, second);
    const double changedShare = grabbed && grabbedAgain ? ChangedShare(first, second) : 0.0;
    std::printf("picture 1: %dx%d, %d colours, %.1f%% lit\n", first.width, first.height,
                DistinctColours(first), LitShare(first) * 100.0);
    std::printf("picture 2: %d colours, %.1f%% lit; %.2f%% of pixels changed\n",
                DistinctColours(second), LitShare(second) * 100.0, changedShare * 100.0);
    if (argc > 2) {
        Save(first, std::string(argv[2]) + "-1.bmp");
        Save(second, std::string(argv[2]) + "-2.bmp");
    }

    platform::RequestX11WindowClose(window);
    const auto closeDeadline = Clock::now() + std::chrono::seconds(30);
    while (Alive(child, status) && Clock::now() < closeDeadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int code = -1;
    if (waitpid(child, &status, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        std::printf("the program did not end after the close\n");
    } else if (WIFEXITED(status)) {
        code = WEXITSTATUS(status);
        std::printf("the program ended with code %d\n", code);
    } else {
        std::printf("the program ended by signal %d\n", WTERMSIG(status));
    }
    const bool ok = grabbed && grabbedAgain && ShowsScene(first) && ShowsScene(second) &&
                    changedShare >= kChangedShare && code == 0;
    return ok ? 0 : 1;
}
