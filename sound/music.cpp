// Music: the track read into memory, decoded by Mp3Stream, played through
// the platform's sound output, and its position in milliseconds.
#include "sound/music.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include <sys/stat.h>

#include "platform/window.h"
#include "sound/mp3_stream.h"

Music::Music(const char* path) : output(platform::soundOutput()) {
    setUpOutput();  // the first set-up ("driver 1")
    open(path);
}

Music::~Music() {
    stop();
    output->close();
}

void Music::setUpOutput() {
    if (!output->open(kMixRate, Mp3Stream::kChannels)) fail("Init Failed");
}

ErrorCode Music::open(const char* path) {
    // The second set-up ("driver 2"); reopening also stops any playback, so
    // the old stream is free to go.
    setUpOutput();
    channel = -1;
    lastMs = 0;
    std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
    // A directory opens for reading here but is no file to play.
    struct stat info {};
    if (file && (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode))) {
        std::fclose(file);
        file = nullptr;
    }
    if (!file) fail("File not found");
    // A size that cannot be told, a buffer that cannot be had or a short
    // read leave what could be read; the decoder judges it at play.
    long size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) size = 0;
    stream.reset();
    bytes.reset(size > 0 ? new (std::nothrow) uint8_t[size_t(size)] : nullptr);
    byteCount = bytes ? std::fread(bytes.get(), 1, size_t(size), file) : 0;
    std::fclose(file);
    stream = std::make_unique<Mp3Stream>(bytes.get(), byteCount);
    return Ok;
}

ErrorCode Music::play() {
    output->stop();  // the stream belongs to this thread again
    if (!stream || !stream->start()) fail("Unable to play");
    lastMs = 0;
    // Pan -1, both speakers at full level: the decoder's stereo frames go to
    // the output unchanged, a mono track on both channels.
    if (!output->start(this)) fail("Unable to play");
    channel = 0;
    return Ok;
}

ErrorCode Music::stop() {
    output->stop();
    return Ok;
}

int32_t Music::timeMs() {
    if (channel < 0) return lastMs;
    int rate = output->sampleRate();
    if (rate <= 0) return lastMs;
    double ms = std::floor(output->playedFrames() * 1000.0 / rate);
    if (!(ms >= 0)) ms = 0;
    if (ms > std::numeric_limits<int32_t>::max()) ms = std::numeric_limits<int32_t>::max();
    if (int32_t(ms) > lastMs) lastMs = int32_t(ms);
    return lastMs;
}

void Music::fill(int16_t* out, int frames) {
    if (frames <= 0) return;
    size_t got = stream ? stream->read(out, size_t(frames)) : 0;
    if (got < size_t(frames))
        std::memset(out + got * Mp3Stream::kChannels, 0, (size_t(frames) - got) * Mp3Stream::kChannels * sizeof(int16_t));
}

void Music::fail(const char* text) {
    platform::messageBox(text, "Exit Error");
    output->close();
    std::exit(1);
}
