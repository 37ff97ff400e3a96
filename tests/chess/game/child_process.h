// A program started by a test: its own environment additions, its stdout
// read line by line on a thread, and its exit status.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rookfall_test {

class ChildProcess {
public:
    // Starts the program with the arguments; `environment` ("NAME=value")
    // is added to this process's own. False when it cannot be started.
    bool Start(const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment);
    ~ChildProcess();

    // The value of the first output line "key value", waiting for it while
    // calling `pump` (when given) every few milliseconds; empty on timeout
    // or when the program ended without it.
    std::string WaitFor(const std::string& key, std::chrono::seconds timeout,
                        const std::function<void()>& pump = nullptr);
    // The exit status once the program ended (killed after the timeout: -1).
    int Wait(std::chrono::seconds timeout, const std::function<void()>& pump = nullptr);
    std::string Output();

private:
    bool Ended();

    pid_t pid_ = -1;
    int status_ = -1;
    bool ended_ = false;
    std::thread reader_;
    std::mutex mutex_;
    std::vector<std::string> lines_;
    bool eof_ = false;
};

// A free port on 127.0.0.1 for UDP.
int FreeUdpPort();

} // namespace rookfall_test
