// HTTP GET through libcurl, loaded only when first needed: the library and
// the TLS, name and directory libraries it brings take several megabytes
// of every process that maps them, and most runs never send a request.
#include "platform/http_get.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <mutex>

namespace platform {

namespace {

constexpr const char* kLibraryName = "libcurl.so.4";

// The entry points used, found in the loaded library.
struct CurlApi {
    CURLcode (*globalInit)(long) = nullptr;
    CURL* (*easyInit)() = nullptr;
    CURLcode (*easySetopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*easyPerform)(CURL*) = nullptr;
    CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...) = nullptr;
    const char* (*easyStrerror)(CURLcode) = nullptr;
    void (*easyCleanup)(CURL*) = nullptr;
    curl_slist* (*slistAppend)(curl_slist*, const char*) = nullptr;
    void (*slistFreeAll)(curl_slist*) = nullptr;
    std::string loadError;

    bool Ready() const { return easyInit != nullptr; }
};

template <typename Function> bool Find(void* library, const char* name, Function& out) {
    out = reinterpret_cast<Function>(dlsym(library, name));
    return out != nullptr;
}

const CurlApi& Curl() {
    static CurlApi api;
    static std::once_flag once;
    std::call_once(once, [] {
        // Kept loaded for the rest of the process: its global state lives
        // as long as the process may still send.
        void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            api.loadError = std::string("the transfer library could not be loaded: ") + dlerror();
            return;
        }
        CurlApi found;
        const bool complete = Find(library, "curl_global_init", found.globalInit) &&
                              Find(library, "curl_easy_init", found.easyInit) &&
                              Find(library, "curl_easy_setopt", found.easySetopt) &&
                              Find(library, "curl_easy_perform", found.easyPerform) &&
                              Find(library, "curl_easy_getinfo", found.easyGetinfo) &&
                              Find(library, "curl_easy_strerror", found.easyStrerror) &&
                              Find(library, "curl_easy_cleanup", found.easyCleanup) &&
                              Find(library, "curl_slist_append", found.slistAppend) &&
                              Find(library, "curl_slist_free_all", found.slistFreeAll);
        if (!complete || found.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            api.loadError = std::string("the transfer library ") + kLibraryName + " is not usable";
            return;
        }
        api = found;
    });
    return api;
}

size_t DiscardBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

} // namespace

void HttpGlobalInit() {
    (void)Curl();
}

HttpGetResult HttpGet(const std::string& url, const HttpGetOptions& options) {
    HttpGetResult result;
    const CurlApi& curl = Curl();
    if (!curl.Ready()) {
        result.error = curl.loadError;
        return result;
    }
    CURL* transfer = curl.easyInit();
    if (!transfer) {
        result.error = "the transfer library could not start";
        return result;
    }
    char errorText[CURL_ERROR_SIZE] = {};
    curl_slist* headers = nullptr;
    if (options.noCache) {
        headers = curl.slistAppend(headers, "Cache-Control: no-cache");
        headers = curl.slistAppend(headers, "Pragma: no-cache");
    }
    curl.easySetopt(transfer, CURLOPT_URL, url.c_str());
    curl.easySetopt(transfer, CURLOPT_HTTPGET, 1L);
    curl.easySetopt(transfer, CURLOPT_PROTOCOLS_STR, "http,https");
    curl.easySetopt(transfer, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl.easySetopt(transfer, CURLOPT_NOSIGNAL, 1L);
    curl.easySetopt(transfer, CURLOPT_TIMEOUT_MS, long(options.timeoutMs));
    curl.easySetopt(transfer, CURLOPT_CONNECTTIMEOUT_MS, long(options.timeoutMs));
    curl.easySetopt(transfer, CURLOPT_WRITEFUNCTION, DiscardBody);
    curl.easySetopt(transfer, CURLOPT_ERRORBUFFER, errorText);
    if (!options.userAgent.empty())
        curl.easySetopt(transfer, CURLOPT_USERAGENT, options.userAgent.c_str());
    if (headers) curl.easySetopt(transfer, CURLOPT_HTTPHEADER, headers);
    const CURLcode code = curl.easyPerform(transfer);
    if (code == CURLE_OK) {
        result.answered = true;
        curl.easyGetinfo(transfer, CURLINFO_RESPONSE_CODE, &result.status);
    } else {
        result.error = errorText[0] ? errorText : curl.easyStrerror(code);
    }
    curl.slistFreeAll(headers);
    curl.easyCleanup(transfer);
    return result;
}

} // namespace platform
