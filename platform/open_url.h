// Opening a web page in the user's browser (through xdg-open), without
// waiting for it.
#pragma once

#include <string>

namespace platform {

// False when the opener could not be started.
bool OpenInBrowser(const std::string& url);

} // namespace platform
