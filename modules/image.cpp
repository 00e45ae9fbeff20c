// Image objects and their BMP and TGA readers.
//
// A reader takes the whole stream into memory first, so each count in a
// header is weighed against the bytes that are really there before pixels
// are allocated, and a short file is a failure ("bmp : truncated file",
// "tga : truncated file") instead of a picture padded with made-up bytes.
#include "modules/image.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

// 1 GiB of pixels: far beyond any picture of the production, small enough
// that a hostile size cannot take the machine's memory.
constexpr int64_t kMaxImagePixels = int64_t(1) << 28;

std::vector<uint8_t> readAll(FILE* stream) {
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, stream)) > 0) bytes.insert(bytes.end(), block, block + got);
    return bytes;
}

uint16_t u16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t u32(const uint8_t* p) { return uint32_t(u16(p)) | uint32_t(u16(p + 2)) << 16; }

void store(uint32_t& pixel, uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
    uint8_t* bytes = reinterpret_cast<uint8_t*>(&pixel);
    bytes[0] = b;
    bytes[1] = g;
    bytes[2] = r;
    bytes[3] = a;
}

bool containsNoCase(const char* text, const char* part) {
    size_t n = std::strlen(part);
    for (const char* p = text; *p; ++p)
        if (strncasecmp(p, part, n) == 0) return true;
    return false;
}

ErrorCode fail(const char* message) {
    setErrorText(message);
    return CustomError;
}

}  // namespace

Image::Image(int32_t w, int32_t h) { allocate(w, h); }

Image::~Image() { delete[] pixels; }

void Image::clear() {
    delete[] pixels;
    pixels = nullptr;
    width = 0;
    height = 0;
}

bool Image::allocate(int32_t w, int32_t h) {
    clear();
    if (w <= 0 || h <= 0 || int64_t(w) * h > kMaxImagePixels) return false;
    pixels = new (std::nothrow) uint32_t[size_t(w) * size_t(h)];
    if (!pixels) return false;
    width = w;
    height = h;
    return true;
}

ErrorCode Image::resize(int32_t nw, int32_t nh) {
    if ((nw == width && nh == height) || !pixels) return Ok;
    if (nw <= 0 || nh <= 0) return Failed;
    if (int64_t(nw) * nh > kMaxImagePixels) return NotEnoughMemory;
    uint32_t* resized = new (std::nothrow) uint32_t[size_t(nw) * size_t(nh)];
    if (!resized) return NotEnoughMemory;
    float sx = float(width) / float(nw);
    float sy = float(height) / float(nh);
    for (int32_t y = 0; y < nh; ++y) {
        // Single-precision rounding can land a large ratio on the edge itself.
        int32_t sourceRow = std::min(int32_t(float(y) * sy), height - 1);
        for (int32_t x = 0; x < nw; ++x) {
            int32_t sourceColumn = std::min(int32_t(float(x) * sx), width - 1);
            resized[size_t(y) * size_t(nw) + size_t(x)] = pixels[size_t(sourceRow) * size_t(width) + size_t(sourceColumn)];
        }
    }
    delete[] pixels;
    pixels = resized;
    width = nw;
    height = nh;
    return Ok;
}

ErrorCode Image::load(const char* directory, const char* file) {
    clear();
    std::string dir = directory ? directory : "";
    std::string name = file ? file : "";
    std::string path = dir;
    if (dir.empty() || dir.back() != '/') path += '/';
    path += name;

    FILE* stream = std::fopen(path.c_str(), "rb");
    if (!stream) {
        int saved = errno;
        logPrintf("%s\r\n", path.c_str());
        errno = saved;  // IoError's text tells why the open failed, not the log's own open
        return IoError;
    }
    ErrorCode result;
    if (containsNoCase(name.c_str(), ".bmp")) {
        result = readBmp(stream);
    } else if (containsNoCase(name.c_str(), ".tga")) {
        result = readTga(stream);
    } else {
        logPrintf("file is %s\r\n", name.c_str());
        result = Failed;
    }
    std::fclose(stream);
    if (result != Ok) clear();
    return result;
}

ErrorCode Image::loadResized(const char* directory, const char* file, int32_t w, int32_t h) {
    ErrorCode result = load(directory, file);
    if (result != Ok) return result;
    return resize(w, h);
}

ErrorCode Image::readBmp(FILE* stream) {
    clear();
    std::vector<uint8_t> bytes = readAll(stream);
    const uint8_t* d = bytes.data();
    size_t size = bytes.size();
    if (size < 54) return fail("bmp : truncated file");
    uint32_t offset = u32(d + 10);
    uint32_t headerSize = u32(d + 14);
    int32_t w = int32_t(u32(d + 18));
    int32_t h = int32_t(u32(d + 22));
    uint16_t bitCount = u16(d + 28);
    uint32_t compression = u32(d + 30);
    // Only the 40-byte header and its later extensions carry these fields;
    // top-down files (negative height) are not supported.
    if (bitCount != 24 || compression != 0 || headerSize < 40 || h < 0) return fail("bmp : unsupported type");
    if (w <= 0 || h == 0) return fail("bmp : bad size");

    // Every row is padded to a multiple of 4 bytes; the last row's padding
    // may be missing without losing a pixel.
    uint64_t pixelBytes = uint64_t(w) * 3;
    uint64_t rowBytes = (pixelBytes + 3) & ~uint64_t(3);
    uint64_t needed = uint64_t(offset) + rowBytes * uint64_t(h - 1) + pixelBytes;
    if (needed > size) return fail("bmp : truncated file");
    if (!allocate(w, h)) return NotEnoughMemory;

    const uint8_t* row = d + offset;
    for (int32_t y = h - 1; y >= 0; --y, row += rowBytes) {
        uint32_t* out = pixels + size_t(y) * size_t(w);
        for (int32_t x = 0; x < w; ++x) store(out[x], row[3 * x], row[3 * x + 1], row[3 * x + 2], 255);
    }
    return Ok;
}

ErrorCode Image::readTga(FILE* stream) {
    clear();
    std::vector<uint8_t> bytes = readAll(stream);
    const uint8_t* d = bytes.data();
    size_t size = bytes.size();
    if (size < 18) return fail("tga : truncated file");
    uint8_t idLength = d[0];
    uint8_t colourMapType = d[1];
    uint8_t type = d[2];
    int32_t w = u16(d + 12);
    int32_t h = u16(d + 14);
    uint8_t depth = d[16];
    if (type != 2 && type != 10) return fail("tga : unsupported type");
    if (colourMapType != 0 || (depth != 24 && depth != 32)) return fail("tga : unsupported pixelformat");
    if (w == 0 || h == 0) return fail("tga : bad size");

    size_t bpp = depth / 8;
    size_t at = 18 + size_t(idLength);
    uint64_t count = uint64_t(w) * uint64_t(h);
    uint64_t left = size >= at ? size - at : 0;
    // A run packet of 1 + bpp bytes is the most that bytes can stand for: 128 pixels.
    uint64_t least = type == 2 ? count * bpp : (count + 127) / 128 * (1 + bpp);
    if (size < at || least > left) return fail("tga : truncated file");
    if (!allocate(w, h)) return NotEnoughMemory;

    auto readPixel = [&](uint32_t& out) {
        const uint8_t* p = d + at;
        store(out, p[0], p[1], p[2], bpp == 4 ? p[3] : 255);
        at += bpp;
    };
    // Pixel k of the file goes to row h - 1 - k / w, column k % w.
    auto target = [&](uint64_t k) -> uint32_t& {
        return pixels[size_t(h - 1 - int64_t(k / uint64_t(w))) * size_t(w) + size_t(k % uint64_t(w))];
    };

    if (type == 2) {
        for (uint64_t k = 0; k < count; ++k) readPixel(target(k));
        return Ok;
    }
    uint64_t k = 0;
    while (k < count) {
        if (at >= size) {
            clear();
            return fail("tga : truncated file");
        }
        uint8_t header = d[at++];
        uint64_t run = (header & 127u) + 1;
        bool repeated = (header & 128u) != 0;
        if (size - at < (repeated ? bpp : bpp * std::min(run, count - k))) {
            clear();
            return fail("tga : truncated file");
        }
        if (repeated) {
            uint32_t value;
            readPixel(value);
            for (uint64_t i = 0; i < run && k < count; ++i) target(k++) = value;
        } else {
            // Packets run on across rows; the rest of a packet past the last
            // pixel is ignored.
            for (uint64_t i = 0; i < run && k < count; ++i) readPixel(target(k++));
        }
    }
    return Ok;
}

StoredImage::StoredImage(int32_t a, int32_t b, int32_t w, int32_t h)
    : Image(w, h), first(a), second(b), constructedHeight(h) {}
