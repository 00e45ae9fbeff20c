// A small PNG writer for captured frames: 8-bit RGB, no interlace, every row
// with filter type 0 ("none"), one zlib stream in one IDAT chunk. Leans on
// zlib for the compression and the chunk checksums. Same pixels, same bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The file's bytes for width x height RGB pixels, rows from the top. Empty
// when the size is not positive or rgb holds fewer than width*height*3 bytes.
std::vector<uint8_t> encodePng(int width, int height, const uint8_t* rgb, size_t size);

// Writes the picture to path through a temporary file renamed into place,
// so a reader never sees half a picture. False with errno-style text in
// error when it cannot.
bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
              std::string& error);
