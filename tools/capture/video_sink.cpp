// VideoSink: frames and sound through the ffmpeg program into one file.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "tools/capture/frame_sink.h"

extern char** environ;

namespace {

// Feeds one pipe from a queue on a thread of its own. push waits while more
// than the limit is queued, so a slow encoder holds the renderer back
// instead of filling the memory.
class PipeWriter {
public:
    PipeWriter(int fd, size_t limitBytes) : fd_(fd), limit_(limitBytes), thread_([this] { run(); }) {}
    ~PipeWriter() { close(); }

    // False once a write has failed (the reader went away).
    bool push(std::vector<uint8_t> bytes) {
        std::unique_lock<std::mutex> lock(mutex_);
        room_.wait(lock, [&] { return failed_ || queued_ < limit_ || queue_.empty(); });
        if (failed_) return false;
        queued_ += bytes.size();
        queue_.push_back(std::move(bytes));
        ready_.notify_one();
        return true;
    }

    // Lets the thread write out what is queued and then end; returns at
    // once. Both pipes are let go before either is waited for, since the
    // reader may want the end of one before it reads the rest of the other.
    void release() {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
        ready_.notify_one();
    }

    // release, then waits for the thread and closes the pipe. False when
    // some of it could not be written.
    bool close() {
        release();
        if (thread_.joinable()) thread_.join();
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        return !failed_;
    }

    int error() const { return errno_; }

private:
    void run() {
        for (;;) {
            std::vector<uint8_t> bytes;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ready_.wait(lock, [&] { return closing_ || !queue_.empty(); });
                if (queue_.empty()) return;  // closing, all written
                bytes = std::move(queue_.front());
                queue_.pop_front();
            }
            bool ok = writeAll(bytes);
            std::lock_guard<std::mutex> lock(mutex_);
            queued_ -= bytes.size();
            if (!ok) {
                failed_ = true;
                queue_.clear();
                queued_ = 0;
            }
            room_.notify_all();
            if (!ok) return;
        }
    }

    bool writeAll(const std::vector<uint8_t>& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                errno_ = errno;
                return false;
            }
            done += size_t(n);
        }
        return true;
    }

    int fd_;
    size_t limit_;
    std::mutex mutex_;
    std::condition_variable ready_, room_;
    std::deque<std::vector<uint8_t>> queue_;
    size_t queued_ = 0;
    bool closing_ = false;
    bool failed_ = false;
    int errno_ = 0;
    std::thread thread_;  // last: starts once the rest is set up
};

std::string extension(const std::string& path) {
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string e = path.substr(dot + 1);
    for (char& c : e) c = char(std::tolower(static_cast<unsigned char>(c)));
    return e;
}

std::string rateText(double fps) {
    char text[64];
    if (fps == std::floor(fps)) std::snprintf(text, sizeof text, "%.0f", fps);
    else std::snprintf(text, sizeof text, "%.9g", fps);
    return text;
}

class VideoSink final : public FrameSink {
public:
    VideoSink(const std::string& path, const SinkFormat& format) : path_(path), format_(format) {}
    ~VideoSink() override {
        std::string ignored;
        finish(ignored);
    }

    bool begin(std::string& error) override {
        int video[2], sound[2];
        if (pipe2(video, O_CLOEXEC) != 0) {
            error = std::string("pipe: ") + std::strerror(errno);
            return false;
        }
        if (pipe2(sound, O_CLOEXEC) != 0) {
            error = std::string("pipe: ") + std::strerror(errno);
            ::close(video[0]);
            ::close(video[1]);
            return false;
        }

        // The read ends move above the descriptors the child is given, so
        // that each dup2 below really copies (and drops close-on-exec).
        for (int* fd : {&video[0], &sound[0]}) {
            int high = fcntl(*fd, F_DUPFD_CLOEXEC, 10);
            if (high >= 0) {
                ::close(*fd);
                *fd = high;
            }
        }

        std::string size = std::to_string(format_.width) + "x" + std::to_string(format_.height);
        std::string codec = format_.audioCodec.empty() ? defaultAudioCodec(path_) : format_.audioCodec;
        std::vector<std::string> args = {
            "ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
            // Both inputs are raw with every parameter given: nothing to probe,
            // so ffmpeg never sits reading one pipe to learn about it.
            "-probesize", "32", "-analyzeduration", "0",
            "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size, "-framerate", rateText(format_.fps),
            "-i", "pipe:0",
            "-probesize", "32", "-analyzeduration", "0",
            "-f", "s16le", "-ar", std::to_string(format_.sampleRate), "-ac", std::to_string(format_.channels),
            "-i", "pipe:3",
            "-map", "0:v:0", "-map", "1:a:0",
            // 4:2:0 wants even sizes: an odd edge gets one black line.
            "-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2",
            "-c:v", "libx264", "-preset", "medium", "-crf", "18", "-pix_fmt", "yuv420p",
            "-c:a", codec};
        if (codec == "aac") args.insert(args.end(), {"-b:a", "192k"});
        args.insert(args.end(), {"-fflags", "+bitexact", "-flags:v", "+bitexact", "-flags:a", "+bitexact"});
        std::string ext = extension(path_);
        if (ext == "mp4" || ext == "m4v" || ext == "mov") args.insert(args.end(), {"-movflags", "+faststart"});
        args.push_back(path_);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, video[0], 0);
        posix_spawn_file_actions_adddup2(&actions, sound[0], 3);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        // A group of its own: the terminal's Ctrl-C is the capture's to
        // handle; ffmpeg ends when its inputs do.
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int r = posix_spawnp(&child_, "ffmpeg", &actions, &attributes, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        ::close(video[0]);
        ::close(sound[0]);
        if (r != 0) {
            ::close(video[1]);
            ::close(sound[1]);
            child_ = -1;
            error = std::string("cannot start ffmpeg: ") + std::strerror(r) +
                    " (tools/install-deps.sh installs it)";
            return false;
        }
        size_t frameBytes = size_t(format_.width) * size_t(format_.height) * 3;
        // Two seconds of frames in flight at most, and never less than a few.
        size_t videoLimit = std::max(frameBytes * 4, size_t(frameBytes * std::min(format_.fps * 2.0, 240.0)));
        video_ = std::make_unique<PipeWriter>(video[1], std::min(videoLimit, size_t(512) << 20));
        sound_ = std::make_unique<PipeWriter>(sound[1], size_t(64) << 20);
        return true;
    }

    bool addFrame(const std::vector<uint8_t>& rgb, std::string& error) override {
        if (!video_ || !video_->push(rgb)) return fail("the encoder stopped taking frames", error);
        return true;
    }

    bool addSound(const std::vector<int16_t>& samples, std::string& error) override {
        if (samples.empty()) return true;
        // The pipe carries little-endian samples, which is what this host holds.
        std::vector<uint8_t> bytes(samples.size() * 2);
        for (size_t i = 0; i < samples.size(); ++i) {
            uint16_t v = uint16_t(samples[i]);
            bytes[2 * i] = uint8_t(v & 0xff);
            bytes[2 * i + 1] = uint8_t(v >> 8);
        }
        if (!sound_ || !sound_->push(std::move(bytes))) return fail("the encoder stopped taking sound", error);
        return true;
    }

    bool finish(std::string& error) override {
        if (finished_) {
            error = finishError_;
            return finishOk_;
        }
        finished_ = true;
        bool ok = true;
        if (video_) video_->release();
        if (sound_) sound_->release();
        if (video_ && !video_->close()) ok = false;
        if (sound_ && !sound_->close()) ok = false;
        if (child_ > 0) {
            int status = 0;
            while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {
            }
            child_ = -1;
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                ok = false;
                finishError_ = "ffmpeg failed making " + path_ + " (status " +
                               std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)) +
                               ")";
            }
        }
        if (!ok && finishError_.empty()) finishError_ = "the encoder did not take every frame of " + path_;
        finishOk_ = ok;
        error = finishError_;
        return ok;
    }

private:
    bool fail(const char* what, std::string& error) {
        error = std::string(what) + " (" + path_ + ")";
        return false;
    }

    std::string path_;
    SinkFormat format_;
    pid_t child_ = -1;
    std::unique_ptr<PipeWriter> video_, sound_;
    bool finished_ = false;
    bool finishOk_ = true;
    std::string finishError_;
};

}  // namespace

std::string defaultAudioCodec(const std::string& path) {
    std::string ext = extension(path);
    if (ext == "mkv" || ext == "mka") return "flac";
    if (ext == "mov") return "pcm_s16le";
    return "aac";
}

std::unique_ptr<FrameSink> makeVideoSink(const std::string& path, const SinkFormat& format) {
    return std::make_unique<VideoSink>(path, format);
}
