#include "tests/support/test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace test {

TempDir::TempDir() {
    previous_ = std::filesystem::current_path().string();
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    path_ = pattern;
    std::filesystem::current_path(path_);
}

TempDir::~TempDir() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ChildResult runChild(const std::function<void()>& fn) {
    ChildResult result;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return result;
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], 1);
        dup2(pipeFds[1], 2);
        close(pipeFds[0]);
        close(pipeFds[1]);
        fn();
        std::fflush(nullptr);
        _exit(0);
    }
    close(pipeFds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) result.output.append(buffer, size_t(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exited = WIFEXITED(status);
    result.status = result.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    return result;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string sourceDir() {
    const char* d = std::getenv("QUILLON_SOURCE_DIR");
    return d ? d : QUILLON_SOURCE_DIR_DEFAULT;
}

std::string buildDir() {
    const char* d = std::getenv("QUILLON_BUILD_DIR");
    return d ? d : QUILLON_BUILD_DIR_DEFAULT;
}

}  // namespace test
