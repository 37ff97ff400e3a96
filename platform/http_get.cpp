// HTTP GET through libcurl.
#include "platform/http_get.h"

#include <curl/curl.h>

#include <mutex>

namespace platform {

namespace {

size_t DiscardBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

} // namespace

void HttpGlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpGetResult HttpGet(const std::string& url, const HttpGetOptions& options) {
    HttpGetResult result;
    HttpGlobalInit();
    CURL* curl = curl_easy_init();
    if (!curl) {
        result.error = "the transfer library could not start";
        return result;
    }
    char errorText[CURL_ERROR_SIZE] = {};
    curl_slist* headers = nullptr;
    if (options.noCache) {
        headers = curl_slist_append(headers, "Cache-Control: no-cache");
        headers = curl_slist_append(headers, "Pragma: no-cache");
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(options.timeoutMs));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(options.timeoutMs));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, DiscardBody);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    if (!options.userAgent.empty())
        curl_easy_setopt(curl, CURLOPT_USERAGENT, options.userAgent.c_str());
    if (headers) curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    const CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_OK) {
        result.answered = true;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    } else {
        result.error = errorText[0] ? errorText : curl_easy_strerror(code);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return result;
}

} // namespace platform
