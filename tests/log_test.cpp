// Error texts, the custom message and the log's exact bytes.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "kernel/error.h"
#include "kernel/os.h"
#include "tests/support/test_support.h"

class Log : public ::testing::Test {
protected:
    void SetUp() override {
        clearLog();
        setErrorText(nullptr);
    }
    test::TempDir dir;
};

TEST_F(Log, MessagesAppendExactBytesToFileAndMemory) {
    EXPECT_EQ(logPrintf("%s\r\n", "abc"), 5);
    EXPECT_EQ(test::readFile("log.txt"), "abc\r\n");
    EXPECT_STREQ(logText(), "abc\r\n");

    EXPECT_EQ(logPrintf("%s", ""), 0);  // nothing added, but the file exists
    EXPECT_EQ(test::readFile("log.txt"), "abc\r\n");
    EXPECT_STREQ(logText(), "abc\r\n");

    logPrintf("ChangeDisplaySettingsEx foired");
    logPrintf("next\r\n");
    EXPECT_EQ(test::readFile("log.txt"), "abc\r\nChangeDisplaySettingsEx foirednext\r\n");

    clearLog();
    EXPECT_EQ(logText(), nullptr);
    EXPECT_EQ(test::readFile("log.txt").size(), 41u);  // the file is never truncated
}

TEST_F(Log, EmptyMessageCreatesTheFile) {
    logPrintf("%s", "");
    EXPECT_EQ(test::readFile("log.txt"), "");
    EXPECT_EQ(logText(), nullptr);
}

TEST_F(Log, LongMessagesAreCutAt511) {
    std::string big(600, 'x');
    logPrintf("%s", big.c_str());
    EXPECT_EQ(test::readFile("log.txt"), std::string(511, 'x'));

    EXPECT_EQ(setErrorTextf("%s", big.c_str()), -1);
    EXPECT_EQ(std::string(errorText(CustomError)), "! " + std::string(511, 'x'));
    EXPECT_EQ(setErrorTextf("%d", 42), 2);
    EXPECT_STREQ(errorText(CustomError), "! 42");
}

TEST_F(Log, ErrorTexts) {
    EXPECT_STREQ(errorText(Ok), "ok");
    EXPECT_STREQ(errorText(Failed), "failed");
    EXPECT_STREQ(errorText(NotEnoughMemory), "not enough memory");
    EXPECT_STREQ(errorText(NullPointer), "null pointer");
    EXPECT_STREQ(errorText(OpenGlError), "opengl error");
    EXPECT_EQ(errorText(ErrorCode(7)), nullptr);

    EXPECT_STREQ(errorText(CustomError), "! ");
    setErrorText("a");
    EXPECT_STREQ(errorText(CustomError), "! a");
    setErrorText(nullptr);
    EXPECT_STREQ(errorText(CustomError), "! ");

    errno = ENOENT;
    EXPECT_STREQ(errorText(IoError), "io error : No such file or directory.");
    errno = EACCES;
    EXPECT_STREQ(errorText(IoError), "io error : Permission denied.");
}

TEST_F(Log, NestedFailureLine) {
    setErrorText("create_window foired");
    setErrorTextf("OS> driver start foired : %s", errorText(CustomError));
    logPrintf("%s\r\n", errorText(CustomError));
    EXPECT_EQ(test::readFile("log.txt"), "! OS> driver start foired : ! create_window foired\r\n");
}
