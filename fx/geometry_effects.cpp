// The grid, card, tunnel and fan effects (see fx/geometry_effects.h).
// Projections and the fan's look-at come from libGLU; the card's texture
// from loadTexture (modules/picture.h); random draws from fx/random.h.
#include "fx/geometry_effects.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>

#include "fx/random.h"
#include "fx/texture_effects.h"
#include "modules/picture.h"

void drawSolidCube(float edge) {
    const float h = edge * 0.5f;
    // Normal, then four corners counter-clockwise seen from outside.
    static const float kFaces[6][5][3] = {
        {{1, 0, 0}, {1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}},
        {{-1, 0, 0}, {-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}},
        {{0, 1, 0}, {-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}},
        {{0, -1, 0}, {-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}},
        {{0, 0, 1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},
        {{0, 0, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}},
    };
    glBegin(GL_QUADS);
    for (const auto& face : kFaces) {
        glNormal3fv(face[0]);
        for (int k = 1; k < 5; ++k) glVertex3f(face[k][0] * h, face[k][1] * h, face[k][2] * h);
    }
    glEnd();
}

// ---- "Kel_trans"

float SquareGridEffect::spinAngle = 0.0f;

SquareGridEffect::SquareGridEffect() { fillGrid(); }

void SquareGridEffect::fillGrid() {
    for (int i = 0; i < kColumns; ++i)
        for (int j = 0; j < kRows; ++j) points[i * kRows + j] = {-12.0f + 2.0f * float(i), -8.0f + 2.0f * float(j), 0.0f};
}

ErrorCode SquareGridEffect::init(const char* parameters) {
    fillGrid();
    unsigned int c = colour;
    float sx = speedX, sy = speedY;
    int read = std::sscanf(parameters ? parameters : "", "%f %f %x", &sx, &sy, &c);
    if (read >= 1) speedX = sx;
    if (read >= 2) speedY = sy;
    if (read >= 3) colour = c;
    return Ok;
}

void SquareGridEffect::setParam(int32_t, float v) {
    for (int i = 0; i < kColumns; ++i) {
        for (int j = 0; j < kRows; ++j) {
            Vector3& p = points[i * kRows + j];
            p = {-12.0f + 2.0f * float(i), -8.0f + 2.0f * float(j), 0.0f};
            if (i % 2 == 1 && j % 2 == 1) p.x += v * speedX * 96.0f;
            if (i % 2 == 0 && j % 2 == 0) p.y += v * speedY * 56.0f;
        }
    }
}

namespace {

// v turned by angle degrees about the axis (x, y, z), the rotation glRotatef makes.
Vector3 rotated(const Vector3& v, float angle, float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    x /= length;
    y /= length;
    z /= length;
    const float radians = angle * 0.017453292f;
    const float c = std::cos(radians), s = std::sin(radians), t = 1.0f - c;
    return {(x * x * t + c) * v.x + (x * y * t - z * s) * v.y + (x * z * t + y * s) * v.z,
            (y * x * t + z * s) * v.x + (y * y * t + c) * v.y + (y * z * t - x * s) * v.z,
            (x * z * t - y * s) * v.x + (y * z * t + x * s) * v.y + (z * z * t + c) * v.z};
}

}  // namespace

void SquareGridEffect::render(float) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.3333333333333333, 0.1, 200.0);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_DEPTH_TEST);
    glLoadIdentity();
    glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    glEnable(GL_BLEND);

    const float a = float((colour >> 24) & 0xFFu) / 255.0f;
    const float r = float((colour >> 16) & 0xFFu) / 255.0f;
    const float g = float((colour >> 8) & 0xFFu) / 255.0f;
    const float b = float(colour & 0xFFu) / 255.0f;
    // Each square is placed by its own translate-and-rotate. The squares are
    // turned here and sent as one batch of quads: 480 matrix loads and
    // primitives per render cost the rasterizer far more than the pixels do.
    // A square whose alpha clamps to 0 adds nothing (the frame's alpha is 1),
    // so only its share of the spin is taken.
    Vector3 last{};
    glBegin(GL_QUADS);
    for (float s = 0.0f; s < 1.0f; s += 0.2f) {
        const bool visible = a - s > 0.0f;
        for (int i = 0; i < kColumns; ++i) {
            for (int j = 0; j < kRows; ++j) {
                const float k = float(i + j);
                const Vector3& p = points[i * kRows + j];
                last = p;
                spinAngle += 0.005f;
                if (!visible) continue;
                glColor4f(0.1f + k * r, 0.1f + k * g, 0.1f + k * b, a - s);
                const Vector3 corners[4] = {{1 - s, 1 - s, s}, {-1 - s, 1 - s, s}, {-1 - s, -1 - s, s}, {1 - s, -1 - s, s}};
                // Even columns in even rows spin about a zero axis: left unturned.
                const bool turned = i % 2 != 0 || j % 2 != 0;
                for (const Vector3& c : corners) {
                    Vector3 v = turned ? rotated(c, spinAngle, 0.0f, float(i % 2), float(j % 2)) : c;
                    glVertex3f(v.x + p.x, v.y + p.y, v.z - 20.0f);
                }
            }
        }
    }
    glEnd();
    // Leave the last square's matrix, as drawing square by square would.
    glLoadIdentity();
    glTranslatef(last.x, last.y, -20.0f);
    glRotatef(spinAngle, 0.0f, 1.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}

// ---- "Kel_champi"

int32_t SpinningCardEffect::frameCounter = 0;
int32_t SpinningCardEffect::tumbleCounter = -180;

ErrorCode SpinningCardEffect::init(const char* parameters) {
    return loadTexture(parameters ? parameters : "", &texture);
}

void SpinningCardEffect::setParam(int32_t, float) {}

namespace {
void flatQuad(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3, float z) {
    glBegin(GL_QUADS);
    glVertex3f(x0, y0, z);
    glVertex3f(x1, y1, z);
    glVertex3f(x2, y2, z);
    glVertex3f(x3, y3, z);
    glEnd();
}
}  // namespace

void SpinningCardEffect::render(float t) {
    const int32_t a = nextRandom() / 3250;

    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50.0, 1.3333333333333333, 0.1, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 0);

    glColor3f(0, 0, 0);
    flatQuad(-5, 5, 5, 5, 5, -5, -5, -5, -5.0f);

    const float bars[4][8] = {
        {-1.3f, 5, -1.1f, 5, -1.1f, -5, -1.3f, -5},
        {1.3f, 5, 1.1f, 5, 1.1f, -5, 1.3f, -5},
        {-5, 1.7f, 5, 1.7f, 5, 1.5f, -5, 1.5f},
        {-5, -1.7f, 5, -1.7f, 5, -1.5f, -5, -1.5f},
    };
    for (const auto& q : bars) {
        glLoadIdentity();
        glColor3f(1, 1, 1);
        flatQuad(q[0], q[1], q[2], q[3], q[4], q[5], q[6], q[7], -4.9f);
    }

    glTranslatef(0, 0, -2);
    glRotatef(float(tumbleCounter) * t + float(a), 0, 1, 0);
    if (frameCounter == 500) {
        glRotatef(float(tumbleCounter * tumbleCounter + a) * 0.0055555557f, 1, 0, 0);
        if (tumbleCounter == 180) {
            frameCounter = 0;
            tumbleCounter = -180;
        } else {
            ++tumbleCounter;
        }
    } else {
        ++frameCounter;
    }

    glTranslatef(-0.5f, -0.5f, 0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    drawUnitQuad();

    glDisable(GL_TEXTURE_2D);
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glClearColor(0, 0, 0, 0);
}

// ---- "fx_cubes"

ErrorCode CubeTunnelEffect::init(const char*) { return Ok; }

void CubeTunnelEffect::setParam(int32_t, float) {}

CubeTunnelEffect::Turn CubeTunnelEffect::turnOf(float t, int i) {
    const float f = t * 360.0f;
    return {f * 0.2f, f * std::sin(float(i)) * 0.2f};
}

void CubeTunnelEffect::render(float t) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50.0, 1.3333333333333333, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glClearColor(0, 0, 0, 0);

    for (int i = 0; i < 20; ++i) {
        const float fi = float(i);
        glTranslatef(0, 0, -20);
        glColor4f(2.0f * std::sin(fi), std::cos(fi), 3.0f * std::cos(fi), 0.5f * std::sin(fi) * std::cos(fi));
        const Turn turn = turnOf(t, i);
        // A zero axis (the first cube, or t = 0) leaves the cube unturned.
        if (turn.axisX != 0.0f && std::isfinite(turn.axisX)) glRotatef(turn.angle, turn.axisX, 0, 0);
        drawSolidCube(10.0f);
    }
    glDisable(GL_BLEND);
}

// ---- "fx_lines"

ErrorCode LineFanEffect::init(const char*) {
    glClearColor(0, 0, 0, 0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float scale = 3.0518509e-05f;
    red = float(nextRandom()) * scale;
    green = float(nextRandom()) * scale;
    blue = float(nextRandom()) * scale;
    return Ok;
}

void LineFanEffect::setParam(int32_t, float) {}

namespace {
constexpr double kUpX = 0.0, kUpY = 1.0, kUpZ = 50.0;
}

Vector3 LineFanEffect::eyeAt(float t) {
    return {8.0f * std::sin(0.01f * t), 3.0f * std::sin(0.02f * t), 10.0f * std::sin(0.005f * t)};
}

bool LineFanEffect::lookAtUsable(float t) {
    const Vector3 eye = eyeAt(t);
    const double fx = -double(eye.x), fy = -double(eye.y), fz = -double(eye.z);
    const double forward = std::sqrt(fx * fx + fy * fy + fz * fz);
    if (!(forward > 1e-6)) return false;  // also false for NaN
    const double sx = fy * kUpZ - fz * kUpY, sy = fz * kUpX - fx * kUpZ, sz = fx * kUpY - fy * kUpX;
    const double up = std::sqrt(kUpX * kUpX + kUpY * kUpY + kUpZ * kUpZ);
    return std::sqrt(sx * sx + sy * sy + sz * sz) > 1e-6 * forward * up;
}

void LineFanEffect::render(float t) {
    glClearColor(0, 0, 0, 0);
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_BLEND);

    glPushMatrix();
    // At t = 0 the eye sits on the target: no view direction, so no look-at.
    if (lookAtUsable(t)) {
        const Vector3 eye = eyeAt(t);
        gluLookAt(eye.x, eye.y, eye.z, 0, 0, 0, kUpX, kUpY, kUpZ);
    }
    glTranslatef(0, 0, 0);
    for (int i = 0; i < 100; ++i) {
        const float fi = float(i);
        const float k = fi * 0.01f;
        glPushMatrix();
        glRotatef(fi * t * 0.02f, 0, 0, 1);
        glRotatef(60.0f * std::sin(0.02f * fi), 1, 0, 0);
        glTranslatef(3.0f * std::sin(0.065f * fi), 1, 0);
        glBegin(GL_TRIANGLES);
        glColor3f(red, green, blue);
        glVertex3f(2 * k + 1, 0, 0);
        glColor3f(0, 0, 0);
        glVertex3f(0, 1, 0);
        glColor3f(k, k, k);
        glVertex3f(-1, 1, 0);
        glEnd();
        glPopMatrix();
    }
    glDisable(GL_BLEND);
    glPopMatrix();
}
