// One HTTP GET to an address taken from the settings, in place of the
// system's internet calls. Only http and https are followed; the answer's
// body is not kept.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct HttpGetOptions {
    std::string userAgent;
    uint32_t timeoutMs = 5000;
    bool noCache = false; // ask every cache on the way to fetch afresh
};

struct HttpGetResult {
    bool answered = false; // a server answered (any status)
    long status = 0;
    std::string error; // why nothing was answered
};

// Loads and prepares the transfer library (once; HttpGet does it too). A
// process that will send while in trouble, as after a fault, calls it early
// so that sending then loads nothing.
void HttpGlobalInit();

HttpGetResult HttpGet(const std::string& url, const HttpGetOptions& options);

} // namespace platform
