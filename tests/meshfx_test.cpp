// The mesh, spline and camera effects on the headless GL fixture, with a
// 3DS scene written byte by byte and small .spl files in a TempDir.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fx/registry.h"
#include "meshfx/camera_effect.h"
#include "meshfx/mesh_effect.h"
#include "meshfx/spline_effect.h"
#include "tests/support/asset_bytes.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

using test::Bytes;
using test::Rgba;

const Rgba kBlack{0, 0, 0, 255};

Bytes point(float x, float y, float z) { return test::f32(x) + test::f32(y) + test::f32(z); }

// One object: a triangle facing +z (counter-clockwise seen from the front).
Bytes triangle3ds() {
    Bytes vertices = test::le16(3) + point(-0.5f, -0.5f, 0) + point(0.5f, -0.5f, 0) + point(0, 0.5f, 0);
    Bytes faces = test::le16(1) + test::le16(0) + test::le16(1) + test::le16(2) + test::le16(0);
    Bytes mesh = test::chunk(0x4100, test::chunk(0x4110, vertices) + test::chunk(0x4120, faces));
    return test::chunk(0x4D4D, test::chunk(0x3D3D, test::chunk(0x4000, test::cstr("tri") + mesh)));
}

void frontView() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void writeText(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_TRUE(f);
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

std::unique_ptr<SplinePath> pathOf(std::vector<Vector3> points) {
    return std::make_unique<SplinePath>(std::move(points));
}

void expectTrail(const std::vector<Vector3>& trail, const std::vector<float>& xs) {
    ASSERT_EQ(trail.size(), xs.size());
    for (size_t i = 0; i < xs.size(); ++i) {
        EXPECT_NEAR(trail[i].x, xs[i], 1e-5f) << "point " << i;
        EXPECT_EQ(trail[i].y, 0.0f);
        EXPECT_EQ(trail[i].z, 0.0f);
    }
}

}  // namespace

// ---- mesh

TEST(MeshEffect, DiffuseColourFromTheColourText) {
    test::TempDir dir;
    test::GlFixture gl(64, 64);
    ASSERT_TRUE(gl.ok());
    ASSERT_TRUE(test::writeBytes("tri.3ds", triangle3ds()));
    struct Case {
        const char* parameters;
        float rgba[4];
    } cases[] = {
        {"FF00FF00 tri.3ds ", {0, 1, 0, 1}},
        {"FFFFFFFF tri.3ds ", {1, 1, 1, 1}},
        {"80FF0000 tri.3ds", {1, 0, 0, 128.0f / 255.0f}},
    };
    for (const Case& c : cases) {
        MeshEffect fx;
        ASSERT_EQ(fx.init(c.parameters), Ok) << c.parameters;
        EXPECT_NE(fx.displayList, 0u);
        frontView();
        fx.render(0);
        float material[4];
        glGetMaterialfv(GL_FRONT, GL_DIFFUSE, material);
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(material[k], c.rgba[k], 1e-6f) << c.parameters << " " << k;
    }
}

TEST(MeshEffect, DrawsLitFlatAndLeavesTheStateOff) {
    test::TempDir dir;
    test::GlFixture gl(64, 64);
    ASSERT_TRUE(gl.ok());
    ASSERT_TRUE(test::writeBytes("tri.3ds", triangle3ds()));
    MeshEffect fx;
    ASSERT_EQ(fx.init("FF00FF00 tri.3ds"), Ok);
    gl.clear(0, 0, 0);
    frontView();
    const GLenum state[] = {GL_LIGHTING, GL_LIGHT0, GL_DEPTH_TEST, GL_CULL_FACE};
    for (GLenum s : state) glEnable(s);
    fx.render(0);
    for (GLenum s : state) EXPECT_FALSE(glIsEnabled(s)) << s;
    // Light from (100, 50, 50) on a face towards +z: diffuse 50 / |(100, 50, 50)|
    // of green, plus the default ambient term 0.2 x 0.2 on every channel.
    float lit = 50.0f / std::sqrt(100.0f * 100 + 50 * 50 + 50 * 50);
    Rgba centre = gl.pixel(32, 36);
    EXPECT_NEAR(centre.g, (0.04f + lit) * 255, 3) << centre;
    EXPECT_NEAR(centre.r, 0.04f * 255, 2) << centre;
    EXPECT_EQ(gl.pixel(2, 2), kBlack);

    // Seen from behind, the face is culled.
    gl.clear(0, 0, 0);
    frontView();
    glRotatef(180, 0, 1, 0);
    fx.render(0);
    EXPECT_EQ(gl.pixel(32, 36), kBlack);
}

TEST(MeshEffect, BothNamesDrawTheSameImage) {
    test::TempDir dir;
    test::GlFixture gl(64, 64);
    ASSERT_TRUE(gl.ok());
    ASSERT_TRUE(test::writeBytes("tri.3ds", triangle3ds()));
    EffectRegistry registry;
    registry.registerStandardEffects();
    std::vector<Rgba> images[2];
    const char* names[2] = {"vorn_mesh", "vorn_mesh_tour"};
    for (int k = 0; k < 2; ++k) {
        std::unique_ptr<Effect> fx(registry.instantiate(names[k], "FF00FF00 tri.3ds "));
        ASSERT_TRUE(fx) << names[k];
        EXPECT_TRUE(dynamic_cast<MeshEffect*>(fx.get()));
        gl.clear(0, 0, 0);
        frontView();
        fx->render(0);
        images[k] = gl.pixels();
    }
    EXPECT_EQ(images[0], images[1]);
    EXPECT_NE(gl.countNear(kBlack, 0, 0, 64, 64, 0), 64 * 64);
}

TEST(MeshEffect, MissingOrEmptyScenes) {
    test::TempDir dir;
    test::GlFixture gl(64, 64);
    ASSERT_TRUE(gl.ok());
    for (const char* parameters : {"FFFFFFFF missing.3ds", "FFFFFFFF", ""}) {
        MeshEffect fx;
        EXPECT_EQ(fx.init(parameters), IoError) << parameters;
    }
    // A valid file without objects compiles an empty list that draws nothing.
    ASSERT_TRUE(test::writeBytes("empty.3ds", test::chunk(0x4D4D, test::chunk(0x3D3D, ""))));
    MeshEffect fx;
    ASSERT_EQ(fx.init("FFFFFFFF empty.3ds"), Ok);
    gl.clear(0, 0, 0);
    frontView();
    glEnable(GL_LIGHTING);
    fx.render(0);
    EXPECT_EQ(gl.countNear(kBlack, 0, 0, 64, 64, 0), 64 * 64);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

// ---- spline trails

TEST(SplineEffect, TrailConstruction) {
    SplineEffect fx;
    std::unique_ptr<SplinePath> line = pathOf({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}});
    struct Case {
        float t;
        float length;
        std::vector<float> xs;
    } cases[] = {
        {0.5f, 1.5f, {2, 2, 1, 0.5f}},     // u = 2: head on point 2, shortened last segment
        {0.5f, 10.0f, {2, 2, 1, 0}},       // reaches the first point, not shortened
        {0.6f, 1.5f, {2.4f, 2, 1, 0.9f}},  // between points 2 and 3
        {0.6f, 0.2f, {2.4f, 2.2f}},        // shorter than the head segment
        {0.75f, 1.5f, {3, 3, 2, 1.5f}},    // u = 3: head held on the last point
        {1.0f, 1.5f, {3, 3, 2, 1.5f}},
        {7.0f, 1.5f, {3, 3, 2, 1.5f}},
        {0.0f, 1.5f, {0, 0}},
        {-0.5f, 1.5f, {0, 0}},  // before the start: held on the first point
        {NAN, 1.5f, {0, 0}},
    };
    for (const Case& c : cases) {
        fx.trailLength = c.length;
        fx.buildTrail(*line, c.t);
        SCOPED_TRACE("t " + std::to_string(c.t) + " length " + std::to_string(c.length));
        expectTrail(fx.trail, c.xs);
    }
    std::unique_ptr<SplinePath> dot = pathOf({{5, 0, 0}});
    fx.trailLength = 1.0f;
    for (float t : {0.0f, 0.5f, 1.0f}) {
        fx.buildTrail(*dot, t);
        expectTrail(fx.trail, {5, 5});
    }
}

TEST(SplineEffect, EchoesAndTrailAlphas) {
    SplineEffect fx;
    fx.colour = 0xC8102030;  // alpha 200
    EXPECT_TRUE(fx.echoes().empty());
    fx.setParam(6, 0.03f);  // E = 0.75: no echo
    EXPECT_TRUE(fx.echoes().empty());
    fx.setParam(6, 0.1f);  // E = 2.5: two echoes
    fx.setParam(7, 0.5f);  // 180 degrees of twist
    EXPECT_EQ(fx.echoTwist, 180.0f);
    std::vector<SplineEffect::Echo> echoes = fx.echoes();
    ASSERT_EQ(echoes.size(), 2u);
    EXPECT_EQ(echoes[0].scale, 1.0f);
    EXPECT_EQ(echoes[0].angle, 0.0f);
    EXPECT_EQ(echoes[0].alpha, 200);
    EXPECT_FLOAT_EQ(echoes[1].scale, 1.04f);
    EXPECT_FLOAT_EQ(echoes[1].angle, 7.2f);
    EXPECT_EQ(echoes[1].alpha, 50);  // (1 - 1/2) x 0.5 x 200
    fx.setParam(6, -1.0f);
    EXPECT_TRUE(fx.echoes().empty());
    fx.setParam(6, 1e12f);  // far too many to draw: none
    EXPECT_TRUE(fx.echoes().empty());
    fx.setParam(5, 1.0f);
    fx.setParam(8, 1.0f);
    EXPECT_EQ(fx.echoTwist, 180.0f);
    EXPECT_EQ(fx.colour, 0xC8102030u);

    // Mode 1 fades from head to tail; the head's (N / (N - 1)) x A is held at 255.
    EXPECT_EQ(SplineEffect::fadeAlpha(0, 4, 255), 255);
    EXPECT_EQ(SplineEffect::fadeAlpha(0, 4, 150), 200);
    EXPECT_EQ(SplineEffect::fadeAlpha(1, 4, 150), 150);
    EXPECT_EQ(SplineEffect::fadeAlpha(3, 4, 150), 50);
    EXPECT_EQ(SplineEffect::fadeAlpha(0, 2, 200), 255);
    EXPECT_EQ(SplineEffect::fadeAlpha(1, 2, 200), 200);
}

TEST(SplineEffect, ReaderChosenByTheFileName) {
    EXPECT_TRUE(SplineEffect::readsBinary("camera.bspl"));
    EXPECT_TRUE(SplineEffect::readsBinary("CAMERA.BSPL"));
    EXPECT_TRUE(SplineEffect::readsBinary("b123"));
    EXPECT_FALSE(SplineEffect::readsBinary("./data/etoile-donuts/camera_line_droit2.spl"));
    EXPECT_FALSE(SplineEffect::readsBinary("abc"));
    EXPECT_FALSE(SplineEffect::readsBinary(""));

    test::TempDir dir;
    writeText("two.spl", "2\n2 0 0 0 10 0 0\n3 0 0 0 0 1 0 0 2 0\n");
    std::unique_ptr<SplinePath> a = pathOf({{0, 0, 0}, {1, 2, 3}});
    FILE* f = std::fopen("one.bspl", "wb");
    ASSERT_TRUE(f);
    std::fwrite(test::le32(1).data(), 1, 4, f);
    a->write(f, 2);
    std::fclose(f);

    SplineEffect text, binary, missing;
    EXPECT_EQ(text.init("FF00FF00  2.0  two.spl  0  1.5"), Ok);
    EXPECT_EQ(text.colour, 0xFF00FF00u);
    EXPECT_EQ(text.lineWidth, 2.0f);
    EXPECT_EQ(text.mode, 0);
    EXPECT_EQ(text.trailLength, 1.5f);
    EXPECT_EQ(text.paths.size(), 2);
    EXPECT_EQ(binary.init("FF00FF00 2.0 one.bspl 2 1.5"), Ok);
    ASSERT_EQ(binary.paths.size(), 1);
    EXPECT_EQ(binary.paths[0]->pointCount(), 2);
    EXPECT_EQ(missing.init("FF00FF00 2.0 missing.spl 0 1.5"), Ok);
    EXPECT_EQ(missing.paths.size(), 0);
}

TEST(SplineEffect, DrawsTrailsAndWholePaths) {
    test::GlFixture gl(100, 100);
    ASSERT_TRUE(gl.ok());
    SplineEffect fx;
    fx.colour = 0xFFFFFFFF;
    fx.lineWidth = 3.0f;
    fx.trailLength = 0.5f;
    fx.paths.append(pathOf({{-0.8f, 0, 0}, {0, 0, 0}, {0.8f, 0, 0}}));
    auto frame = [&](int mode, float t) {
        fx.mode = mode;
        gl.clear(0, 0, 0);
        frontView();
        fx.render(t);
        int lit = 0;
        for (int x = 0; x < 100; ++x) lit += gl.pixel(x, 50).r > 100 ? 1 : 0;
        return lit;
    };
    int whole = frame(2, 0.0f);
    EXPECT_GT(whole, 70);  // -0.8 .. 0.8 of the view
    EXPECT_NEAR(frame(0, 0.5f), 25, 4);   // 0.5 units long
    EXPECT_GT(frame(1, 0.5f), 10);
    EXPECT_EQ(frame(3, 0.5f), 0);  // other modes: no visible line
    EXPECT_GT(frame(0, 1.0f), 10); // the head held on the last point

    // Echoes scale the modelview whatever matrix was selected, and leave both
    // matrices as they were.
    fx.setParam(6, 0.2f);
    fx.mode = 2;
    frontView();
    float before[16], after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, before);
    glMatrixMode(GL_PROJECTION);
    fx.render(0);
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(before[k], after[k]);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

// ---- camera

namespace {
// Eye path from (0, 0, 0) to (10, 0, 0), target path from (0, 10, 0) to (10, 10, 0).
void writeCameraPaths(const char* path) {
    writeText(path, "2\n2\n0 0 0\n10 0 0\n2\n0 10 0\n10 10 0\n");
}

std::vector<float> matrix(GLenum which) {
    std::vector<float> m(16);
    glGetFloatv(which, m.data());
    return m;
}
}  // namespace

TEST(CameraEffect, FieldOfViewFollowsTheZoom) {
    test::TempDir dir;
    test::GlFixture gl(64, 48);
    ASSERT_TRUE(gl.ok());
    writeCameraPaths("cam.spl");
    CameraEffect fx;
    ASSERT_EQ(fx.init("120 0 cam.spl "), Ok);
    EXPECT_EQ(fx.paths.size(), 2);
    struct Case {
        float zoom, degrees;
    } cases[] = {{0.0f, 120.0f}, {0.5f, 66.0f}, {1.0f, 12.0f}};
    for (const Case& c : cases) {
        fx.setParam(5, c.zoom);
        EXPECT_NEAR(fx.currentFieldOfView(), c.degrees, 1e-4f);
        fx.render(0.5f);
        std::vector<float> p = matrix(GL_PROJECTION_MATRIX);
        double f = 1.0 / std::tan(c.degrees * M_PI / 360.0);
        EXPECT_NEAR(p[5], f, 1e-4 * f) << "zoom " << c.zoom;
        EXPECT_NEAR(p[0], f / (4.0 / 3.0), 1e-4 * f);
    }
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST(CameraEffect, PositionsAlongThePathsHeldWithinTheirEnds) {
    test::TempDir dir;
    test::GlFixture gl(64, 48);
    ASSERT_TRUE(gl.ok());
    writeCameraPaths("cam.spl");
    CameraEffect fx;
    ASSERT_EQ(fx.init("120 0 cam.spl"), Ok);
    struct Case {
        float t, offset, x;
    } cases[] = {{0.5f, 0.0f, 5}, {0.8f, 0.5f, 10}, {1.5f, 0.0f, 10}, {0.1f, -0.5f, 0}, {-2.0f, 0.0f, 0}, {0.25f, 0.5f, 7.5f}};
    for (const Case& c : cases) {
        fx.setParam(4, c.offset);
        fx.render(c.t);
        EXPECT_TRUE(fx.lookedAt);
        EXPECT_NEAR(fx.eye.x, c.x, 1e-4f) << c.t << " + " << c.offset;
        EXPECT_NEAR(fx.target.x, c.x, 1e-4f);
        EXPECT_NEAR(fx.target.y, 10, 1e-4f);
    }
    // Ids other than 4 and 5 change nothing.
    fx.setParam(3, 9.0f);
    fx.setParam(6, 9.0f);
    EXPECT_EQ(fx.timeOffset, 0.5f);
    EXPECT_EQ(fx.zoom, 0.0f);
    EXPECT_EQ(fx.fieldOfView, 120.0f);
}

TEST(CameraEffect, SameTimeSameMatrices) {
    test::TempDir dir;
    test::GlFixture gl(64, 48);
    ASSERT_TRUE(gl.ok());
    writeCameraPaths("cam.spl");
    CameraEffect fx;
    ASSERT_EQ(fx.init("120 0 cam.spl"), Ok);
    fx.render(0.3f);
    std::vector<float> projection = matrix(GL_PROJECTION_MATRIX), view = matrix(GL_MODELVIEW_MATRIX);
    fx.render(0.9f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    fx.render(0.3f);
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), view);

    // The look-at: eye (3, 0, 0) looking along +y with z up.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(3, 0, 0, 3, 10, 0, 0, 0, 1);
    std::vector<float> want = matrix(GL_MODELVIEW_MATRIX);
    for (int k = 0; k < 16; ++k) EXPECT_NEAR(view[size_t(k)], want[size_t(k)], 1e-4f);
}

TEST(CameraEffect, MissingPathsLeaveAnIdentityView) {
    test::TempDir dir;
    test::GlFixture gl(64, 48);
    ASSERT_TRUE(gl.ok());
    writeCameraPaths("cam.spl");
    writeText("same.spl", "2\n1 4 4 4\n1 4 4 4\n");
    const std::vector<float> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (const char* parameters : {"120 1 cam.spl", "120 -1 cam.spl", "120 5 cam.spl", "120 0 missing.spl", "120",
                                   "", "120 0 same.spl"}) {
        CameraEffect fx;
        EXPECT_EQ(fx.init(parameters), Ok);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(1, 2, 3);
        fx.render(0.5f);
        EXPECT_FALSE(fx.lookedAt) << parameters;
        EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), identity) << parameters;
    }
}
