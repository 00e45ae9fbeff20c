// Fuzzes loadJpeg, with a pixel bound small enough to keep every input fast.
#include "fuzz/fuzz_file.h"
#include "modules/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RgbPicture* picture = loadJpeg(fuzz::asFile(data, size), int64_t(1) << 20);
    if (picture) {
        volatile uint8_t sink = picture->pixels[size_t(picture->width) * size_t(picture->height) * 3 - 1];
        (void)sink;
    }
    freePicture(picture);
    return 0;
}
