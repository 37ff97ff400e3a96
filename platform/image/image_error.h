// Failures of the image readers and writers. A picture that needs more
// memory than there is says so in words of its own, so that a caller can
// tell it from a damaged file: it may read another time.
#pragma once

#include "platform/image/image.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::image {

inline bool ImageFail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

inline constexpr std::string_view kNotEnoughMemory = "not enough memory for ";

// Reports that `picture` needed more memory than there is.
inline bool ImageOutOfMemory(std::string* error, const std::string& picture) {
    return ImageFail(error, std::string(kNotEnoughMemory) + picture);
}

// Refuses `picture` ("a bitmap", "the PNG picture" ...) of width x height
// pixels (times `faces` for a cube map), more than kMaxImagePixels.
inline bool ImageTooManyPixels(std::string* error, const std::string& picture, int64_t width,
                               int64_t height, int faces = 1) {
    std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (faces > 1) size += " x " + std::to_string(faces) + " faces";
    return ImageFail(error, picture + " is " + size + " pixels, more than the " +
                                std::to_string(kMaxImagePixels) + " a picture may have");
}

// Whether a reader's error says only that memory ran short.
inline bool IsOutOfMemoryError(std::string_view error) {
    return error.substr(0, kNotEnoughMemory.size()) == kNotEnoughMemory;
}

} // namespace platform::image
