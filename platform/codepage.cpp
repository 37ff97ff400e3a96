// Code page conversions through iconv, with replacement characters for text
// the target cannot hold.
#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <functional>

namespace platform {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

std::string IconvName(unsigned codePage) {
    if (codePage == 65001) return "UTF-8";
    char name[16];
    std::snprintf(name, sizeof name, "CP%u", codePage);
    return name;
}

// How many input bytes to step over when the input at `in` cannot be converted.
using SkipRule = std::function<size_t(const char* in, size_t left)>;

// Runs one conversion. Unconvertible input becomes `replacement`; the
// output never passes maxBytes and ends before the character that would.
std::string Convert(iconv_t cd, std::string_view input, const SkipRule& skip,
                    std::string_view replacement, size_t maxBytes) {
    std::string out;
    if (cd == kNoConverter) return out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0 && out.size() < maxBytes) {
        const size_t allowed = maxBytes - out.size();
        const bool limited = allowed <= sizeof buffer;
        const size_t room = limited ? allowed : sizeof buffer;
        char* o = buffer;
        size_t oLeft = room;
        const size_t result = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer, room - oLeft);
        if (result != size_t(-1)) continue;
        if (errno == E2BIG) {
            if (limited || oLeft == room) break; // the next character does not fit
            continue;
        }
        if (out.size() + replacement.size() > maxBytes) break;
        out += replacement;
        if (errno != EILSEQ) break; // EINVAL: the input ends inside a character
        const size_t step = std::min(skip(in, inLeft), inLeft);
        in += step;
        inLeft -= step;
    }
    return out;
}

size_t SkipUtf16Unit(const char* in, size_t left) {
    if (left < 4) return 2;
    auto unit = [&](size_t at) {
        return uint16_t(uint8_t(in[at]) | uint16_t(uint8_t(in[at + 1])) << 8);
    };
    const uint16_t first = unit(0), second = unit(2);
    const bool pair = first >= 0xD800 && first < 0xDC00 && second >= 0xDC00 && second < 0xE000;
    return pair ? 4 : 2;
}

size_t SkipByte(const char*, size_t) {
    return 1;
}

std::string Utf16Bytes(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes += char(unit & 0xff);
        bytes += char(unit >> 8);
    }
    return bytes;
}

std::u16string Utf16FromBytes(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += char16_t(uint8_t(bytes[i]) | uint16_t(uint8_t(bytes[i + 1])) << 8);
    return text;
}

const std::string_view kReplacementUtf16("\xFD\xFF", 2);
const std::string_view kReplacementUtf8("\xEF\xBF\xBD", 3);

} // namespace

struct CodePageConverter::Impl {
    iconv_t fromUtf16 = kNoConverter;
    iconv_t toUtf16 = kNoConverter;
    iconv_t toUtf8 = kNoConverter;

    ~Impl() {
        for (iconv_t cd : {fromUtf16, toUtf16, toUtf8})
            if (cd != kNoConverter) iconv_close(cd);
    }
    bool Open(unsigned codePage) {
        const std::string name = IconvName(codePage);
        fromUtf16 = iconv_open(name.c_str(), "UTF-16LE");
        toUtf16 = iconv_open("UTF-16LE", name.c_str());
        toUtf8 = iconv_open("UTF-8", name.c_str());
        return fromUtf16 != kNoConverter && toUtf16 != kNoConverter && toUtf8 != kNoConverter;
    }
};

CodePageConverter::CodePageConverter(unsigned codePage)
    : requested_(codePage), used_(codePage == 0 ? 1252 : codePage), impl_(new Impl) {
    if (!impl_->Open(used_)) {
        delete impl_;
        impl_ = new Impl;
        used_ = 1252;
        impl_->Open(used_);
    }
}

CodePageConverter::~CodePageConverter() {
    delete impl_;
}

std::string CodePageConverter::FromUtf16(std::u16string_view text, size_t maxBytes) const {
    return Convert(impl_->fromUtf16, Utf16Bytes(text), SkipUtf16Unit, "?", maxBytes);
}

std::u16string CodePageConverter::ToUtf16(std::string_view text) const {
    return Utf16FromBytes(Convert(impl_->toUtf16, text, SkipByte, kReplacementUtf16, SIZE_MAX));
}

std::string CodePageConverter::ToUtf8(std::string_view text) const {
    return Convert(impl_->toUtf8, text, SkipByte, kReplacementUtf8, SIZE_MAX);
}

std::u16string Utf8ToUtf16(std::string_view text) {
    CodePageConverter utf8(65001);
    return utf8.ToUtf16(text);
}

std::string Utf16ToUtf8(std::u16string_view text) {
    CodePageConverter utf8(65001);
    return utf8.FromUtf16(text, SIZE_MAX);
}

} // namespace platform
