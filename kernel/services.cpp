// Platform services offered to applications: threads, the web browser and
// the media player. Nothing in this program calls them.
//
// Threads are POSIX threads; killing one cancels it at its next
// cancellation point (a thread cannot be stopped safely anywhere else).
// The browser command is the default value of the "http\shell\open\command"
// key of the settings (see settings.cpp); where none is set, xdg-open opens
// the URL. The command is split into words (double quotes group blanks) and
// started directly, never through a shell, so nothing in the URL is
// interpreted. The video is played through the shell by ffplay.
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "kernel/os.h"

extern char** environ;

namespace {

struct Thread {
    pthread_t id;
};

const char* const kBrowserKey = "http\\shell\\open\\command";
const char* const kDefaultBrowser = "xdg-open";
const char* const kVideoCommand = "ffplay -loglevel quiet -autoexit -fs mirtle~1.avi";

// Words of a command line: blanks separate, double quotes group and are
// dropped. wordOfMark tells which word held the first "%1" (or -1).
std::vector<std::string> splitCommand(const std::string& command, int& wordOfMark, size_t& markAt) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    wordOfMark = -1;
    for (size_t i = 0; i < command.size(); ++i) {
        char ch = command[i];
        if (ch == '"') {
            quoted = !quoted;
            inWord = true;
            continue;
        }
        if ((ch == ' ' || ch == '\t') && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        if (wordOfMark < 0 && ch == '%' && i + 1 < command.size() && command[i + 1] == '1') {
            wordOfMark = int(words.size());
            markAt = word.size();
        }
        word += ch;
        inWord = true;
    }
    if (inWord) words.push_back(word);
    return words;
}

// Collects the browser once it ends, so that it leaves no zombie behind.
void* reap(void* parameter) {
    auto pid = pid_t(reinterpret_cast<intptr_t>(parameter));
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return nullptr;
}

}  // namespace

ThreadHandle Os::startThread(ThreadProcedure procedure, void* parameter, int priority) {
    // Threads of the ordinary scheduling class all share one priority.
    (void)priority;
    if (!procedure) return nullptr;
    auto* thread = new (std::nothrow) Thread;
    if (!thread) return nullptr;
    if (pthread_create(&thread->id, nullptr, procedure, parameter) != 0) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void Os::killThread(ThreadHandle handle) {
    auto* thread = static_cast<Thread*>(handle);
    if (!thread) return;
    pthread_cancel(thread->id);
    pthread_detach(thread->id);
    delete thread;
}

void Os::openUrl(const char* url) {
    std::string address = url ? url : "";
    char buffer[512] = {};
    std::string(kDefaultBrowser).copy(buffer, sizeof buffer - 1);
    readRegistryString(SettingsRoot::Classes, kBrowserKey, nullptr, buffer, sizeof buffer);
    std::string command = buffer;

    int wordOfMark = -1;
    size_t markAt = 0;
    std::vector<std::string> words = splitCommand(command, wordOfMark, markAt);
    size_t mark = command.find("%1");
    if (mark != std::string::npos) {
        command.replace(mark, 2, address);
        if (wordOfMark >= 0) words[size_t(wordOfMark)].replace(markAt, 2, address);
    } else {
        command += " \"" + address + "\"";
        words.push_back(address);
    }
    logPrintf("cmdline : {%s}\r\n", command.c_str());

    pid_t pid = -1;
    bool started = false;
    if (!words.empty()) {
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        started = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0;
    }
    if (!started) {
        logPrintf("ca a chie\r\n");
        return;
    }
    pthread_t reaper;
    if (pthread_create(&reaper, nullptr, reap, reinterpret_cast<void*>(intptr_t(pid))) == 0) pthread_detach(reaper);
}

void Os::playVideo(const char*) {
    logPrintf("ici");
    int status = std::system(kVideoCommand);
    (void)status;
    logPrintf("la");
}
