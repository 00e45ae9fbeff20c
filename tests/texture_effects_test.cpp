// The texture effects and the effects' random generator, drawn into the
// headless GL fixture from small JPEG pictures written in a TempDir.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "fx/random.h"
#include "fx/texture_effects.h"
#include "tests/support/asset_bytes.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

using test::Rgba;

const Rgba kBlack{0, 0, 0, 255};
const Rgba kRed{255, 0, 0, 255};
const Rgba kGreen{0, 255, 0, 255};
const Rgba kBlue{0, 0, 255, 255};
const Rgba kWhite{255, 255, 255, 255};

void writeSolid(const std::string& path, uint8_t r, uint8_t g, uint8_t b, int size = 16) {
    std::vector<uint8_t> rgb;
    for (int i = 0; i < size * size; ++i) rgb.insert(rgb.end(), {r, g, b});
    ASSERT_TRUE(test::writeJpeg(path, size, size, rgb));
}

// Top-left red, top-right green, bottom-left blue, bottom-right white.
void writeQuadrants(const std::string& path, int size = 32) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            bool right = x >= size / 2, bottom = y >= size / 2;
            if (!bottom && !right) rgb.insert(rgb.end(), {255, 0, 0});
            if (!bottom && right) rgb.insert(rgb.end(), {0, 255, 0});
            if (bottom && !right) rgb.insert(rgb.end(), {0, 0, 255});
            if (bottom && right) rgb.insert(rgb.end(), {255, 255, 255});
        }
    }
    ASSERT_TRUE(test::writeJpeg(path, size, size, rgb));
}

bool near(const Rgba& c, const Rgba& want, int tolerance = 12) { return c.near(want, tolerance); }

// Leaves the generator so that its next draw r gives the plate's jitter j.
void arrangeJitter(int j) {
    for (;;) {
        uint32_t before = randomState();
        int32_t r = nextRandom();
        if ((4 * r) / kRandomMax - 2 == j) {
            setRandomState(before);
            return;
        }
    }
}

}  // namespace

TEST(EffectRandom, ClassicSequenceFromStateOne) {
    // A fresh process starts at state 1 without anyone seeding it.
    test::ChildResult child = test::runChild([] {
        const int32_t want[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
        for (int32_t w : want)
            if (nextRandom() != w) _exit(1);
    });
    EXPECT_TRUE(child.exited);
    EXPECT_EQ(child.status, 0) << child.output;

    setRandomState(1);
    EXPECT_EQ(nextRandom(), 41);
    for (int i = 0; i < 10000; ++i) {
        int32_t r = nextRandom();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, kRandomMax);
    }
}

TEST(BackgroundTexture, AlphaThroughId51) {
    test::TempDir dir;
    test::GlFixture gl(160, 120);
    ASSERT_TRUE(gl.ok());
    writeSolid("bg.jpg", 200, 100, 40);
    BackgroundTextureEffect fx;
    ASSERT_EQ(fx.init("bg.jpg"), Ok);
    EXPECT_EQ(fx.alpha, 1.0f);

    // 0.25 fades to alpha 0.75 over the cleared picture.
    fx.setParam(51, 0.25f);
    EXPECT_FLOAT_EQ(fx.alpha, 0.75f);
    gl.clear(0, 0, 0);
    fx.render(0);
    EXPECT_TRUE(near(gl.pixel(80, 60), {150, 75, 30, 255}, 6)) << gl.pixel(80, 60);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    // 0 draws opaque; the picture covers the whole viewport.
    fx.setParam(51, 0.0f);
    EXPECT_EQ(fx.alpha, 1.0f);
    gl.clear(0, 0, 1);
    fx.render(0);
    EXPECT_EQ(gl.countNear({200, 100, 40, 255}, 0, 0, 160, 120, 6), 160 * 120);

    // 1 makes it fully transparent; other ids change nothing.
    fx.setParam(51, 1.0f);
    fx.setParam(50, 0.5f);
    gl.clear(0, 0, 1);
    fx.render(0);
    EXPECT_EQ(gl.pixel(80, 60), (Rgba{0, 0, 255, 255}));

    // The state handed on: depth testing and depth writes on, no texturing or blending.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_TRUE(mask);
}

TEST(BackgroundTexture, MissingPictureIsAnIoError) {
    test::TempDir dir;
    test::GlFixture gl(64, 48);
    ASSERT_TRUE(gl.ok());
    BackgroundTextureEffect fx;
    EXPECT_EQ(fx.init("missing.jpg"), IoError);
}

TEST(CrossFade, MixSelectsThePictures) {
    test::TempDir dir;
    test::GlFixture gl(160, 120);
    ASSERT_TRUE(gl.ok());
    writeSolid("a.jpg", 255, 0, 0);
    writeSolid("b.jpg", 0, 0, 255);
    CrossFadeEffect fx;
    ASSERT_EQ(fx.init("a.jpg b.jpg"), Ok);
    EXPECT_EQ(fx.mix, 0.0f);

    struct Case {
        float mix;
        Rgba want;
    } cases[] = {{0.0f, kRed}, {0.5f, {127, 0, 127, 255}}, {1.0f, kBlue}};
    for (const Case& c : cases) {
        fx.setParam(1, c.mix);
        gl.clear(0, 1, 0);
        // Blending left on by an earlier layer must not show through picture A.
        glEnable(GL_BLEND);
        glBlendFunc(GL_ZERO, GL_ONE);
        fx.render(0);
        EXPECT_TRUE(near(gl.pixel(80, 60), c.want, 6)) << "mix " << c.mix << ": " << gl.pixel(80, 60);
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    }
}

TEST(CrossFade, NeedsTwoPictures) {
    test::TempDir dir;
    test::GlFixture gl(64, 48);
    ASSERT_TRUE(gl.ok());
    writeSolid("a.jpg", 255, 0, 0);
    for (const char* parameters : {"", "   ", "a.jpg"}) {
        CrossFadeEffect fx;
        EXPECT_EQ(fx.init(parameters), Failed) << '"' << parameters << '"';
    }
    CrossFadeEffect fx;
    EXPECT_EQ(fx.init("a.jpg missing.jpg"), IoError);
}

namespace {
// Changes from the left half's colour to the right half's along a row, or
// from the top half's to the bottom half's down a column: one per copy.
int countCopies(const test::GlFixture& gl, bool across, int at) {
    int copies = 0;
    bool inFirst = false;
    int length = across ? gl.width() : gl.height();
    for (int k = 0; k < length; ++k) {
        Rgba c = across ? gl.pixel(k, at) : gl.pixel(at, k);
        // Red starts a copy both across (red, green) and up (red over blue).
        bool first = c.r > 160 && c.g < 100 && c.b < 100;
        if (first && !inFirst) ++copies;
        inFirst = first;
    }
    return copies;
}
}  // namespace

TEST(TiledCrossFade, RepeatsScreenSizeOverTileSize) {
    test::TempDir dir;
    test::GlFixture gl(800, 600);
    ASSERT_TRUE(gl.ok());
    writeQuadrants("a.jpg");
    writeSolid("b.jpg", 0, 0, 0);
    struct Case {
        int tile;
        int across, up;
    } cases[] = {{100, 8, 6}, {256, 3, 2}};
    for (const Case& c : cases) {
        TiledCrossFadeEffect fx;
        std::string parameters = "a.jpg " + std::to_string(c.tile) + " b.jpg 64";
        ASSERT_EQ(fx.init(parameters.c_str()), Ok);
        EXPECT_EQ(fx.repeatsAcross(c.tile), uint32_t(c.across));
        EXPECT_EQ(fx.repeatsUp(c.tile), uint32_t(c.up));
        gl.clear(0, 0, 0);
        fx.render(0);
        // A row through the top quarter of the first copy row (red, green
        // halves) and a column through the left quarter of the first column.
        int copyHeight = 600 / c.up, copyWidth = 800 / c.across;
        EXPECT_EQ(countCopies(gl, true, copyHeight / 4), c.across) << "tile " << c.tile;
        EXPECT_EQ(countCopies(gl, false, copyWidth / 4), c.up) << "tile " << c.tile;
    }
}

TEST(TiledCrossFade, RejectsMissingFieldsAndTileSizesBelowOne) {
    test::TempDir dir;
    test::GlFixture gl(64, 48);
    ASSERT_TRUE(gl.ok());
    writeSolid("a.jpg", 255, 0, 0);
    for (const char* parameters : {"", "a.jpg 100", "a.jpg 100 a.jpg", "a.jpg 0 a.jpg 100", "a.jpg 100 a.jpg -5"}) {
        TiledCrossFadeEffect fx;
        EXPECT_EQ(fx.init(parameters), Failed) << parameters;
    }
}

TEST(TextureRect, FadeAndQuarterTurn) {
    test::TempDir dir;
    test::GlFixture gl(800, 600);
    ASSERT_TRUE(gl.ok());
    writeQuadrants("q.jpg");
    TextureRectEffect fx;
    ASSERT_EQ(fx.init("FFFFFFFF 0.25 0.75 0.25 0.75 q.jpg"), Ok);
    EXPECT_EQ(fx.colour, 0xFFFFFFFFu);
    EXPECT_EQ(fx.left, 0.25f);
    EXPECT_EQ(fx.bottom, 0.75f);

    // Upright over the middle quarter: x 200..600, y 150..450.
    gl.clear(0, 0, 0);
    fx.render(0);
    EXPECT_TRUE(near(gl.pixel(300, 225), kRed)) << gl.pixel(300, 225);
    EXPECT_TRUE(near(gl.pixel(500, 225), kGreen)) << gl.pixel(500, 225);
    EXPECT_TRUE(near(gl.pixel(300, 375), kBlue)) << gl.pixel(300, 375);
    EXPECT_TRUE(near(gl.pixel(500, 375), kWhite)) << gl.pixel(500, 375);
    EXPECT_EQ(gl.pixel(150, 300), kBlack);
    EXPECT_EQ(gl.pixel(400, 100), kBlack);

    // A quarter turn counter-clockwise: the top-left corner goes to the bottom left.
    fx.setParam(2, 0.25f);
    EXPECT_FLOAT_EQ(fx.angle, 6.2831855f * 0.25f);
    gl.clear(0, 0, 0);
    fx.render(0);
    EXPECT_TRUE(near(gl.pixel(300, 375), kRed)) << gl.pixel(300, 375);
    EXPECT_TRUE(near(gl.pixel(300, 225), kGreen)) << gl.pixel(300, 225);
    EXPECT_TRUE(near(gl.pixel(500, 375), kBlue)) << gl.pixel(500, 375);
    EXPECT_TRUE(near(gl.pixel(500, 225), kWhite)) << gl.pixel(500, 225);

    // Fade 1 scales the alpha to 0: nothing is drawn.
    fx.setParam(1, 1.0f);
    gl.clear(0, 0, 0);
    fx.render(0);
    EXPECT_EQ(gl.countNear(kBlack, 0, 0, 800, 600, 0), 800 * 600);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST(TextureRect, AdditiveAndFadedColour) {
    test::TempDir dir;
    test::GlFixture gl(160, 120);
    ASSERT_TRUE(gl.ok());
    writeSolid("w.jpg", 255, 255, 255);
    TextureRectEffect fx;
    ASSERT_EQ(fx.init("FF804000 0 1 0 1 w.jpg"), Ok);
    fx.setParam(1, 0.5f);  // trunc(0.5 x channel): 7F 40 20 00, added at alpha 127
    gl.clear(0, 0, 0.25f);
    fx.render(0);
    EXPECT_TRUE(near(gl.pixel(80, 60), {32, 16, 64, 255}, 3)) << gl.pixel(80, 60);
    // Fades past 1 draw nothing instead of wrapping the alpha byte.
    fx.setParam(1, 2.0f);
    gl.clear(0, 0, 0);
    fx.render(0);
    EXPECT_EQ(gl.pixel(80, 60), kBlack);
    TextureRectEffect missing;
    EXPECT_EQ(missing.init("FFFFFFFF 0 1 0"), Failed);
}

TEST(TextPlate, SwingsWithProgressAndJitter) {
    test::TempDir dir;
    test::GlFixture gl(800, 600);
    ASSERT_TRUE(gl.ok());
    writeQuadrants("text.jpg");
    TextPlateEffect fx;
    // The script writes its text paths with one trailing blank.
    ASSERT_EQ(fx.init("text.jpg "), Ok);
    EXPECT_EQ(fx.x, 2.0f);
    EXPECT_EQ(fx.y, 2.0f);

    // t = 0.5 with j = 0: unrotated over (2, 2)-(3, 3) of the 5 x 5 grid,
    // x 320..480 and y 240..360 on screen.
    arrangeJitter(0);
    gl.clear(0, 0, 0);
    fx.render(0.5f);
    EXPECT_EQ(fx.angle, 0.0f);
    EXPECT_TRUE(near(gl.pixel(340, 260), kRed)) << gl.pixel(340, 260);
    EXPECT_TRUE(near(gl.pixel(460, 340), kWhite)) << gl.pixel(460, 340);
    EXPECT_EQ(gl.pixel(300, 300), kBlack);
    EXPECT_EQ(gl.pixel(500, 300), kBlack);

    // t = 0 with j = 0: turned by -30 degrees about the lower-left corner,
    // which carries the plate's centre (2.5, 2.5) to about (3.42, 0.92).
    arrangeJitter(0);
    gl.clear(0, 0, 0);
    fx.render(0.0f);
    EXPECT_EQ(fx.angle, -30.0f);
    EXPECT_EQ(gl.pixel(400, 300), kBlack);
    EXPECT_NE(gl.pixel(546, 490), kBlack);

    // The jitter adds -2 to 1 degrees.
    struct Case {
        int jitter;
        float t;
        float angle;
    } cases[] = {{-2, 0.5f, -2.0f}, {-1, 1.0f, 29.0f}, {1, 0.25f, -14.0f}};
    for (const Case& c : cases) {
        arrangeJitter(c.jitter);
        fx.render(c.t);
        EXPECT_FLOAT_EQ(fx.angle, c.angle) << "j " << c.jitter;
    }
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}
