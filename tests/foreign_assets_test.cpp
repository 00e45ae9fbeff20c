// Files that no one here wrote: JPEG, BMP and TGA from ImageMagick, 3DS
// from assimp's exporter, each compared with what an independent reader
// reports (djpeg for JPEG, Pillow for BMP and TGA, assimp and the source
// .obj for 3DS). ImageMagick's own TGA pixels are not taken as the truth.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "modules/Loader3DS/scene3ds.h"
#include "modules/image.h"
#include "modules/picture.h"
#include "tests/support/test_support.h"

namespace {

bool have(const std::string& tool) { return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0; }
bool havePillow() { return std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") == 0; }
bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// A picture whose every pixel differs: red across, green down, blue along
// the diagonal, and (for alpha) alpha across.
std::string pattern(int w, int h, bool alpha) {
    std::ostringstream c;
    c << "convert -size " << w << "x" << h << " xc: " << (alpha ? "-alpha set " : "")
      << "-channel R -fx 'i/w' -channel G -fx 'j/h' -channel B -fx '(i+j)/(w+h)' "
      << (alpha ? "-channel A -fx '0.2+0.6*i/w' " : "") << "+channel ";
    return c.str();
}

// Pillow's RGBA bytes, top row first.
std::string pillowRgba(const std::string& file) {
    std::string out = file + ".rgba";
    std::string command = "/usr/bin/python3 -c \"import sys; from PIL import Image; "
                          "open(sys.argv[2], 'wb').write(Image.open(sys.argv[1]).convert('RGBA').tobytes())\" " +
                          file + " " + out;
    if (!run(command)) return "";
    return test::readFile(out);
}

std::string imageRgba(const Image& image) {
    std::string out;
    for (int32_t i = 0; i < image.width * image.height; ++i) {
        uint8_t p[4];
        std::memcpy(p, &image.pixels[i], 4);
        out += char(p[2]);
        out += char(p[1]);
        out += char(p[0]);
        out += char(p[3]);
    }
    return out;
}

// The pixel bytes of a binary PPM or PGM, as RGB.
bool readPnm(const std::string& path, int& w, int& h, std::string& rgb) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval;
    in >> magic >> w >> h >> maxval;
    in.get();
    if ((magic != "P6" && magic != "P5") || maxval != 255) return false;
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (magic == "P6") {
        rgb = raw;
    } else {
        rgb.clear();
        for (char c : raw) rgb += std::string(3, c);
    }
    return rgb.size() == size_t(w) * size_t(h) * 3;
}

}  // namespace

TEST(ForeignFiles, JpegFromImageMagickMatchesDjpeg) {
    if (!have("convert") || !have("djpeg")) GTEST_SKIP() << "ImageMagick or djpeg is not installed";
    test::TempDir dir;
    struct Case {
        const char* name;
        std::string options;
    } cases[] = {
        {"baseline.jpg", "-quality 90"},
        {"subsampled.jpg", "-quality 75 -sampling-factor 2x2"},
        {"progressive.jpg", "-quality 85 -interlace JPEG"},
        {"grey.jpg", "-colorspace Gray"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(run(pattern(37, 21, false) + c.options + " " + c.name));
        ASSERT_TRUE(run(std::string("djpeg -pnm -outfile ref.pnm ") + c.name));
        int w = 0, h = 0;
        std::string reference;
        ASSERT_TRUE(readPnm("ref.pnm", w, h, reference));
        std::unique_ptr<RgbPicture, void (*)(RgbPicture*)> p(loadJpeg(c.name), freePicture);
        ASSERT_TRUE(p);
        ASSERT_EQ(p->width, w);
        ASSERT_EQ(p->height, h);
        // Bottom row first against djpeg's top row first.
        std::string flipped;
        for (int y = h - 1; y >= 0; --y)
            flipped.append(reinterpret_cast<const char*>(p->pixels) + size_t(y) * size_t(w) * 3, size_t(w) * 3);
        EXPECT_TRUE(flipped == reference);
    }
}

TEST(ForeignFiles, BmpAndTgaFromImageMagickMatchPillow) {
    if (!have("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    if (!havePillow()) GTEST_SKIP() << "Pillow is not installed";
    test::TempDir dir;
    struct Case {
        const char* name;
        int w, h;
        bool alpha;
        const char* options;
    } cases[] = {
        {"pad1.bmp", 13, 7, false, "-type TrueColor BMP3:"},  // rows of 39 bytes and one padding byte
        {"pad2.bmp", 14, 3, false, "-type TrueColor BMP3:"},
        {"pad3.bmp", 5, 4, false, "-type TrueColor BMP3:"},
        {"none.bmp", 8, 2, false, "-type TrueColor BMP3:"},
        {"raw24.tga", 9, 5, false, "-type TrueColor -compress None "},
        {"raw32.tga", 9, 5, true, "-type TrueColorAlpha -compress None "},
        {"rle24.tga", 150, 2, false, "-type TrueColor -compress RLE "},  // packets across rows
        {"rle32.tga", 9, 5, true, "-type TrueColorAlpha -compress RLE "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(run(pattern(c.w, c.h, c.alpha) + c.options + c.name));
        std::string reference = pillowRgba(c.name);
        ASSERT_EQ(reference.size(), size_t(c.w * c.h * 4));
        Image image;
        ASSERT_EQ(image.load(".", c.name), Ok);
        ASSERT_EQ(image.width, c.w);
        ASSERT_EQ(image.height, c.h);
        EXPECT_TRUE(imageRgba(image) == reference);
    }
}

TEST(ForeignFiles, ThreeDsFromAssimpMatchesItsSourceAndAssimp) {
    if (!have("assimp")) GTEST_SKIP() << "assimp is not installed";
    test::TempDir dir;
    const float v[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                           {-1, -1, 1},  {1, -1, 1},  {1, 1, 2},  {-1, 1, 1}};
    const int f[12][3] = {{1, 3, 2}, {1, 4, 3}, {5, 6, 7}, {5, 7, 8}, {1, 2, 6}, {1, 6, 5},
                          {4, 8, 7}, {4, 7, 3}, {1, 5, 8}, {1, 8, 4}, {2, 3, 7}, {2, 7, 6}};
    {
        std::ofstream obj("shape.obj");
        for (auto& p : v) obj << "v " << p[0] << " " << p[1] << " " << p[2] << "\n";
        for (auto& t : f) obj << "f " << t[0] << " " << t[1] << " " << t[2] << "\n";
    }
    ASSERT_TRUE(run("assimp export shape.obj shape.3ds"));
    std::unique_ptr<Scene3DS> scene(createScene3DS("shape.3ds", true, true, true));
    ASSERT_TRUE(scene) << scene3DSFailure();
    ASSERT_EQ(scene->faceCount(), 12u);
    for (uint32_t i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        Face3DS face;
        scene->getFace(i, face);
        uint32_t corners[3] = {face.a, face.b, face.c};
        for (int k = 0; k < 3; ++k) {
            Vertex3DS vertex;
            scene->getVertex(corners[k], vertex);
            const float* expected = v[f[i][k] - 1];
            EXPECT_FLOAT_EQ(vertex.position.x, expected[0]);
            EXPECT_FLOAT_EQ(vertex.position.y, expected[1]);
            EXPECT_FLOAT_EQ(vertex.position.z, expected[2]);
            EXPECT_NEAR(std::sqrt(vertex.normal.x * vertex.normal.x + vertex.normal.y * vertex.normal.y +
                                  vertex.normal.z * vertex.normal.z),
                        1.0f, 1e-5f);
        }
    }
    // assimp's own reader of the file agrees on faces and materials.
    ASSERT_EQ(std::system("assimp info shape.3ds > info.txt 2>&1"), 0);
    std::string info = test::readFile("info.txt");
    auto number = [&](const char* label) {
        size_t at = info.find(label);
        return at == std::string::npos ? -1L : std::strtol(info.c_str() + at + std::strlen(label), nullptr, 10);
    };
    EXPECT_EQ(number("Faces:"), long(scene->faceCount()));
    EXPECT_EQ(number("Materials:"), long(scene->materialCount));
}
