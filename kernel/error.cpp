#include "kernel/error.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kernel/os.h"
#include "kernel/textbuffer.h"

namespace {

constexpr size_t kMessageSize = 512;  // room for 511 characters and the end

char* customMessage = nullptr;
char* composedText = nullptr;  // last text built for IoError or CustomError
TextBuffer memoryLog;

void releaseComposed() {
    std::free(composedText);
    composedText = nullptr;
}

const char* composeIoError() {
    const char* reason = std::strerror(errno);
    releaseComposed();
    composedText = static_cast<char*>(std::malloc(kMessageSize));
    if (!composedText) return "io error";
    std::snprintf(composedText, kMessageSize, "%s : %s.", "io error", reason);
    return composedText;
}

const char* composeCustomError() {
    if (!customMessage) return "! ";
    releaseComposed();
    size_t size = std::strlen("! ") + std::strlen(customMessage) + 1;
    composedText = static_cast<char*>(std::malloc(size));
    if (!composedText) return "! ";
    std::snprintf(composedText, size, "! %s", customMessage);
    return composedText;
}

}  // namespace

const char* errorText(ErrorCode code) {
    switch (code) {
        case Ok: return "ok";
        case Failed: return "failed";
        case NotEnoughMemory: return "not enough memory";
        case NullPointer: return "null pointer";
        case IoError: return composeIoError();
        case CustomError: return composeCustomError();
        case OpenGlError: return "opengl error";
    }
    return nullptr;
}

void setErrorText(const char* message) {
    std::free(customMessage);
    customMessage = message ? strdup(message) : nullptr;
}

int setErrorTextf(const char* format, ...) {
    std::free(customMessage);
    customMessage = static_cast<char*>(std::malloc(kMessageSize));
    if (!customMessage) return -1;
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(customMessage, kMessageSize, format, args);
    va_end(args);
    if (n < 0) {
        customMessage[0] = '\0';
        return -1;
    }
    return static_cast<size_t>(n) >= kMessageSize ? -1 : n;
}

int logPrintf(const char* format, ...) {
    char message[kMessageSize];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (n < 0) return n;
    size_t length = std::strlen(message);  // the message may have been cut

    // The log must not disturb errno: an IoError logged next reads it.
    int savedErrno = errno;
    if (FILE* file = std::fopen("log.txt", "ab")) {
        std::fwrite(message, 1, length, file);
        std::fflush(file);
        std::fclose(file);
    }
    memoryLog.append(message, length);
    if (memoryLog.text)
        if (OsBase* os = OsBase::instance()) os->showLog(memoryLog.text);
    errno = savedErrno;
    return n;
}

const char* logText() { return memoryLog.text; }

void clearLog() { memoryLog.clear(); }
