// Reading "-host" and "-connect <host name>" from the program's command line:
// the direct way into a session that stands in for a lobby's launch.
#include "Jentra/JTNetwork.h"

#include <cstdio>
#include <cstring>

JTNetCommandLine JTParseNetCommandLine(const char* commandLine) {
    JTNetCommandLine result;
    if (!commandLine) return result;
    if (std::strstr(commandLine, "-host")) {
        result.bDirectConnect = true;
        result.bHost = true;
        return result;
    }
    const char* connect = std::strstr(commandLine, "-connect");
    if (!connect) return result;
    const char* name = connect + std::strlen("-connect");
    if (*name != ' ') return result; // the name follows one blank
    ++name;
    size_t length = std::strcspn(name, " ");
    if (length == 0) return result;
    // Bounded: a name longer than the field is cut, never overruns it.
    std::snprintf(result.szHostName, sizeof result.szHostName, "%.*s", static_cast<int>(length),
                  name);
    result.bDirectConnect = true;
    return result;
}
