// Texture file-name rules.
#include "Jentra/render/texture_names.h"

#include <cctype>
#include <cstdio>
#include <cstring>

bool GetJPGAlphaFilename(char* out, const char* name) {
    static const char kSuffix[] = "_alpha.jpg";
    const char* dot = std::strrchr(name, '.');
    const size_t stem = dot ? size_t(dot - name) : std::strlen(name);
    if (stem + sizeof kSuffix > kJTTextureNameSize) {
        std::snprintf(out, kJTTextureNameSize, "%.*s%s", int(stem), name, kSuffix);
        return false;
    }
    std::memcpy(out, name, stem);
    std::memcpy(out + stem, kSuffix, sizeof kSuffix);
    return true;
}

void CopyTextureName(char* field, const char* text) {
    const size_t length = text ? strnlen(text, kJTTextureNameSize - 1) : 0;
    if (length) std::memcpy(field, text, length);
    std::memset(field + length, 0, kJTTextureNameSize - length);
}

bool IsTextureAnimated(const char* name) {
    return std::strstr(name, "0000.") != nullptr;
}

bool GetNextAnimatedTextureFilename(char* name) {
    char* dot = std::strrchr(name, '.');
    if (!dot || dot - name < 4) return false;
    char* digits = dot - 4;
    int number = 0;
    for (int i = 0; i < 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(digits[i]))) return false;
        number = number * 10 + (digits[i] - '0');
    }
    if (number >= 9999) return false; // a fifth digit would lengthen the name
    ++number;
    for (int i = 3; i >= 0; --i, number /= 10)
        digits[i] = char('0' + number % 10);
    return true;
}

namespace jentra::textures {

std::string CacheName(const std::string& source, const char* formatName) {
    const size_t slash = source.find_last_of("\\/");
    const size_t fileStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string folder = source.substr(0, fileStart);
    std::string file = source.substr(fileStart);
    const size_t dot = file.rfind('.');
    if (dot != std::string::npos) file.erase(dot);
    return folder + "~" + file + "_" + formatName + ".dds";
}

} // namespace jentra::textures
