// Fuzzes the binary form of the spline path reader, and write.
#include "fuzz/fuzz_file.h"
#include "fuzz/fuzz_spline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SplinePathList list = readSplinePathsBinary(fuzz::asFile(data, size));
    exerciseSplines(list);
    if (list.size() > 0) {
        FILE* sink = std::fopen("/dev/null", "wb");
        if (sink) {
            list[0]->write(sink, list[0]->pointCount() + 1);
            std::fclose(sink);
        }
    }
    return 0;
}
