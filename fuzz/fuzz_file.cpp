// One memory-backed file for the whole run, rewritten per input; its
// /proc/self/fd path opens it afresh from the start for every reader.
#include "fuzz/fuzz_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

namespace fuzz {

const char* asFile(const uint8_t* data, size_t size) {
    static int fd = -1;
    static char path[64];
    if (fd < 0) {
        fd = memfd_create("quillon-fuzz", 0);
        if (fd < 0) std::abort();
        std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    }
    if (ftruncate(fd, 0) != 0) std::abort();
    size_t done = 0;
    while (done < size) {
        ssize_t n = pwrite(fd, data + done, size - done, off_t(done));
        if (n <= 0) std::abort();
        done += size_t(n);
    }
    return path;
}

}  // namespace fuzz
