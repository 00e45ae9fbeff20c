// PNG encoding on zlib, and writing a picture file in one piece.
#include "tools/capture/png_writer.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void chunk(std::vector<uint8_t>& out, const char type[4], const uint8_t* data, size_t size) {
    put32(out, uint32_t(size));
    size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    if (size) out.insert(out.end(), data, data + size);
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out.data() + typeAt, uInt(4 + size));
    put32(out, uint32_t(crc));
}

}  // namespace

std::vector<uint8_t> encodePng(int width, int height, const uint8_t* rgb, size_t size) {
    if (width <= 0 || height <= 0 || !rgb) return {};
    const size_t row = size_t(width) * 3;
    if (size / row < size_t(height)) return {};

    // Each row is led by its filter byte.
    std::vector<uint8_t> raw((row + 1) * size_t(height));
    for (int y = 0; y < height; ++y) {
        raw[(row + 1) * size_t(y)] = 0;
        std::memcpy(&raw[(row + 1) * size_t(y) + 1], rgb + row * size_t(y), row);
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK) return {};

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> header;
    put32(header, uint32_t(width));
    put32(header, uint32_t(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filter set 0, no interlace
    chunk(out, "IHDR", header.data(), header.size());
    chunk(out, "IDAT", packed.data(), packedSize);
    chunk(out, "IEND", nullptr, 0);
    return out;
}

bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
              std::string& error) {
    std::vector<uint8_t> bytes = encodePng(width, height, rgb.data(), rgb.size());
    if (bytes.empty()) {
        error = "cannot encode a " + std::to_string(width) + "x" + std::to_string(height) + " picture";
        return false;
    }
    std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        error = temporary + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int savedErrno = errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        std::remove(temporary.c_str());
        error = path + ": " + std::strerror(savedErrno);
    }
    return ok;
}
