// The name of the user running the program (the login name of the password
// database), as the Windows user name was.
#pragma once

#include <string>

namespace platform {

// Empty when the system knows no name for the user.
std::string CurrentUserName();

} // namespace platform
