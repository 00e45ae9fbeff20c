// PictureSink: captured frames as PNG files.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/capture/frame_sink.h"
#include "tools/capture/png_writer.h"

namespace {

class PictureSink final : public FrameSink {
public:
    PictureSink(const std::string& path, bool single, const SinkFormat& format)
        : path_(path), single_(single), format_(format) {}

    bool begin(std::string& error) override {
        if (single_) return true;
        // mkdir -p: the folder and any missing parents.
        std::string sofar;
        for (size_t i = 0; i <= path_.size(); ++i) {
            if (i < path_.size() && path_[i] != '/') continue;
            sofar = path_.substr(0, i);
            if (sofar.empty()) continue;
            if (mkdir(sofar.c_str(), 0777) != 0 && errno != EEXIST) {
                error = sofar + ": " + std::strerror(errno);
                return false;
            }
        }
        struct stat info {};
        if (stat(path_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            error = path_ + ": not a folder";
            return false;
        }
        return true;
    }

    bool addFrame(const std::vector<uint8_t>& rgb, std::string& error) override {
        std::string file = path_;
        if (!single_) {
            char name[32];
            std::snprintf(name, sizeof name, "%06lld.png", static_cast<long long>(frames_));
            if (!file.empty() && file.back() != '/') file += '/';
            file += name;
        }
        ++frames_;
        return writePng(file, format_.width, format_.height, rgb, error);
    }

    bool addSound(const std::vector<int16_t>&, std::string&) override { return true; }
    bool finish(std::string&) override { return true; }

private:
    std::string path_;
    bool single_;
    SinkFormat format_;
    long long frames_ = 0;
};

}  // namespace

std::unique_ptr<FrameSink> makePictureSink(const std::string& path, bool single, const SinkFormat& format) {
    return std::make_unique<PictureSink>(path, single, format);
}
