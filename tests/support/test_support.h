// Helpers shared by the tests.
//
//   TempDir       a fresh working directory for the test's lifetime (log.txt
//                 lands there), removed afterwards
//   runChild(fn)  runs fn in a forked child and reports how it ended
//   readFile      a whole file as bytes
#pragma once
#include <functional>
#include <string>

namespace test {

class TempDir {
public:
    TempDir();  // creates the directory and changes into it
    ~TempDir(); // changes back and removes it
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

struct ChildResult {
    bool exited = false;  // false: killed by a signal
    int status = -1;      // exit status, or the signal number
    std::string output;   // what the child wrote to stdout and stderr
};

// fn runs in the child; returning from fn exits the child with status 0.
ChildResult runChild(const std::function<void()>& fn);

std::string readFile(const std::string& path);

// Absolute paths of the checkout and of the build folder (from the test
// environment, falling back to the paths compiled in).
std::string sourceDir();
std::string buildDir();

}  // namespace test
