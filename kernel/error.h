// Error codes, the process-wide custom error message and the log.
//
// Every fallible operation returns an ErrorCode. An operation with a detail
// to report stores it with setErrorText/setErrorTextf and returns
// CustomError; a caller that gives up logs errorText(code) with "%s\r\n" or
// nests it into its own custom message, so each level adds one "! ".
//
// logPrintf appends every message to log.txt in the working directory (the
// file is opened and closed per message, never truncated), keeps the whole
// log in memory and refreshes the setup dialog's log panel through the Os.
// All of this runs on the main thread only.
#pragma once
#include <cstdint>

enum ErrorCode : int32_t {
    Ok = 0,
    Failed = 1,
    NotEnoughMemory = 2,
    NullPointer = 3,
    IoError = 4,      // "io error : <strerror(errno)>."
    CustomError = 5,  // "! " + the custom message
    OpenGlError = 6,
};

// The text of a code. For IoError and CustomError the text is composed anew
// and stays valid only until the next errorText call for either of them.
// Null for a value outside 0..6.
const char* errorText(ErrorCode code);

// Replaces the custom message with a copy of message (null clears it).
void setErrorText(const char* message);

// Replaces the custom message with a formatted one of at most 511
// characters. Returns the characters written, or -1 when the text was cut or
// could not be allocated (the custom message is then null).
int setErrorTextf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes one message (at most 511 characters; longer ones are cut) to
// log.txt and the memory log. Returns the formatter's count, or its
// negative result (nothing is written then).
int logPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The whole memory log, or null while it is empty.
const char* logText();

// Empties the memory log; log.txt keeps everything.
void clearLog();
