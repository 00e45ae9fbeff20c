// Image helpers of the data generator: lattice noise, blur, FreeType text
// into coverage masks, and JPEG output through libjpeg-turbo's classic
// compressor (full-resolution chroma, so thin light text on black keeps
// clean edges).
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <jpeglib.h>

#include "tools/datagen/datagen.h"

namespace datagen {

namespace {

uint32_t hash2(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x85EBCA6Bu;
    h ^= h >> 16;
    return h;
}

float lattice(int x, int y, uint32_t seed) { return float(hash2(x, y, seed) & 0xFFFF) / 65535.0f; }

}  // namespace

float valueNoise(float x, float y, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    float a = lattice(ix, iy, seed), b = lattice(ix + 1, iy, seed);
    float c = lattice(ix, iy + 1, seed), d = lattice(ix + 1, iy + 1, seed);
    return mix(mix(a, b, tx), mix(c, d, tx), ty);
}

float fbm(float x, float y, int octaves, uint32_t seed) {
    float sum = 0.0f, amp = 0.5f, norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * valueNoise(x, y, seed + uint32_t(i) * 101u);
        norm += amp;
        x = x * 2.03f + 17.1f;
        y = y * 2.03f + 5.3f;
        amp *= 0.5f;
    }
    return sum / norm;
}

void blur(Mask& m, int radius) {
    if (radius <= 0) return;
    std::vector<float> tmp(m.v.size());
    float inv = 1.0f / float(2 * radius + 1);
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < m.height; ++y) {
            float acc = 0.0f;
            for (int x = -radius; x <= radius; ++x) acc += m.get(x, y);
            for (int x = 0; x < m.width; ++x) {
                tmp[size_t(y) * size_t(m.width) + size_t(x)] = acc * inv;
                acc += m.get(x + radius + 1, y) - m.get(x - radius, y);
            }
        }
        for (int x = 0; x < m.width; ++x) {
            auto get = [&](int yy) {
                return yy < 0 || yy >= m.height ? 0.0f : tmp[size_t(yy) * size_t(m.width) + size_t(x)];
            };
            float acc = 0.0f;
            for (int y = -radius; y <= radius; ++y) acc += get(y);
            for (int y = 0; y < m.height; ++y) {
                m.at(x, y) = acc * inv;
                acc += get(y + radius + 1) - get(y - radius);
            }
        }
    }
}

std::string fontPath(const char* fileName) {
    return std::string("/usr/share/fonts/truetype/dejavu/") + fileName;
}

Font::Font(const char* fileName) {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) return;
    library_ = lib;
    FT_Face face = nullptr;
    if (FT_New_Face(lib, fontPath(fileName).c_str(), 0, &face) != 0) {
        std::fprintf(stderr, "datagen: cannot open the font %s\n", fontPath(fileName).c_str());
        return;
    }
    face_ = face;
}

Font::~Font() {
    if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
    if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

float Font::textWidth(const std::string& text, int pixelSize) {
    if (!face_) return 0.0f;
    FT_Face face = static_cast<FT_Face>(face_);
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize));
    float width = 0.0f;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        FT_UInt glyph = FT_Get_Char_Index(face, ch);
        if (previous && glyph && FT_HAS_KERNING(face)) {
            FT_Vector k;
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &k);
            width += float(k.x) / 64.0f;
        }
        if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) == 0) width += float(face->glyph->advance.x) / 64.0f;
        previous = glyph;
    }
    return width;
}

void Font::drawText(Mask& mask, const std::string& text, int pixelSize, float x, float baseline) {
    if (!face_) return;
    FT_Face face = static_cast<FT_Face>(face_);
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize));
    float pen = x;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        FT_UInt glyph = FT_Get_Char_Index(face, ch);
        if (previous && glyph && FT_HAS_KERNING(face)) {
            FT_Vector k;
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &k);
            pen += float(k.x) / 64.0f;
        }
        previous = glyph;
        if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) != 0) continue;
        if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) continue;
        const FT_Bitmap& bm = face->glyph->bitmap;
        int ox = int(std::lround(pen)) + face->glyph->bitmap_left;
        int oy = int(std::lround(baseline)) - face->glyph->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row) {
            for (unsigned col = 0; col < bm.width; ++col) {
                int px = ox + int(col), py = oy + int(row);
                if (px < 0 || py < 0 || px >= mask.width || py >= mask.height) continue;
                float c = float(bm.buffer[row * unsigned(bm.pitch) + col]) / 255.0f;
                float& dst = mask.at(px, py);
                dst = std::min(1.0f, dst + c);
            }
        }
        pen += float(face->glyph->advance.x) / 64.0f;
    }
}

int Font::fitSize(const std::string& text, float maxWidth, int maxSize) {
    int size = maxSize;
    while (size > 8 && textWidth(text, size) > maxWidth) --size;
    return size;
}

void Font::drawCentred(Mask& mask, const std::string& text, int pixelSize, float cx, float baseline) {
    drawText(mask, text, pixelSize, cx - textWidth(text, pixelSize) * 0.5f, baseline);
}

bool writeJpeg(const std::string& path, const Image& image, int quality) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "datagen: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(image.width);
    cinfo.image_height = JDIMENSION(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    for (int c = 0; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    cinfo.optimize_coding = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(size_t(image.width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const float* src = &image.rgb[size_t(cinfo.next_scanline) * size_t(image.width) * 3];
        for (size_t i = 0; i < row.size(); ++i) row[i] = uint8_t(std::lround(clamp01(src[i]) * 255.0f));
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    bool ok = std::fclose(file) == 0;
    if (!ok) std::fprintf(stderr, "datagen: cannot finish %s\n", path.c_str());
    return ok;
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "datagen: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok) std::fprintf(stderr, "datagen: cannot finish %s\n", path.c_str());
    return ok;
}

bool makeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) return true;
    std::fprintf(stderr, "datagen: cannot create %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
}

}  // namespace datagen
