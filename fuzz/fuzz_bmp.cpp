// Fuzzes the BMP reader of the image objects, then a resize.
#include <cstdio>

#include "fuzz/fuzz_file.h"
#include "modules/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* stream = std::fopen(fuzz::asFile(data, size), "rb");
    if (!stream) return 0;
    Image image;
    if (image.readBmp(stream) == Ok) image.resize(7, 5);
    std::fclose(stream);
    return 0;
}
