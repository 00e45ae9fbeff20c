// Writers of asset bytes for the tests and the fuzz seeds.
#include "tests/support/asset_bytes.h"

#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace test {

Bytes le16(uint32_t v) { return Bytes{char(v & 0xFF), char((v >> 8) & 0xFF)}; }
Bytes le32(uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); }
Bytes f32(float v) {
    uint32_t w;
    std::memcpy(&w, &v, 4);
    return le32(w);
}
Bytes cstr(const std::string& s) { return s + Bytes(1, '\0'); }
Bytes chunk(uint16_t id, const Bytes& content) { return le16(id) + le32(uint32_t(content.size() + 6)) + content; }

Bytes bmp24(int width, int height, const std::vector<uint8_t>& rgb) {
    int rowBytes = (width * 3 + 3) & ~3;
    Bytes pixels;
    for (int y = height - 1; y >= 0; --y) {
        Bytes row;
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &rgb[size_t(3 * (y * width + x))];
            row += char(p[2]);
            row += char(p[1]);
            row += char(p[0]);
        }
        row.resize(size_t(rowBytes), '\0');
        pixels += row;
    }
    Bytes info = le32(40) + le32(uint32_t(width)) + le32(uint32_t(height)) + le16(1) + le16(24) + le32(0) +
                 le32(uint32_t(pixels.size())) + le32(2835) + le32(2835) + le32(0) + le32(0);
    Bytes file = Bytes("BM") + le32(uint32_t(54 + pixels.size())) + le16(0) + le16(0) + le32(54);
    return file + info + pixels;
}

Bytes tga(int type, int depth, int width, int height, const Bytes& payload, int colourMapType, int descriptor) {
    Bytes h;
    h += char(0);              // image ID length
    h += char(colourMapType);  // colour map type
    h += char(type);
    h += le16(0) + le16(0);  // colour map first entry, length
    h += char(0);            // colour map entry size
    h += le16(0) + le16(0);  // origin
    h += le16(uint32_t(width)) + le16(uint32_t(height));
    h += char(depth);
    h += char(descriptor);
    return h + payload;
}

bool writeBytes(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool writeJpeg(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, f);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    for (int i = 0; i < info.num_components; ++i) {
        info.comp_info[i].h_samp_factor = 1;
        info.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&rgb[size_t(info.next_scanline) * size_t(width) * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(f) == 0;
}

Bytes quad3ds() {
    Bytes vertices = le16(4);
    const float corners[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    for (auto& c : corners) vertices += f32(c[0]) + f32(c[1]) + f32(c[2]);
    Bytes group = cstr("red") + le16(2) + le16(0) + le16(1);
    Bytes faces = le16(2) + le16(0) + le16(1) + le16(2) + le16(7) + le16(0) + le16(2) + le16(3) + le16(7) +
                  chunk(0x4130, group);
    Bytes mapping = le16(4);
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (auto& t : uv) mapping += f32(t[0]) + f32(t[1]);
    Bytes mesh = chunk(0x4100, chunk(0x4110, vertices) + chunk(0x4120, faces) + chunk(0x4140, mapping));
    Bytes material = chunk(0xAFFF, chunk(0xA000, cstr("red")) +
                                       chunk(0xA020, chunk(0x0011, Bytes{char(255), char(0), char(0)})) +
                                       chunk(0xA200, chunk(0xA300, cstr("red.jpg"))));
    return chunk(0x4D4D, chunk(0x3D3D, material + chunk(0x4000, cstr("quad") + mesh)));
}

}  // namespace test
