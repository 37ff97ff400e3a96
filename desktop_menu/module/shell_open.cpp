// Starting programs detached: a short-lived shell puts the program in the
// background and ends, so nothing is left for us to wait for and the
// program outlives the process that asked for it.
#include "desktop_menu/module/shell_open.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace lumivane::menu {

bool StartDetached(const std::vector<std::string>& argv) {
    if (argv.empty() || argv[0].empty()) return false;
    // The arguments reach the program as the shell's own ("$@"): nothing in
    // them is ever read as shell syntax.
    std::vector<const char*> args = {"sh", "-c", "\"$@\" </dev/null >/dev/null 2>&1 &", "sh"};
    for (const std::string& arg : argv)
        args.push_back(arg.c_str());
    args.push_back(nullptr);
    pid_t shell = 0;
    if (posix_spawn(&shell, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(args.data()),
                    environ) != 0)
        return false;
    int status = 0;
    while (waitpid(shell, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool OpenWithDesktop(const std::string& target) {
    return StartDetached({"xdg-open", target});
}

bool RunCommandLine(const std::string& commandLine) {
    if (commandLine.empty()) return false;
    return StartDetached({"/bin/sh", "-c", commandLine});
}

} // namespace lumivane::menu
