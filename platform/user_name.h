// The name of the user running the program: the login name the password
// database gives for the process's user.
#pragma once

#include <string>

namespace platform {

// Empty when the system knows no name for the user.
std::string CurrentUserName();

} // namespace platform
