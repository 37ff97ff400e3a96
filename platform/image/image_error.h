// Internal helper of the image readers and writers: reports a failure.
#pragma once

#include <string>

namespace platform::image {

inline bool ImageFail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

} // namespace platform::image
