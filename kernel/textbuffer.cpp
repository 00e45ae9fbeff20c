#include "kernel/textbuffer.h"

#include <cstdlib>
#include <cstring>

bool TextBuffer::append(const char* piece) { return append(piece, piece ? std::strlen(piece) : 0); }

bool TextBuffer::append(const char* piece, size_t pieceLength) {
    if (!piece || pieceLength == 0) return true;
    char* grown = static_cast<char*>(std::realloc(text, length + pieceLength + 1));
    if (!grown) return false;
    std::memcpy(grown + length, piece, pieceLength);
    length += pieceLength;
    grown[length] = '\0';
    text = grown;
    return true;
}

void TextBuffer::clear() {
    std::free(text);
    text = nullptr;
    length = 0;
}
