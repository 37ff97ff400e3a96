// A virtual X server of the test's own (Xvfb on a display number it picks),
// so a test can speak to a real X server without ever touching the one the
// developer looks at. Ended with the object.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace app_test {

// What the server does when its last client leaves.
enum class WhenIdle {
    // Stays as it is: a test's clients come and go, and one that connects
    // while the server resets can be refused.
    Stay,
    // Resets, as a server started without -noreset does.
    Reset,
};

class PrivateXServer {
public:
    // A screen of that size (the default is the smallest that serves).
    explicit PrivateXServer(const char* screen = "64x64x24", WhenIdle idle = WhenIdle::Stay) {
        int ready[2];
        if (pipe2(ready, O_CLOEXEC) != 0) return;
        // The server writes its display number to descriptor 3 once it
        // takes connections.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ready[1], 3);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::vector<const char*> argv = {"Xvfb", "-displayfd", "3", "-nolisten",
                                         "tcp",  "-screen",    "0", screen};
        if (idle == WhenIdle::Stay) argv.push_back("-noreset");
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv.data()),
                         environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(ready[1]);
        std::string number;
        pollfd wait{ready[0], POLLIN, 0};
        char c;
        while (pid_ > 0 && poll(&wait, 1, 30000) == 1 && read(ready[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(ready[0]);
        if (!number.empty()) name_ = ":" + number;
    }
    ~PrivateXServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // ":<number>"; empty when the server did not start.
    const std::string& Name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

} // namespace app_test
