// TextBuffer: a growable heap text (null while empty) with its length.
// Each append reallocates to the exact new size; a failed allocation keeps
// the old content. Used by the memory log and the GL information text.
#pragma once
#include <cstddef>

struct TextBuffer {
    char* text = nullptr;
    size_t length = 0;

    TextBuffer() = default;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;
    ~TextBuffer() { clear(); }

    // Returns false when the allocation failed (the buffer is unchanged).
    bool append(const char* piece);
    bool append(const char* piece, size_t pieceLength);
    void clear();
};
