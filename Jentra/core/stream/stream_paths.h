// Turning the engine's file names (backslashes, any letter case) into real
// paths of this system, for the stream's own opens and folder creation.
#pragma once

#include <cstddef>

namespace jentra_stream {

// Writes the real path of name into out: backslashes become slashes and
// each component that does not exist as spelled is matched, ignoring case,
// against the entries of its folder; components with no match keep their
// spelling (files and folders still to be made). False when out is too small.
bool ResolvePath(const char* name, char* out, size_t outSize);

// Whether c separates folders in an engine file name.
inline bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

} // namespace jentra_stream
