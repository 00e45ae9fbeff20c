// The hypercube, the square grid, the spinning card, the cube tunnel and the
// line fan, on the headless GL fixture.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fx/geometry_effects.h"
#include "fx/hypercube_effect.h"
#include "fx/random.h"
#include "tests/support/asset_bytes.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

using test::Rgba;

void expectVector(const Vector3& v, float x, float y, float z, float tolerance = 1e-4f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

// The bounding box of every pixel that is not the cleared black.
struct Extent {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    int width() const { return x1 < x0 ? 0 : x1 - x0 + 1; }
    int height() const { return y1 < y0 ? 0 : y1 - y0 + 1; }
};
Extent drawnExtent(const test::GlFixture& gl) {
    Extent e;
    std::vector<Rgba> all = gl.pixels();
    for (int y = 0; y < gl.height(); ++y) {
        for (int x = 0; x < gl.width(); ++x) {
            const Rgba& c = all[size_t(y * gl.width() + x)];
            if (c.r || c.g || c.b) {
                e.x0 = std::min(e.x0, x), e.x1 = std::max(e.x1, x);
                e.y0 = std::min(e.y0, y), e.y1 = std::max(e.y1, y);
            }
        }
    }
    return e;
}

void writeWhiteJpeg(const char* path) {
    std::vector<uint8_t> rgb(16 * 16 * 3, 255);
    ASSERT_TRUE(test::writeJpeg(path, 16, 16, rgb));
}

}  // namespace

// ---- hypercube

TEST(Hypercube, InitialFigureAndStoredPhases) {
    test::GlFixture gl(160, 120);
    ASSERT_TRUE(gl.ok());
    HypercubeEffect fx;
    ASSERT_EQ(fx.init("3FFF0000 2FFF7F00 6FFFFF00 10.0 2.75 1"), Ok);
    EXPECT_EQ(fx.innerColour, 0x3FFF0000u);
    EXPECT_EQ(fx.outerColour, 0x2FFF7F00u);
    EXPECT_EQ(fx.lineColour, 0x6FFFFF00u);
    EXPECT_EQ(fx.pointSize, 10.0f);
    EXPECT_EQ(fx.lineWidth, 2.75f);
    EXPECT_EQ(fx.mode, 1);
    EXPECT_EQ(fx.size, 1.0f);
    expectVector(fx.axis, 1, 1, 1, 0);
    // (-cos(-1), -cos(-1), -sin(-1)) for the first render.
    expectVector(fx.innerCentre(), -0.5403f, -0.5403f, 0.8415f);
    gl.clear(0, 0, 0);
    fx.render(0.25f);
    EXPECT_FLOAT_EQ(fx.phaseX, 1.6f);
    EXPECT_FLOAT_EQ(fx.phaseY, 1.6f);
    EXPECT_FLOAT_EQ(fx.phaseZ, 1.6f);
    expectVector(fx.innerCentre(), -std::cos(1.6f), -std::cos(1.6f), -std::sin(1.6f));
    // "%i" takes hexadecimal and octal notations too.
    HypercubeEffect hex;
    hex.init("0 0 0 1 1 0x10");
    EXPECT_EQ(hex.mode, 16);
}

TEST(Hypercube, AxisWalksTheCornerTable) {
    HypercubeEffect fx;
    fx.init("001F1F1F 001F1F1F 001F1F1F 1.0 2.0 0");
    const float corners[8][3] = {{1, 1, 1}, {1, 1, -1}, {1, -1, -1}, {1, -1, 1},
                                 {-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}};
    for (int step = 1; step <= 8; ++step) {
        fx.setParam(1, 0.99f);  // only exactly 1.0 steps
        fx.setParam(1, 1.0f);
        int index = step % 8;
        EXPECT_EQ(fx.cornerIndex, index);
        expectVector(fx.axis, corners[index][0], corners[index][1], corners[index][2], 0);
    }
}

TEST(Hypercube, ColourRotationsAndAlphaSteps) {
    HypercubeEffect fx;
    fx.init("3FFF0000 2FFF7F00 6FFFFF00 10.0 2.75 1");
    fx.setParam(0, 0.04f);
    fx.setParam(0, 0.05f);
    EXPECT_EQ(fx.innerColour, 0x3FFF0000u);
    fx.setParam(0, 0.045f);
    EXPECT_EQ(fx.innerColour, 0x3FFFFF00u);
    EXPECT_EQ(fx.outerColour, 0x3FFF0000u);
    EXPECT_EQ(fx.lineColour, 0x6FFF7F00u);

    // A zero outer colour only exchanges inner and line red, green, blue.
    HypercubeEffect swap;
    swap.init("3F0000FF 00000000 6F00005F 10.0 2.75 1");
    swap.rotateColours();
    EXPECT_EQ(swap.innerColour, 0x3F00005Fu);
    EXPECT_EQ(swap.outerColour, 0u);
    EXPECT_EQ(swap.lineColour, 0x6F0000FFu);

    struct Case {
        int id;
        uint32_t start;
        float value;
        uint32_t after;
    } cases[] = {
        {4, 0x5E123456, 0.5f, 0x5F123456},  // 94 -> 95
        {4, 0x5F123456, 0.5f, 0x10123456},  // 95 -> 16
        {4, 0x5E123456, 0.04f, 0x5E123456}, // not above 0.04
        {5, 0x00ABCDEF, 1.0f, 0x01ABCDEF},
        {5, 0x9900FF00, 1.0f, 0x1000FF00},
        {6, 0xFE00FF00, 1.0f, 0xFF00FF00},
        {6, 0xFF00FF00, 1.0f, 0x7F00FF00},  // 255 -> 127
    };
    for (const Case& c : cases) {
        HypercubeEffect h;
        h.init("0 0 0 1 1 0");
        uint32_t* target = c.id == 4 ? &h.innerColour : c.id == 5 ? &h.outerColour : &h.lineColour;
        *target = c.start;
        h.setParam(c.id, c.value);
        EXPECT_EQ(*target, c.after) << "id " << c.id << " from " << std::hex << c.start;
    }
    // Ids 2 and beyond 6 change nothing.
    HypercubeEffect same;
    same.init("3FFF0000 2FFF7F00 6FFFFF00 10.0 2.75 1");
    same.setParam(2, 1.0f);
    same.setParam(7, 1.0f);
    same.setParam(-1, 1.0f);
    EXPECT_EQ(same.innerColour, 0x3FFF0000u);
    EXPECT_EQ(same.size, 1.0f);
    EXPECT_EQ(same.cornerIndex, 0);
}

TEST(Hypercube, SizeScalesTheFigure) {
    test::GlFixture gl(400, 300);
    ASSERT_TRUE(gl.ok());
    HypercubeEffect fx;
    fx.init("001F1F1F 001F1F1F 00FFFFFF 1.0 1.0 0");
    gl.clear(0, 0, 0);
    fx.render(0);
    Extent full = drawnExtent(gl);
    // Mode 0 draws opaque: the alpha bytes of 0 do not hide anything.
    EXPECT_EQ(gl.pixel((full.x0 + full.x1) / 2, full.y0 + 3), (Rgba{0x1F, 0x1F, 0x1F, 255}));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_POINT_SMOOTH));
    EXPECT_FALSE(glIsEnabled(GL_LINE_SMOOTH));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    fx.setParam(3, 0.5f);
    EXPECT_EQ(fx.size, 0.5f);
    fx.phaseX = fx.phaseY = fx.phaseZ = -1.0f;
    gl.clear(0, 0, 0);
    fx.render(0);
    Extent half = drawnExtent(gl);
    EXPECT_NEAR(double(half.width()) / full.width(), 0.5, 0.05) << full.width() << " " << half.width();
    EXPECT_NEAR(double(half.height()) / full.height(), 0.5, 0.05);

    // Size 0 collapses each cube onto a point: only the joining lines
    // between the two points are left, no faces.
    fx.setParam(3, 1.0f);
    EXPECT_EQ(fx.size, 0.0f);
    gl.clear(0, 0, 0);
    fx.render(0);
    Extent none = drawnExtent(gl);
    int drawn = 400 * 300 - gl.countNear({0, 0, 0, 255}, 0, 0, 400, 300, 0);
    EXPECT_GT(drawn, 0);
    EXPECT_LE(drawn, 2 * (none.width() + none.height()));
}

TEST(Hypercube, AdditiveModeAddsOntoThePicture) {
    test::GlFixture gl(160, 120);
    ASSERT_TRUE(gl.ok());
    HypercubeEffect fx;
    fx.init("80400000 00000000 00000000 1.0 1.0 1");
    gl.clear(0, 0, 0.5f);
    fx.render(0);
    // Inner faces add 0x40 * 128/255 of red; the blue below stays.
    Rgba centre = gl.pixel(80, 60);
    EXPECT_GT(centre.r, 20);
    EXPECT_NEAR(centre.b, 128, 2);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

// ---- square grid

TEST(SquareGrid, PointsAfterInitAndAfterAParameter) {
    SquareGridEffect fx;
    ASSERT_EQ(fx.init("1.0 1.0 80FF00FF "), Ok);
    EXPECT_EQ(fx.speedX, 1.0f);
    EXPECT_EQ(fx.colour, 0x80FF00FFu);
    expectVector(fx.points[0], -12, -8, 0, 0);
    expectVector(fx.points[9], -10, -6, 0, 0);
    expectVector(fx.points[95], 10, 6, 0, 0);

    fx.setParam(0, 0.9f);
    fx.setParam(17, 0.5f);  // any id; only the last value counts
    expectVector(fx.points[9], 38, -6, 0);
    expectVector(fx.points[0], -12, 20, 0);
    expectVector(fx.points[1], -12, -6, 0, 0);
    expectVector(fx.points[8], -10, -8, 0, 0);  // odd column, even row

    SquareGridEffect slow;
    slow.init("-1.0 -1.0 800F0F80 ");
    slow.setParam(0, 0.25f);
    expectVector(slow.points[95], 10 - 24, 6, 0);
    expectVector(slow.points[80], 8, -8 - 14, 0);  // column 10, row 0
    expectVector(slow.points[94], 10, 4, 0, 0);       // odd column, even row
}

TEST(SquareGrid, SpinAngleIsSharedByAllInstances) {
    test::GlFixture gl(160, 120);
    ASSERT_TRUE(gl.ok());
    SquareGridEffect a, b;
    a.init("-1.0 -1.0 800F0F80 ");
    b.init("1.0 1.0 80FF00FF ");
    const float start = SquareGridEffect::spinAngle;
    gl.clear(0, 0, 0);
    a.render(0);
    EXPECT_NEAR(SquareGridEffect::spinAngle - start, 2.4f, 1e-3f);  // 480 squares
    b.render(0);
    EXPECT_NEAR(SquareGridEffect::spinAngle - start, 4.8f, 1e-3f);
    EXPECT_TRUE(std::isfinite(SquareGridEffect::spinAngle));
    // Something is drawn, and blending is off again afterwards.
    EXPECT_NE(gl.pixel(80, 60), (Rgba{0, 0, 0, 255}));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

// The grid square by square, each under its own translate-and-rotate, as the
// reference for the batched drawing.
void drawGridSquareBySquare(const SquareGridEffect& fx, float angle) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.3333333333333333, 0.1, 200.0);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    glEnable(GL_BLEND);
    const uint32_t c = fx.colour;
    const float a = float(c >> 24) / 255.0f, r = float((c >> 16) & 255u) / 255.0f;
    const float g = float((c >> 8) & 255u) / 255.0f, b = float(c & 255u) / 255.0f;
    for (float s = 0.0f; s < 1.0f; s += 0.2f) {
        for (int i = 0; i < 12; ++i) {
            for (int j = 0; j < 8; ++j) {
                const float k = float(i + j);
                glColor4f(0.1f + k * r, 0.1f + k * g, 0.1f + k * b, a - s);
                glLoadIdentity();
                const Vector3& p = fx.points[i * 8 + j];
                glTranslatef(p.x, p.y, -20.0f);
                angle += 0.005f;
                if (i % 2 || j % 2) glRotatef(angle, 0.0f, float(i % 2), float(j % 2));
                glBegin(GL_POLYGON);
                glVertex3f(1 - s, 1 - s, s);
                glVertex3f(-1 - s, 1 - s, s);
                glVertex3f(-1 - s, -1 - s, s);
                glVertex3f(1 - s, -1 - s, s);
                glEnd();
            }
        }
    }
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}

TEST(SquareGrid, BatchedDrawingMatchesSquareBySquare) {
    test::GlFixture gl(320, 240);
    ASSERT_TRUE(gl.ok());
    for (const char* parameters : {"1.0 1.0 80FF00FF ", "-1.0 -1.0 800F0F80 ", "0 0 FF204060"}) {
        SquareGridEffect fx;
        ASSERT_EQ(fx.init(parameters), Ok);
        fx.setParam(0, 0.1f);
        SquareGridEffect::spinAngle = 37.0f;
        gl.clear(0.2f, 0.1f, 0.0f);
        drawGridSquareBySquare(fx, SquareGridEffect::spinAngle);
        GLfloat expectedMatrix[16], matrix[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, expectedMatrix);
        const std::vector<Rgba> expected = gl.pixels();

        gl.clear(0.2f, 0.1f, 0.0f);
        fx.render(0);
        glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
        const std::vector<Rgba> drawn = gl.pixels();
        int differing = 0;
        for (size_t n = 0; n < drawn.size(); ++n)
            if (!drawn[n].near(expected[n], 3)) ++differing;
        // Only edge pixels may round the other way.
        EXPECT_LT(differing, int(drawn.size() / 200)) << parameters;
        EXPECT_NEAR(SquareGridEffect::spinAngle, 37.0f + 2.4f, 1e-3f);
        for (int n = 0; n < 16; ++n) EXPECT_NEAR(matrix[n], expectedMatrix[n], 1e-4f) << parameters;
    }
}

// ---- spinning card

TEST(SpinningCard, CountersCycleOver861Renders) {
    test::TempDir dir;
    test::GlFixture gl(160, 120);
    ASSERT_TRUE(gl.ok());
    writeWhiteJpeg("card.jpg");
    SpinningCardEffect a, b;
    ASSERT_EQ(a.init("card.jpg"), Ok);
    ASSERT_EQ(b.init("card.jpg"), Ok);
    SpinningCardEffect::frameCounter = 0;
    SpinningCardEffect::tumbleCounter = -180;
    // Two instances advance the same counters.
    for (int i = 0; i < 500; ++i) (i % 2 ? a : b).render(0.01f * float(i % 50));
    EXPECT_EQ(SpinningCardEffect::frameCounter, 500);
    EXPECT_EQ(SpinningCardEffect::tumbleCounter, -180);
    a.render(0.5f);  // the 501st starts the tumble
    EXPECT_EQ(SpinningCardEffect::frameCounter, 500);
    EXPECT_EQ(SpinningCardEffect::tumbleCounter, -179);
    for (int i = 501; i < 860; ++i) b.render(0.5f);
    EXPECT_EQ(SpinningCardEffect::frameCounter, 500);
    EXPECT_EQ(SpinningCardEffect::tumbleCounter, 180);
    a.render(0.5f);
    EXPECT_EQ(SpinningCardEffect::frameCounter, 0);
    EXPECT_EQ(SpinningCardEffect::tumbleCounter, -180);
}

TEST(SpinningCard, DrawsBackdropBarsAndCard) {
    test::TempDir dir;
    test::GlFixture gl(800, 600);
    ASSERT_TRUE(gl.ok());
    writeWhiteJpeg("card.jpg");
    SpinningCardEffect fx;
    ASSERT_EQ(fx.init("card.jpg"), Ok);
    SpinningCardEffect::frameCounter = 0;
    SpinningCardEffect::tumbleCounter = -180;
    gl.clear(0.5f, 0.5f, 0.5f);
    fx.render(0);
    // The black backdrop fills the view; the bar at x -1.3..-1.1 (depth
    // -4.9) lands near x = 243; the card covers the centre.
    EXPECT_EQ(gl.pixel(20, 20), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(gl.pixel(243, 20), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(gl.pixel(400, 300), (Rgba{255, 255, 255, 255}));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    SpinningCardEffect missing;
    EXPECT_EQ(missing.init("nowhere.jpg"), IoError);
}

// ---- cube tunnel

TEST(CubeTunnel, TurnsGrowWithTime) {
    for (int i = 0; i < 20; ++i) {
        CubeTunnelEffect::Turn atZero = CubeTunnelEffect::turnOf(0.0f, i);
        EXPECT_EQ(atZero.angle, 0.0f);
        EXPECT_EQ(atZero.axisX, 0.0f);
        CubeTunnelEffect::Turn atOne = CubeTunnelEffect::turnOf(1.0f, i);
        EXPECT_FLOAT_EQ(atOne.angle, 72.0f);
        EXPECT_NEAR(atOne.axisX, 72.0f * std::sin(float(i)), 1e-3f);
    }
    EXPECT_EQ(CubeTunnelEffect::turnOf(1.0f, 0).axisX, 0.0f);  // the first cube never turns
}

TEST(CubeTunnel, AddsCubesWithoutPoisoningLaterFrames) {
    test::GlFixture gl(160, 120);
    ASSERT_TRUE(gl.ok());
    CubeTunnelEffect fx;
    ASSERT_EQ(fx.init(""), Ok);
    gl.clear(0, 0, 0);
    fx.render(0);
    std::vector<Rgba> atZero = gl.pixels();
    EXPECT_NE(gl.pixel(80, 60), (Rgba{0, 0, 0, 255}));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    // Zero-axis turns leave nothing behind: a later frame at t = 0 is the same.
    gl.clear(0, 0, 0);
    fx.render(1.5f);
    gl.clear(0, 0, 0);
    fx.render(0);
    EXPECT_EQ(gl.pixels(), atZero);
}

// ---- line fan

TEST(LineFan, InitDrawsItsColourAndSetsTheMatrices) {
    test::GlFixture gl(160, 120);
    ASSERT_TRUE(gl.ok());
    setRandomState(1);
    LineFanEffect fx;
    ASSERT_EQ(fx.init(""), Ok);
    EXPECT_FLOAT_EQ(fx.red, 41 * 3.0518509e-05f);
    EXPECT_FLOAT_EQ(fx.green, 18467 * 3.0518509e-05f);
    EXPECT_FLOAT_EQ(fx.blue, 6334 * 3.0518509e-05f);
    EXPECT_EQ(nextRandom(), 26500);
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5], 1.0f, 1e-5f);  // 90 degrees
    EXPECT_NEAR(projection[0], 1.0f, 1e-5f);  // aspect 1
}

TEST(LineFan, DegenerateLookAtAtTimeZero) {
    test::GlFixture gl(160, 120);
    ASSERT_TRUE(gl.ok());
    LineFanEffect fx;
    fx.init("");
    fx.red = fx.green = fx.blue = 1.0f;
    EXPECT_FALSE(LineFanEffect::lookAtUsable(0.0f));
    EXPECT_TRUE(LineFanEffect::lookAtUsable(10.0f));

    // Under the background's unit-square view, as in the script.
    auto frame = [&](float t) {
        gl.clear(0, 0, 0);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glOrtho(0, 1, 0, 1, 0, -1);
        fx.render(t);
    };
    frame(10.0f);
    std::vector<Rgba> fresh = gl.pixels();
    frame(0.0f);
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (float v : modelview) EXPECT_TRUE(std::isfinite(v));
    EXPECT_NEAR(modelview[0], 2.0f, 1e-5f);  // the unit-square matrix, restored
    EXPECT_NE(gl.countNear({0, 0, 0, 255}, 0, 0, 160, 120, 0), 160 * 120);  // the fan is drawn
    frame(10.0f);
    EXPECT_EQ(gl.pixels(), fresh);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST(SolidCube, EdgeTenCentredAtTheOrigin) {
    test::GlFixture gl(100, 100);
    ASSERT_TRUE(gl.ok());
    gl.clear(0, 0, 0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10, 10, -10, 10, -20, 20);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_CULL_FACE);  // only front faces: counter-clockwise from outside
    glColor3f(1, 1, 1);
    drawSolidCube(10.0f);
    glDisable(GL_CULL_FACE);
    // The square from -5 to 5 covers pixels 25..74.
    EXPECT_EQ(gl.countNear({255, 255, 255, 255}, 0, 0, 100, 100, 0), 50 * 50);
    EXPECT_EQ(gl.pixel(25, 25), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(gl.pixel(24, 50), (Rgba{0, 0, 0, 255}));
}
