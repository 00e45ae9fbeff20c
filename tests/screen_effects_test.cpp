// The screen effects on a real 800x600 context: clears, viewport, the
// blended rectangle and the screen fades, read back pixel by pixel.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>

#include "demo/timeline.h"
#include "fx/screen_effects.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

constexpr int kW = 800, kH = 600;
const test::Rgba kBackground{40, 80, 160, 255};
const test::Rgba kWhite{255, 255, 255, 255};
const test::Rgba kBlack{0, 0, 0, 255};
const test::Rgba kBlue{0, 0, 255, 255};

// What the source-alpha blend of colour with alpha a over kBackground shows.
test::Rgba over(const test::Rgba& colour, int a) {
    auto mixChannel = [a](int src, int dst) { return uint8_t((src * a + dst * (255 - a) + 127) / 255); };
    return {mixChannel(colour.r, kBackground.r), mixChannel(colour.g, kBackground.g),
            mixChannel(colour.b, kBackground.b), 255};
}

class ScreenEffects : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new test::TempDir;
        gl = new test::GlFixture(kW, kH);
    }
    static void TearDownTestSuite() {
        delete gl;
        delete dir;
    }
    void SetUp() override {
        ASSERT_TRUE(gl->ok());
        clearToBackground();
    }
    static void clearToBackground() {
        gl->clear(kBackground.r / 255.0f, kBackground.g / 255.0f, kBackground.b / 255.0f);
    }
    // The whole frame is that colour.
    static void expectEverywhere(const test::Rgba& colour, const char* what) {
        EXPECT_EQ(gl->countRgbNear(colour), kW * kH) << what << ": " << gl->pixel(400, 300);
    }
    // The state a fade that drew must leave, whatever was set before.
    static void disturbState() {
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glMatrixMode(GL_PROJECTION);
    }
    static void expectStateAfterDrawing() {
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
    }

    static test::TempDir* dir;
    static test::GlFixture* gl;
};
test::TempDir* ScreenEffects::dir = nullptr;
test::GlFixture* ScreenEffects::gl = nullptr;

template <class E>
std::unique_ptr<E> made(const char* parameters) {
    auto e = std::make_unique<E>();
    EXPECT_EQ(e->init(parameters), Ok);
    return e;
}

}  // namespace

TEST(ParseHexColour, OwnDigitRule) {
    struct Case {
        const char* text;
        uint32_t value;
    } cases[] = {
        {"FF336699", 0xFF336699u}, {"ff336699", 0x00336699u},  // lower case counts as 0
        {"FF000000 ", 0xF0000000u},                           // the blank still shifts
        {"", 0u},                  {"12345678AB", 0x345678ABu},  // only the last eight count
        {"-1", 0x00000001u},       {"0x10", 0x00000010u},
    };
    for (const Case& c : cases) EXPECT_EQ(parseHexColour(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(parseHexColour(nullptr), 0u);
}

TEST_F(ScreenEffects, ClearsFillColourOrDepthOnly) {
    made<ClearEffect>("FF336699")->render(0.0f);
    expectEverywhere({0x33, 0x66, 0x99, 255}, "bg_clear");

    glClearDepth(0.25);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    made<DepthClearEffect>("")->render(0.0f);
    float depth = 0.0f;
    glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_FLOAT_EQ(depth, 1.0f);
    expectEverywhere({0x33, 0x66, 0x99, 255}, "bg_zclear keeps the colour");
}

TEST_F(ScreenEffects, WhiteFlashFadesOutOverItsDuration) {
    auto flash = made<WhiteFlashEffect>("2");
    EXPECT_EQ(flash->duration, 2.0f);
    EXPECT_EQ(flash->rectangle.right, float(kW));
    EXPECT_EQ(flash->rectangle.bottom, float(kH));

    disturbState();
    flash->render(0.0f);
    expectEverywhere(kWhite, "t=0");
    expectStateAfterDrawing();

    clearToBackground();
    flash->render(1.0f);
    expectEverywhere(over(kWhite, 127), "t=1: alpha 127");

    for (float t : {2.0f, 3.0f}) {
        clearToBackground();
        disturbState();
        flash->render(t);
        expectEverywhere(kBackground, "from t=2 nothing");
        EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST)) << "changes nothing at t=" << t;
        EXPECT_TRUE(glIsEnabled(GL_BLEND));
    }
}

TEST_F(ScreenEffects, BlackSmousseDipsThroughBlack) {
    auto dip = made<BlackSmousseEffect>("2");
    struct Case {
        float t;
        test::Rgba seen;
    } cases[] = {
        {0.0f, kBackground},        // alpha 0: nothing drawn
        {0.5f, over(kBlack, 127)},  // on the way down
        {1.0f, kBlack},             // alpha 255 at half the duration
        {1.5f, over(kBlack, 127)},
        {2.0f, kBackground},        // from the duration on, nothing
    };
    for (const Case& c : cases) {
        clearToBackground();
        dip->render(c.t);
        EXPECT_EQ(gl->countRgbNear(c.seen), kW * kH) << "t=" << c.t << ": " << gl->pixel(0, 0);
    }
}

TEST_F(ScreenEffects, FadeInAndWhiteFadeInRunOppositeWays) {
    auto fadeIn = made<FadeInEffect>("4");
    auto whiteIn = made<WhiteFadeInEffect>("");  // no number: one second
    EXPECT_EQ(whiteIn->duration, 1.0f);

    fadeIn->render(0.0f);
    expectEverywhere(kBlack, "fade in starts black");
    clearToBackground();
    fadeIn->render(3.0f);  // mix 0.75: alpha trunc(0.25 * 255) = 63
    expectEverywhere(over(kBlack, 63), "fade in at 3/4");

    clearToBackground();
    whiteIn->render(0.0f);
    expectEverywhere(kBackground, "white fade in starts clear");
    clearToBackground();
    whiteIn->render(0.75f);  // alpha trunc(0.75 * 255) = 191
    expectEverywhere(over(kWhite, 191), "white fade in at 3/4");
}

TEST_F(ScreenEffects, RectBlendDrawsExactlyItsRectangle) {
    auto rect = made<RectBlendEffect>("10 110 20 70 FF0000FF 00FF0000");
    rect->setParam(2, 1.0f);  // not the mix
    disturbState();
    rect->render(123.0f);
    EXPECT_EQ(gl->countRgbNear(kBlue, 10, 20, 110, 70, 0), 100 * 50);
    EXPECT_EQ(gl->countRgbNear(kBlue, 0), 100 * 50);
    EXPECT_EQ(gl->pixel(10, 20), kBlue);
    EXPECT_EQ(gl->pixel(109, 69), kBlue);
    EXPECT_TRUE(gl->pixel(9, 20).rgbNear(kBackground));
    EXPECT_TRUE(gl->pixel(110, 69).rgbNear(kBackground));
    EXPECT_TRUE(gl->pixel(10, 70).rgbNear(kBackground));
    expectStateAfterDrawing();

    clearToBackground();
    rect->setParam(3, 1.0f);
    rect->render(0.0f);
    expectEverywhere(kBackground, "mix 1: alpha 0");

    // A mix beyond the ends holds each channel to its byte range instead of
    // wrapping round into another colour.
    for (float m : {-1.0f, 2.0f}) {
        clearToBackground();
        rect->setParam(3, m);
        rect->render(0.0f);
        EXPECT_EQ(gl->countRgbNear(kBlue, 0), m < 0 ? 100 * 50 : 0) << "mix " << m;
    }
}

TEST_F(ScreenEffects, ViewportConfinesTheLayersAfterIt) {
    // Through the timeline, as the production uses it: a viewport layer,
    // then a full-screen flash layer.
    class Script : public Timeline {
    public:
        void onPartStart(float start, int32_t part) override {
            if (part != 0) return;
            setLayerTemplate(start, 1);
            addLayer(createEffect("set_viewport", "400 800 0 300"), false);
            addLayer(createEffect("fx_whiteflash", "1"), false);
        }
    } script;
    script.registry.registerStandardEffects();
    script.addPart(0.0f, 0);
    script.addPart(5.0f, 1);
    script.preload();
    ASSERT_EQ(script.pool.size(), 2u);
    ASSERT_NE(script.pool.back(), nullptr);

    script.advance(0.0f);
    glViewport(0, 0, kW, kH);
    EXPECT_EQ(gl->countRgbNear(kWhite, 400, 300, 800, 600, 0), 400 * 300);  // lower right quarter
    EXPECT_EQ(gl->countRgbNear(kWhite, 0), 400 * 300);
    EXPECT_TRUE(gl->pixel(399, 300).rgbNear(kBackground));
    EXPECT_TRUE(gl->pixel(400, 299).rgbNear(kBackground));
}
