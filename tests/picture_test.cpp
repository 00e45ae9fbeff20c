// JPEG pictures and textures: row order, broken and hostile files, and
// loadTexture on a real GL context.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "modules/picture.h"
#include "tests/support/asset_bytes.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

// Top row red, bottom row blue.
const std::vector<uint8_t> kRedOverBlue = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255};

bool near(const uint8_t* p, int r, int g, int b, int tolerance = 8) {
    return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[2] - b) <= tolerance;
}

// A 3 × 2 picture (rows of 9 bytes, not a multiple of 4): distinct
// columns, top row light, bottom row dark.
std::vector<uint8_t> oddWidth() {
    return {250, 40, 40, 40, 250, 40, 40, 40, 250, 120, 20, 20, 20, 120, 20, 20, 20, 120};
}

}  // namespace

TEST(LoadJpeg, BottomRowFirst) {
    test::TempDir dir;
    ASSERT_TRUE(test::writeJpeg("rb.jpg", 2, 2, kRedOverBlue));
    RgbPicture* p = loadJpeg("rb.jpg");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->width, 2);
    EXPECT_EQ(p->height, 2);
    EXPECT_TRUE(near(p->pixels + 0, 0, 0, 255));
    EXPECT_TRUE(near(p->pixels + 3, 0, 0, 255));
    EXPECT_TRUE(near(p->pixels + 6, 255, 0, 0));
    EXPECT_TRUE(near(p->pixels + 9, 255, 0, 0));
    freePicture(p);
    // The trailing blank the script leaves on some names is not part of the name.
    p = loadJpeg("rb.jpg ");
    EXPECT_NE(p, nullptr);
    freePicture(p);
    freePicture(nullptr);
}

TEST(LoadJpeg, BrokenAndHostileFilesGiveNone) {
    test::TempDir dir;
    ASSERT_TRUE(test::writeJpeg("good.jpg", 2, 2, kRedOverBlue));
    test::Bytes good = test::readFile("good.jpg");
    // A header claiming 60927 × 65500 pixels (the library's own limit is
    // 65500) over a few bytes of data.
    test::Bytes huge = good;
    size_t sof = huge.find("\xff\xc0");
    ASSERT_NE(sof, std::string::npos);
    huge[sof + 5] = char(0xff);  // height 0xffdc = 65500
    huge[sof + 6] = char(0xdc);
    huge[sof + 7] = char(0xed);  // width 0xedff = 60927
    huge[sof + 8] = char(0xff);
    struct Case {
        const char* name;
        test::Bytes bytes;
    } cases[] = {
        {"empty", ""},
        {"not a JPEG", "hello, this is text"},
        {"header only", good.substr(0, 20)},
        {"huge header", huge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeBytes("bad.jpg", c.bytes);
        RgbPicture* p = loadJpeg("bad.jpg");
        EXPECT_EQ(p, nullptr);
        freePicture(p);
    }
    EXPECT_EQ(loadJpeg("absent.jpg"), nullptr);
    // A picture beyond the bound asked for is refused.
    EXPECT_EQ(loadJpeg("good.jpg", 3), nullptr);
    RgbPicture* p = loadJpeg("good.jpg", 4);
    EXPECT_NE(p, nullptr);
    freePicture(p);
}

TEST(LoadJpeg, TruncatedDataDecodesOrFailsWithoutHanging) {
    test::TempDir dir;
    std::vector<uint8_t> rgb(64 * 64 * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t(i * 7);
    ASSERT_TRUE(test::writeJpeg("big.jpg", 64, 64, rgb));
    test::Bytes all = test::readFile("big.jpg");
    for (size_t keep : {all.size() / 2, all.size() - 2, size_t(700)}) {
        SCOPED_TRACE(keep);
        test::writeBytes("cut.jpg", all.substr(0, keep));
        RgbPicture* p = loadJpeg("cut.jpg");
        if (p) {
            EXPECT_EQ(p->width, 64);
            EXPECT_EQ(p->height, 64);
        }
        freePicture(p);
    }
}

TEST(LoadTexture, MissingBrokenAndGoodFiles) {
    test::TempDir dir;
    test::GlFixture gl(64, 64);
    ASSERT_TRUE(gl.ok());

    uint32_t texture = 77;
    errno = 0;
    EXPECT_EQ(loadTexture("./data/none.jpg ", &texture), IoError);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_STREQ(errorText(CustomError), "! the \"./data/none.jpg \" file");
    EXPECT_EQ(texture, 77u);

    // Opens but does not decode: no texture name is left behind.
    test::writeBytes("broken.jpg", "not a picture at all");
    EXPECT_EQ(loadTexture("broken.jpg", &texture), Failed);
    EXPECT_EQ(texture, 77u);
    for (GLuint name = 1; name < 16; ++name) EXPECT_FALSE(glIsTexture(name)) << name;

    // Rows of 9 bytes upload unsheared, bottom row first, and the texture stays bound.
    ASSERT_TRUE(test::writeJpeg("odd.jpg", 3, 2, oddWidth()));
    ASSERT_EQ(loadTexture("odd.jpg ", &texture), Ok);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), texture);
    GLint wrap = 0, filter = 0, w = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    EXPECT_EQ(wrap, GL_REPEAT);
    EXPECT_EQ(filter, GL_LINEAR);
    EXPECT_EQ(w, 3);
    uint8_t back[18] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, back);
    std::vector<uint8_t> rgb = oddWidth();
    for (int x = 0; x < 3; ++x) {
        SCOPED_TRACE(x);
        EXPECT_TRUE(near(back + 3 * x, rgb[size_t(9 + 3 * x)], rgb[size_t(10 + 3 * x)], rgb[size_t(11 + 3 * x)], 24));
        EXPECT_TRUE(near(back + 9 + 3 * x, rgb[size_t(3 * x)], rgb[size_t(1 + 3 * x)], rgb[size_t(2 + 3 * x)], 24));
    }
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);  // the GL's state is as it was
}
