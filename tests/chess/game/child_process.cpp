// Starting, reading and waiting for a test's child program.
#include "tests/chess/game/child_process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

extern char** environ;

namespace rookfall_test {

bool ChildProcess::Start(const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return false;
    // The additions replace inherited variables of the same name.
    auto name = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        bool replaced = false;
        for (const std::string& added : environment)
            replaced = replaced || name(added) == name(*e);
        if (!replaced) env.emplace_back(*e);
    }
    env.insert(env.end(), environment.begin(), environment.end());
    std::vector<char*> argv, envp;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (failed) {
        close(pipeFds[0]);
        pid_ = -1;
        return false;
    }
    const int readFd = pipeFds[0];
    reader_ = std::thread([this, readFd] {
        FILE* in = fdopen(readFd, "r");
        char line[4096];
        while (in && std::fgets(line, sizeof line, in)) {
            std::string text = line;
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
                text.pop_back();
            std::lock_guard lock(mutex_);
            lines_.push_back(text);
        }
        if (in) std::fclose(in);
        std::lock_guard lock(mutex_);
        eof_ = true;
    });
    return true;
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !Ended()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
    if (reader_.joinable()) reader_.join();
}

bool ChildProcess::Ended() {
    if (ended_ || pid_ <= 0) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return ended_;
}

std::string ChildProcess::WaitFor(const std::string& key, std::chrono::seconds timeout,
                                  const std::function<void()>& pump) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const std::string prefix = key + " ";
    while (std::chrono::steady_clock::now() < deadline) {
        {
            std::lock_guard lock(mutex_);
            for (const std::string& line : lines_)
                if (line.compare(0, prefix.size(), prefix) == 0) return line.substr(prefix.size());
            if (eof_) return "";
        }
        if (pump) pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return "";
}

int ChildProcess::Wait(std::chrono::seconds timeout, const std::function<void()>& pump) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!Ended()) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            ended_ = true;
            status_ = -1;
            break;
        }
        if (pump) pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (reader_.joinable()) reader_.join();
    return status_;
}

std::string ChildProcess::Output() {
    std::lock_guard lock(mutex_);
    std::string all;
    for (const std::string& line : lines_)
        all += line + "\n";
    return all;
}

int FreeUdpPort() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

} // namespace rookfall_test
