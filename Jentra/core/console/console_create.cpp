// The console's "create" command.
#include "Jentra/JTConsole.h"

#include <cstdio>

void JTConsole::RunCreate(const char* name) {
    char line[JTConsole::kInputLineSize + 32];
    std::snprintf(line, sizeof line, "-CREATE FAILED: \"%s\"\n", name);
    Print(line);
}
