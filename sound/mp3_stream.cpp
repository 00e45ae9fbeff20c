// Mp3Stream: libmpg123 over a reader on memory.
#include "sound/mp3_stream.h"

#include <mpg123.h>
#include <sys/types.h>

#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

ssize_t readBytes(void* handle, void* buffer, size_t count) {
    auto* s = static_cast<Mp3Stream::Source*>(handle);
    size_t left = s->size - s->cursor;
    if (count > left) count = left;
    if (count) std::memcpy(buffer, s->data + s->cursor, count);
    s->cursor += count;
    return ssize_t(count);
}

off_t seekBytes(void* handle, off_t offset, int whence) {
    auto* s = static_cast<Mp3Stream::Source*>(handle);
    off_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? off_t(s->cursor) : whence == SEEK_END ? off_t(s->size) : -1;
    if (base < 0) return -1;
    off_t target = base + offset;
    if (target < 0 || uint64_t(target) > s->size) return -1;
    s->cursor = size_t(target);
    return target;
}

void initDecoderLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

constexpr size_t kFrameBytes = sizeof(int16_t) * Mp3Stream::kChannels;

}  // namespace

Mp3Stream::Mp3Stream(const uint8_t* data, size_t size) : source_{data, data ? size : 0, 0} {}

Mp3Stream::~Mp3Stream() {
    if (!handle_) return;
    mpg123_close(handle_);
    mpg123_delete(handle_);
}

bool Mp3Stream::start() {
    ended_ = true;
    if (!handle_) {
        initDecoderLibrary();
        int error = 0;
        handle_ = mpg123_new(nullptr, &error);
        if (!handle_) return false;
        mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
        // Only the output's own format: the decoder converts mono and other
        // rates itself.
        mpg123_format_none(handle_);
        if (mpg123_format(handle_, kRate, MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK ||
            mpg123_replace_reader_handle(handle_, readBytes, seekBytes, nullptr) != MPG123_OK) {
            mpg123_delete(handle_);
            handle_ = nullptr;
            return false;
        }
    } else {
        mpg123_close(handle_);
    }
    source_.cursor = 0;
    if (source_.size == 0) return false;
    if (mpg123_open_handle(handle_, &source_) != MPG123_OK) return false;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK || rate != kRate ||
        channels != kChannels || encoding != MPG123_ENC_SIGNED_16) {
        mpg123_close(handle_);
        return false;
    }
    ended_ = false;
    return true;
}

size_t Mp3Stream::read(int16_t* out, size_t frames) {
    if (ended_ || !handle_ || !out) return 0;
    auto* bytes = reinterpret_cast<unsigned char*>(out);
    size_t want = frames * kFrameBytes, got = 0;
    int idle = 0;
    while (got < want) {
        size_t done = 0;
        int result = mpg123_read(handle_, bytes + got, want - got, &done);
        got += done;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            ended_ = true;  // MPG123_DONE, or an error that ends the stream here
            break;
        }
        // A decoder that keeps answering with nothing has nothing more.
        idle = done ? 0 : idle + 1;
        if (idle > 16) {
            ended_ = true;
            break;
        }
    }
    return got / kFrameBytes;
}

bool Mp3Stream::seek(int64_t frame) {
    if (!handle_ || frame < 0) return false;
    if (mpg123_seek(handle_, off_t(frame), SEEK_SET) < 0) return false;
    ended_ = false;
    return true;
}

int64_t Mp3Stream::lengthFrames() {
    if (!handle_) return -1;
    off_t length = mpg123_length(handle_);
    return length < 0 ? -1 : int64_t(length);
}

bool decodeMp3(const uint8_t* data, size_t size, std::vector<int16_t>& samples) {
    samples.clear();
    Mp3Stream stream(data, size);
    if (!stream.start()) return false;
    constexpr size_t kChunk = 4096;
    int16_t chunk[kChunk * Mp3Stream::kChannels];
    size_t n;
    while ((n = stream.read(chunk, kChunk)) > 0) samples.insert(samples.end(), chunk, chunk + n * Mp3Stream::kChannels);
    return true;
}
