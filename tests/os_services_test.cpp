// The Os services: threads, the browser command and the video player.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "kernel/os.h"
#include "tests/support/test_support.h"

namespace {

// Waits (bounded) until a file the started program writes is complete.
std::string awaitFile(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        std::string text = test::readFile(path);
        if (!text.empty() && text.back() == '\n' && text.find("<done>") != std::string::npos) return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return test::readFile(path);
}

class Services : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
        clearLog();
        // A program that writes each of its arguments on a line of args.txt.
        recorder = dir.path() + "/bin/record args";
        std::filesystem::create_directories(dir.path() + "/bin");
        std::ofstream(recorder) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" << dir.path()
                                << "/args.tmp\"\necho '<done>' >> \"" << dir.path() << "/args.tmp\"\nmv \""
                                << dir.path() << "/args.tmp\" \"" << dir.path() << "/args.txt\"\n";
        chmod(recorder.c_str(), 0755);
        savedPath = getenv("PATH") ? getenv("PATH") : "";
    }
    void TearDown() override {
        setenv("PATH", savedPath.c_str(), 1);
        clearLog();
    }
    void setBrowser(const std::string& command) {
        std::string folder = dir.path() + "/Velmora/Classes/http/shell/open";
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/command.conf") << "@=" << command << "\nend\n";
    }
    std::string args() { return awaitFile(dir.path() + "/args.txt"); }

    test::TempDir dir;
    Os os;
    std::string recorder, savedPath;
};

const char* const kNastyUrl = "http://x.test/a b?q=\"1\"&r=$(touch pwned)`touch pwned2`;rm -rf *";

TEST_F(Services, BrowserCommandWithMarkGetsTheUrlInItsPlace) {
    setBrowser("\"" + recorder + "\" --new \"%1\" -end");
    os.openUrl(kNastyUrl);
    EXPECT_EQ(args(), std::string("--new\n") + kNastyUrl + "\n-end\n<done>\n");
    EXPECT_EQ(logText(), "cmdline : {\"" + recorder + "\" --new \"" + kNastyUrl + "\" -end}\r\n");
    EXPECT_FALSE(std::filesystem::exists("pwned"));
    EXPECT_FALSE(std::filesystem::exists("pwned2"));
}

TEST_F(Services, BrowserCommandWithoutMarkGetsTheQuotedUrlAppended) {
    setBrowser("\"" + recorder + "\" -x");
    std::string longUrl = "http://x.test/" + std::string(5000, 'a');
    os.openUrl(longUrl.c_str());
    EXPECT_EQ(args(), "-x\n" + longUrl + "\n<done>\n");
    // The log line is cut at the log's own limit; the command is not.
    EXPECT_EQ(std::string(logText()).rfind("cmdline : {\"" + recorder + "\" -x \"http://x.test/aaa", 0), 0u);
}

TEST_F(Services, WithoutABrowserCommandXdgOpenOpensTheUrl) {
    std::filesystem::copy_file(recorder, dir.path() + "/bin/xdg-open");
    setenv("PATH", (dir.path() + "/bin:" + savedPath).c_str(), 1);
    os.openUrl("http://velmora.test/");
    EXPECT_EQ(args(), "http://velmora.test/\n<done>\n");
    EXPECT_STREQ(logText(), "cmdline : {xdg-open \"http://velmora.test/\"}\r\n");
}

TEST_F(Services, ABrowserThatCannotStartIsLogged) {
    setBrowser("/nonexistent/browser %1");
    os.openUrl("http://velmora.test/");
    EXPECT_STREQ(logText(), "cmdline : {/nonexistent/browser http://velmora.test/}\r\nca a chie\r\n");
}

TEST_F(Services, PlayVideoRunsThePlayerAndWaits) {
    std::filesystem::copy_file(recorder, dir.path() + "/bin/ffplay");
    setenv("PATH", (dir.path() + "/bin:" + savedPath).c_str(), 1);
    os.playVideo(nullptr);
    EXPECT_STREQ(logText(), "icila");
    EXPECT_NE(test::readFile(dir.path() + "/args.txt").find("mirtle~1.avi\n"), std::string::npos);
}

std::atomic<int> threadRuns{0};
std::atomic<bool> cancelled{false};

void* countOnce(void* parameter) {
    threadRuns += *static_cast<int*>(parameter);
    return nullptr;
}

void markCancelled(void*) { cancelled = true; }

void* waitForever(void*) {
    pthread_cleanup_push(markCancelled, nullptr);
    for (;;) pause();  // a cancellation point
    pthread_cleanup_pop(0);
    return nullptr;
}

TEST_F(Services, ThreadsStartWithTheirParameterAndCanBeKilled) {
    int step = 3;
    ThreadHandle t = os.startThread(countOnce, &step, 0);
    ASSERT_NE(t, nullptr);
    for (int i = 0; i < 500 && threadRuns == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(threadRuns, 3);
    os.killThread(t);  // already ended: nothing happens

    ThreadHandle waiter = os.startThread(waitForever, nullptr, 2);
    ASSERT_NE(waiter, nullptr);
    os.killThread(waiter);
    for (int i = 0; i < 500 && !cancelled; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(os.startThread(nullptr, nullptr, 0), nullptr);
}

}  // namespace
