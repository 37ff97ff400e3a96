// Conversions between UTF-16, the Windows code pages the data names by
// number ("CodePage" 1251, 1252, ...) and UTF-8, through iconv. Text the
// target cannot hold becomes '?' (8-bit targets) or U+FFFD (Unicode
// targets), as the system's own conversions did; nothing is dropped silently.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

class CodePageConverter {
public:
    // Code page 0 means 1252, 65001 means UTF-8; any other number n is the
    // iconv encoding "CPn". A code page iconv does not know falls back to
    // 1252 (see UsedCodePage).
    explicit CodePageConverter(unsigned codePage);
    ~CodePageConverter();
    CodePageConverter(const CodePageConverter&) = delete;
    CodePageConverter& operator=(const CodePageConverter&) = delete;

    unsigned RequestedCodePage() const { return requested_; }
    unsigned UsedCodePage() const { return used_; }

    // UTF-16 to 8-bit text in the code page, at most maxBytes bytes; a
    // character that would pass the limit ends the text (never half a
    // character).
    std::string FromUtf16(std::u16string_view text, size_t maxBytes) const;
    // 8-bit text in the code page to UTF-16 and to UTF-8.
    std::u16string ToUtf16(std::string_view text) const;
    std::string ToUtf8(std::string_view text) const;

private:
    struct Impl;
    unsigned requested_;
    unsigned used_;
    Impl* impl_;
};

// UTF-8 to UTF-16 (invalid bytes become U+FFFD) and back.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

} // namespace platform
