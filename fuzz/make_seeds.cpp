// Writes the fuzz targets' seed corpora with our own writers: small files
// of every form the readers take, each a little different.
//
//   fuzz_seeds DIR    makes DIR/<target>/ for every fuzz target
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "modules/spline_path.h"
#include "tests/support/asset_bytes.h"

using namespace test;

namespace {

std::string root;

void put(const char* target, const char* name, const Bytes& bytes) {
    std::string dir = root + "/" + target;
    mkdir(dir.c_str(), 0755);
    writeBytes(dir + "/" + name, bytes);
}

std::vector<uint8_t> ramp(int w, int h) {
    std::vector<uint8_t> rgb;
    for (int i = 0; i < w * h; ++i) {
        rgb.push_back(uint8_t(i * 37));
        rgb.push_back(uint8_t(255 - i * 11));
        rgb.push_back(uint8_t(i * 5));
    }
    return rgb;
}

Bytes pathRecord(const std::vector<Vector3>& points) {
    std::string file = root + "/record.tmp";
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) return "";
    SplinePath(points).write(f, int32_t(points.size()));
    std::fclose(f);
    FILE* in = std::fopen(file.c_str(), "rb");
    Bytes bytes;
    int c;
    while ((c = std::fgetc(in)) != EOF) bytes += char(c);
    std::fclose(in);
    std::remove(file.c_str());
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 2;
    }
    root = argv[1];
    mkdir(root.c_str(), 0755);

    put("fuzz_3ds", "quad.3ds", quad3ds());
    Bytes mesh = chunk(0x4100, chunk(0x4110, le16(3) + f32(0) + f32(0) + f32(0) + f32(1) + f32(0) + f32(0) +
                                                 f32(0) + f32(1) + f32(0)) +
                                   chunk(0x4120, le16(1) + le16(0) + le16(1) + le16(2) + le16(0)));
    put("fuzz_3ds", "triangle.3ds", chunk(0x4D4D, chunk(0x3D3D, chunk(0x4000, cstr("t") + mesh))));
    put("fuzz_3ds", "colours.3ds",
        chunk(0x4D4D, chunk(0x3D3D, chunk(0xAFFF, chunk(0xA000, cstr("m")) +
                                                      chunk(0xA010, chunk(0x0010, f32(0.5f) + f32(0.25f) + f32(1))) +
                                                      chunk(0xA030, chunk(0x0011, "abc") + chunk(0x0012, "def"))))));

    put("fuzz_spline_text", "one.spl", "1\n2\n0 0 0\n10 0 0\n");
    put("fuzz_spline_text", "two.spl", "2 3 0 0 0 3 0 0 3 4 0 1 -1.5 2e3 7\n");
    put("fuzz_spline_text", "skips.spl", "3 0 -1 2 1 1 1 2 2 2");

    std::vector<Vector3> three = {{0, 0, 0}, {1.5f, -2, 3}, {4, 5, 6.25f}};
    std::vector<Vector3> five = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}, {5, 5, 5}};
    put("fuzz_spline_binary", "twob.spl", le32(2) + pathRecord(three) + pathRecord(five));
    put("fuzz_spline_binary", "oneb.spl", le32(1) + pathRecord({{7, 8, 9}}));

    for (int w : {1, 2, 3, 4}) {
        std::string name = "w" + std::to_string(w) + ".bmp";
        put("fuzz_bmp", name.c_str(), bmp24(w, 2, ramp(w, 2)));
    }

    Bytes raw24 = "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c";
    put("fuzz_tga", "raw24.tga", tga(2, 24, 2, 2, raw24));
    put("fuzz_tga", "raw32.tga", tga(2, 32, 2, 2, raw24 + "\x10\x20\x30\x40"));
    put("fuzz_tga", "rle24.tga", tga(10, 24, 2, 2, Bytes("\x82\x10\x20\x30\x00\x40\x50\x60", 8)));
    put("fuzz_tga", "rle32.tga", tga(10, 32, 3, 2, Bytes("\x01\x01\x02\x03\x04\x05\x06\x07\x08\x83\x09\x0a\x0b\x0c", 14)));

    std::string dir = root + "/fuzz_jpeg";
    mkdir(dir.c_str(), 0755);
    writeJpeg(dir + "/rb.jpg", 2, 2, {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255});
    writeJpeg(dir + "/ramp.jpg", 16, 8, ramp(16, 8));
    return 0;
}
