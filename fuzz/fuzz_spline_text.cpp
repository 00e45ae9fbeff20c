// Fuzzes the text form of the spline path reader.
#include "fuzz/fuzz_file.h"
#include "fuzz/fuzz_spline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SplinePathList list = readSplinePathsText(fuzz::asFile(data, size));
    exerciseSplines(list);
    return 0;
}
