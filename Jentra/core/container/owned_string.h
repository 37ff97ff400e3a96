// Heap copies of C strings owned by engine records (file names, texts,
// model names). They come from the C allocator because their owners free
// them with free(), as the records' layouts expect.
#pragma once

#include <cstdlib>
#include <cstring>

// A malloc'd copy of text; null for a null text or when memory ran out.
inline char* JTDuplicateString(const char* text) {
    if (!text) return nullptr;
    const std::size_t bytes = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(bytes));
    if (copy) std::memcpy(copy, text, bytes);
    return copy;
}
