// The user's login name from the password database, else the environment.
#include "platform/user_name.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace platform {

std::string CurrentUserName() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_name && *found->pw_name)
        return found->pw_name;
    for (const char* variable : {"USER", "LOGNAME"})
        if (const char* name = std::getenv(variable); name && *name) return name;
    return {};
}

} // namespace platform
