// Opening pages and starting programs the way a desktop does: without
// waiting for them and without tying their life to ours.
#pragma once

#include <string>
#include <vector>

namespace lumivane::menu {

// Opens a file or an address with the user's preferred program
// (xdg-open). False when it could not even be started.
bool OpenWithDesktop(const std::string& target);

// Runs a command line through the shell.
bool RunCommandLine(const std::string& commandLine);

// Starts the program (looked up in PATH) with its arguments, its output
// discarded, and returns at once.
bool StartDetached(const std::vector<std::string>& argv);

} // namespace lumivane::menu
