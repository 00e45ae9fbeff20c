// The fuzz targets' input as a file: the readers take paths and streams, so
// each input is written to an in-memory file that a path also reaches.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace fuzz {

// A path naming a file that holds exactly data (valid until the next call).
const char* asFile(const uint8_t* data, size_t size);

}  // namespace fuzz
