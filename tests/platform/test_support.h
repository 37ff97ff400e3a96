// Shared helpers for the platform tests: a temporary folder that removes
// itself, and child processes with captured output.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace platform_test {

// Soon enough for a program that is to end "at once" rather than run on:
// a fifth of a second is usual on an idle machine; the bound leaves room
// for a loaded one (the tests run side by side), and the sanitizer build
// runs programs a few times slower.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr auto kAtOnce = std::chrono::seconds(15);
#else
inline constexpr auto kAtOnce = std::chrono::seconds(5);
#endif

// An X display name that no server on this machine answers to.
inline std::string UnusedXDisplay() {
    for (int number = 1999;; ++number)
        if (!std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)))
            return ":" + std::to_string(number);
}

// The two ways a program finds no display: DISPLAY unset, and DISPLAY
// naming a server that is not there, each with the words the program says.
// Use() sets the environment for it; the caller's fixture restores DISPLAY.
struct MissingDisplay {
    std::string display; // empty: DISPLAY is unset
    std::string said;

    void Use() const {
        if (display.empty()) {
            unsetenv("DISPLAY");
        } else {
            setenv("DISPLAY", display.c_str(), 1);
        }
    }
    std::string Shown() const { return display.empty() ? "no DISPLAY" : display; }
};

inline std::vector<MissingDisplay> EachMissingDisplay() {
    const std::string unused = UnusedXDisplay();
    return {{"", "cannot open a display (DISPLAY is not set)"},
            {unused, "cannot open the X display \"" + unused + "\""}};
}

class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "jentra-test-XXXXXX").string();
        char* made = mkdtemp(pattern.data());
        if (made) path_ = made;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string Str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// The folder of the running test program; helper programs sit beside it.
inline std::filesystem::path TestProgramFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

inline std::string HelperPath() {
    return (TestProgramFolder() / "platform_test_helper").string();
}

// A started child with pipes on its stdin, stdout and stderr.
class Child {
public:
    explicit Child(const std::vector<std::string>& args) {
        // Close-on-exec: the child keeps only the ends given to it as 0, 1 and 2.
        int in[2], out[2], err[2];
        if (pipe2(in, O_CLOEXEC) != 0) return;
        if (pipe2(out, O_CLOEXEC) != 0) {
            close(in[0]);
            close(in[1]);
            return;
        }
        if (pipe2(err, O_CLOEXEC) != 0) {
            for (int fd : {in[0], in[1], out[0], out[1]})
                close(fd);
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        close(err[1]);
        in_ = in[1];
        out_ = out[0];
        err_ = err[0];
    }
    ~Child() {
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        CloseInput();
        if (out_ >= 0) close(out_);
        if (err_ >= 0) close(err_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    // Closes the child's stdin (children that hold something until then
    // let it go).
    void CloseInput() {
        if (in_ >= 0) close(in_);
        in_ = -1;
    }

    // Reads one line from the child's stdout (blocking); empty at end.
    std::string ReadLine() {
        std::string line;
        char c;
        while (read(out_, &c, 1) == 1) {
            if (c == '\n') break;
            line += c;
        }
        return line;
    }

    // Waits for the end; returns the exit code, or -1 when killed by a signal.
    int Finish() {
        CloseInput();
        stdout_ += Drain(out_);
        stderr_ += Drain(err_);
        int status = 0;
        waitpid(pid_, &status, 0);
        reaped_ = true;
        signal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Finish, but a child still running after `limit` is killed (the exit
    // code is then -1): a test of an end that does not come fails instead
    // of hanging.
    int FinishWithin(std::chrono::milliseconds limit) {
        std::mutex mutex;
        std::condition_variable changed;
        bool finished = false;
        std::thread guard([&] {
            std::unique_lock lock(mutex);
            if (!changed.wait_for(lock, limit, [&] { return finished; })) kill(pid_, SIGKILL);
        });
        const int code = Finish();
        {
            std::lock_guard lock(mutex);
            finished = true;
        }
        changed.notify_one();
        guard.join();
        return code;
    }
    // The signal that ended the child (after Finish), or 0.
    int TermSignal() const { return signal_; }
    const std::string& Stdout() const { return stdout_; }
    const std::string& Stderr() const { return stderr_; }

private:
    static std::string Drain(int fd) {
        std::string all;
        char buf[4096];
        ssize_t n;
        while ((n = read(fd, buf, sizeof buf)) > 0)
            all.append(buf, size_t(n));
        return all;
    }
    pid_t pid_ = -1;
    bool reaped_ = false;
    int signal_ = 0;
    int in_ = -1, out_ = -1, err_ = -1;
    std::string stdout_, stderr_;
};

} // namespace platform_test
