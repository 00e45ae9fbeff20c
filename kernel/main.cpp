// The entry point: the Os, the application side's registration, then setup
// and run until setup says stop. Reads no arguments and no environment.
#include "kernel/os.h"

int main() {
    Os os;
    ErrorCode r = registerApplication(os);
    if (r != Ok) {
        logPrintf("%s\r\n", errorText(r));
        return r;
    }
    while (os.setup()) {
        r = os.run();
        if (r != Ok) logPrintf("%s\r\n", errorText(r));
    }
    unregisterApplication(os);
    return 0;
}
