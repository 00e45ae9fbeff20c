// Image objects: the BMP and TGA readers, Image::load and its path and
// reader choice, resize, and the Driver's picture service (slots 8 to 12).
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "gl/gl_driver.h"
#include "kernel/os.h"
#include "modules/image.h"
#include "tests/support/asset_bytes.h"
#include "tests/support/test_support.h"

using test::Bytes;
using test::le16;

namespace {

struct Bgra {
    uint8_t b, g, r, a;
    bool operator==(const Bgra& o) const { return b == o.b && g == o.g && r == o.r && a == o.a; }
};
std::ostream& operator<<(std::ostream& out, const Bgra& p) {
    return out << "bgra(" << int(p.b) << "," << int(p.g) << "," << int(p.r) << "," << int(p.a) << ")";
}

Bgra at(const Image& image, int x, int y) {
    Bgra p;
    std::memcpy(&p, &image.pixels[size_t(y) * size_t(image.width) + size_t(x)], 4);
    return p;
}

// Six distinct colours, top row first.
std::vector<uint8_t> rgbRamp(int count) {
    std::vector<uint8_t> rgb;
    for (int i = 0; i < count; ++i) {
        rgb.push_back(uint8_t(10 + i));
        rgb.push_back(uint8_t(100 + i));
        rgb.push_back(uint8_t(200 + i));
    }
    return rgb;
}

ErrorCode loadBytes(Image& image, const char* name, const Bytes& bytes) {
    test::writeBytes(name, bytes);
    return image.load(".", name);
}

std::string customText() { return errorText(CustomError); }

}  // namespace

TEST(ImageBmp, RowsArePaddedAndStoredTopRowFirst) {
    test::TempDir dir;
    for (int width : {1, 2, 3, 4, 5}) {
        SCOPED_TRACE(width);
        Bytes file = test::bmp24(width, 2, rgbRamp(width * 2));
        EXPECT_EQ(file.size(), 54u + 2u * size_t((3 * width + 3) & ~3));
        Image image;
        ASSERT_EQ(loadBytes(image, "a.bmp", file), Ok);
        ASSERT_EQ(image.width, width);
        ASSERT_EQ(image.height, 2);
        // The file's first row is the picture's bottom one, and lands in the last array row.
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < width; ++x) {
                int i = y * width + x;
                EXPECT_EQ(at(image, x, y), (Bgra{uint8_t(200 + i), uint8_t(100 + i), uint8_t(10 + i), 255}));
            }
    }
    // The last row may go without its padding.
    Bytes cut = test::bmp24(3, 2, rgbRamp(6));
    Image image;
    EXPECT_EQ(loadBytes(image, "cut.bmp", cut.substr(0, cut.size() - 3)), Ok);
}

TEST(ImageBmp, UnsupportedShortAndHostileFiles) {
    test::TempDir dir;
    Bytes good = test::bmp24(3, 2, rgbRamp(6));
    auto patched = [&](size_t at, const Bytes& value) {
        Bytes b = good;
        b.replace(at, value.size(), value);
        return b;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        const char* message;
    } cases[] = {
        {"8 bits", patched(28, le16(8)), "! bmp : unsupported type"},
        {"compressed", patched(30, test::le32(1)), "! bmp : unsupported type"},
        {"core header", patched(14, test::le32(12)), "! bmp : unsupported type"},
        {"top-down", patched(22, test::le32(uint32_t(-2))), "! bmp : unsupported type"},
        {"zero width", patched(18, test::le32(0)), "! bmp : bad size"},
        {"negative width", patched(18, test::le32(uint32_t(-3))), "! bmp : bad size"},
        {"zero height", patched(22, test::le32(0)), "! bmp : bad size"},
        {"header only", good.substr(0, 54), "! bmp : truncated file"},
        {"cut in the first row", good.substr(0, 60), "! bmp : truncated file"},
        {"cut in the last row", good.substr(0, good.size() - 4), "! bmp : truncated file"},
        {"short header", good.substr(0, 30), "! bmp : truncated file"},
        {"huge size", patched(18, test::le32(60927) + test::le32(65535)), "! bmp : truncated file"},
        {"offset beyond the file", patched(10, test::le32(0xFFFFFFF0u)), "! bmp : truncated file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image image;
        ASSERT_EQ(loadBytes(image, "a.bmp", good), Ok);  // a failed load clears what was there
        EXPECT_EQ(loadBytes(image, "a.bmp", c.bytes), CustomError);
        EXPECT_EQ(customText(), c.message);
        EXPECT_EQ(image.width, 0);
        EXPECT_EQ(image.height, 0);
        EXPECT_EQ(image.pixels, nullptr);
    }
}

TEST(ImageTga, RawFilesAt24And32Bits) {
    test::TempDir dir;
    // 2 × 2, file order: bottom-left, bottom-right, top-left, top-right (as BGR[A]).
    Bytes raw24 = "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c";
    Bytes raw32 = "\x01\x02\x03\x80\x04\x05\x06\x81\x07\x08\x09\x82\x0a\x0b\x0c\x83";
    Image image;
    ASSERT_EQ(loadBytes(image, "a.tga", test::tga(2, 24, 2, 2, raw24)), Ok);
    EXPECT_EQ(at(image, 0, 1), (Bgra{1, 2, 3, 255}));
    EXPECT_EQ(at(image, 1, 1), (Bgra{4, 5, 6, 255}));
    EXPECT_EQ(at(image, 0, 0), (Bgra{7, 8, 9, 255}));
    ASSERT_EQ(loadBytes(image, "b.tga", test::tga(2, 32, 2, 2, raw32)), Ok);
    EXPECT_EQ(at(image, 1, 0), (Bgra{10, 11, 12, 0x83}));
    EXPECT_EQ(at(image, 0, 1), (Bgra{1, 2, 3, 0x80}));
    // A top-left origin in the descriptor changes nothing: still the first file row last.
    ASSERT_EQ(loadBytes(image, "c.tga", test::tga(2, 24, 2, 2, raw24, 0, 0x20)), Ok);
    EXPECT_EQ(at(image, 0, 1), (Bgra{1, 2, 3, 255}));
    // An image ID is skipped.
    Bytes withId = test::tga(2, 24, 2, 2, "ID!" + raw24);
    withId[0] = 3;
    ASSERT_EQ(loadBytes(image, "d.tga", withId), Ok);
    EXPECT_EQ(at(image, 1, 0), (Bgra{10, 11, 12, 255}));
}

TEST(ImageTga, RunLengthPacketsRunAcrossRows) {
    test::TempDir dir;
    // One run of 3 pixels, one raw packet of 1.
    Bytes rle = Bytes("\x82\x10\x20\x30", 4) + Bytes("\x00\x40\x50\x60", 4);
    Image image;
    ASSERT_EQ(loadBytes(image, "r.tga", test::tga(10, 24, 2, 2, rle)), Ok);
    Bgra run{0x10, 0x20, 0x30, 255};
    EXPECT_EQ(at(image, 0, 1), run);
    EXPECT_EQ(at(image, 1, 1), run);
    EXPECT_EQ(at(image, 0, 0), run);
    EXPECT_EQ(at(image, 1, 0), (Bgra{0x40, 0x50, 0x60, 255}));

    // 32 bits, and a packet longer than what is left: the rest is ignored.
    Bytes long32 = Bytes("\x01\x01\x02\x03\x04\x05\x06\x07\x08", 9) + Bytes("\x85\x09\x0a\x0b\x0c", 5);
    ASSERT_EQ(loadBytes(image, "s.tga", test::tga(10, 32, 2, 2, long32)), Ok);
    EXPECT_EQ(at(image, 0, 1), (Bgra{1, 2, 3, 4}));
    EXPECT_EQ(at(image, 1, 1), (Bgra{5, 6, 7, 8}));
    EXPECT_EQ(at(image, 1, 0), (Bgra{9, 10, 11, 12}));
}

TEST(ImageTga, UnsupportedShortAndHostileFiles) {
    test::TempDir dir;
    Bytes raw24(12, '\x11');
    struct Case {
        const char* name;
        Bytes bytes;
        const char* message;
    } cases[] = {
        {"colour-mapped", test::tga(1, 8, 2, 2, Bytes(4, '\0')), "! tga : unsupported type"},
        {"grey", test::tga(3, 8, 2, 2, Bytes(4, '\0')), "! tga : unsupported type"},
        {"colour map present", test::tga(2, 24, 2, 2, raw24, 1), "! tga : unsupported pixelformat"},
        {"16 bits", test::tga(2, 16, 2, 2, Bytes(8, '\0')), "! tga : unsupported pixelformat"},
        {"zero width", test::tga(2, 24, 0, 2, raw24), "! tga : bad size"},
        {"short header", Bytes("\x00\x00\x02\x00", 4), "! tga : truncated file"},
        {"raw cut short", test::tga(2, 24, 2, 2, raw24.substr(0, 11)), "! tga : truncated file"},
        {"rle cut in a raw packet", test::tga(10, 24, 2, 2, Bytes("\x03\x01\x02\x03", 4)), "! tga : truncated file"},
        {"rle runs out of packets", test::tga(10, 24, 200, 1, Bytes("\xff\x01\x02\x03\xff\x01\x02", 7)),
         "! tga : truncated file"},
        {"huge header, tiny file", test::tga(2, 32, 60927, 65535, Bytes(64, '\0')), "! tga : truncated file"},
        {"huge rle header", test::tga(10, 32, 60927, 65535, Bytes(64, '\xff')), "! tga : truncated file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image image;
        EXPECT_EQ(loadBytes(image, "h.tga", c.bytes), CustomError);
        EXPECT_EQ(customText(), c.message);
        EXPECT_EQ(image.pixels, nullptr);
        EXPECT_EQ(image.width, 0);
    }
}

TEST(ImageLoad, PathsAndReaderChoice) {
    test::TempDir dir;
    ASSERT_EQ(std::system("mkdir -p data"), 0);
    Bytes bmp = test::bmp24(1, 1, {1, 2, 3});
    test::writeBytes("data/a.bmp", bmp);
    test::writeBytes("data/PIC.BMP", bmp);
    test::writeBytes("data/a.bmp.tga", bmp);
    test::writeBytes("data/x.png", bmp);
    Image image;
    EXPECT_EQ(image.load("data/", "a.bmp"), Ok);
    EXPECT_EQ(image.load("data", "a.bmp"), Ok);
    EXPECT_EQ(image.load("data", "PIC.BMP"), Ok);
    EXPECT_EQ(image.load("data", "a.bmp.tga"), Ok);  // ".bmp" is looked for first
    EXPECT_EQ(image.width, 1);

    clearLog();
    EXPECT_EQ(image.load("data", "x.png"), Failed);
    EXPECT_STREQ(logText(), "file is x.png\r\n");
    EXPECT_EQ(image.pixels, nullptr);

    clearLog();
    errno = 0;
    EXPECT_EQ(image.load("data", "none.bmp"), IoError);
    EXPECT_EQ(errno, ENOENT);  // the log's own file does not overwrite the reason
    EXPECT_STREQ(logText(), "data/none.bmp\r\n");
}

TEST(ImageResize, NearestNeighbourAndRefusals) {
    Image image(4, 4);
    ASSERT_NE(image.pixels, nullptr);
    for (uint32_t i = 0; i < 16; ++i) image.pixels[i] = i;
    EXPECT_EQ(image.resize(4, 4), Ok);
    EXPECT_EQ(image.pixels[5], 5u);
    EXPECT_EQ(image.resize(0, 2), Failed);
    EXPECT_EQ(image.resize(-2, 2), Failed);
    EXPECT_EQ(image.width, 4);
    ASSERT_EQ(image.resize(2, 2), Ok);
    // (column, row) (0, 0), (2, 0), (0, 2), (2, 2) of the source.
    EXPECT_EQ(image.pixels[0], 0u);
    EXPECT_EQ(image.pixels[1], 2u);
    EXPECT_EQ(image.pixels[2], 8u);
    EXPECT_EQ(image.pixels[3], 10u);
    ASSERT_EQ(image.resize(5, 3), Ok);
    EXPECT_EQ(image.pixels[14], 10u);  // bottom-right comes from the source's last pixel

    Image empty;
    EXPECT_EQ(empty.resize(8, 8), Ok);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(Image(-1, 5).pixels, nullptr);
    EXPECT_EQ(Image(0, 5).pixels, nullptr);
}

TEST(DriverPictures, MakersAndLoaders) {
    test::TempDir dir;
    test::writeBytes("a.bmp", test::bmp24(2, 3, rgbRamp(6)));
    test::writeBytes("bad.bmp", "BM");
    Driver driver;
    std::unique_ptr<Image> stored(driver.createImage());
    ASSERT_TRUE(dynamic_cast<StoredImage*>(stored.get()));
    EXPECT_EQ(stored->width, 0);

    Image* out = nullptr;
    ASSERT_EQ(driver.loadImage(".", "a.bmp", &out), Ok);
    std::unique_ptr<Image> owned(out);
    EXPECT_TRUE(dynamic_cast<StoredImage*>(out));
    EXPECT_EQ(out->height, 3);

    Image* sentinel = reinterpret_cast<Image*>(0x1234);
    out = sentinel;
    EXPECT_EQ(driver.loadImage(".", "bad.bmp", &out), CustomError);
    EXPECT_EQ(out, sentinel);
    EXPECT_EQ(driver.loadImage(".", "none.bmp", &out), IoError);
    EXPECT_EQ(out, sentinel);

    ASSERT_EQ(driver.loadImageResized(".", "a.bmp", &out, 4, 6), Ok);
    std::unique_ptr<Image> resized(out);
    EXPECT_EQ(out->width, 4);

    ASSERT_EQ(driver.loadSurface(".", "a.bmp", &out), Ok);
    std::unique_ptr<Image> surface(out);
    EXPECT_TRUE(dynamic_cast<SurfaceImage*>(out));
    EXPECT_FALSE(dynamic_cast<GlSurfaceImage*>(out));

    // GlDriver's maker serves its loader too, without a context.
    GlDriver gl;
    ASSERT_EQ(gl.loadSurface(".", "a.bmp", &out), Ok);
    std::unique_ptr<Image> glSurface(out);
    GlSurfaceImage* made = dynamic_cast<GlSurfaceImage*>(out);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->driver, &gl);
    made->refresh();
}
