// The hypercube effect (see fx/hypercube_effect.h). Projection through
// gluPerspective (libGLU).
#include "fx/hypercube_effect.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>

const Vector3 HypercubeEffect::kCorners[8] = {
    {1, 1, 1}, {1, 1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1},
};

namespace {

constexpr uint32_t kAlphaMask = 0xFF000000u;
constexpr uint32_t kRgbMask = 0x00FFFFFFu;

void colourBytes(uint32_t c) {
    glColor4ub(GLubyte(c >> 16), GLubyte(c >> 8), GLubyte(c), GLubyte(c >> 24));
}

// The alpha byte steps by one up to limit, then falls back to restart.
uint32_t stepAlpha(uint32_t colour, uint32_t limit, uint32_t restart) {
    uint32_t alpha = colour >> 24;
    alpha = alpha < limit ? alpha + 1 : restart;
    return (colour & kRgbMask) | (alpha << 24);
}

struct Box {
    float x0, x1, y0, y1, z0, z1;  // minus and plus bounds
};

void faces(const Box& b) {
    glBegin(GL_QUADS);
    glVertex3f(b.x1, b.y1, b.z0);
    glVertex3f(b.x0, b.y1, b.z0);
    glVertex3f(b.x0, b.y1, b.z1);
    glVertex3f(b.x1, b.y1, b.z1);

    glVertex3f(b.x1, b.y0, b.z1);
    glVertex3f(b.x0, b.y0, b.z1);
    glVertex3f(b.x0, b.y0, b.z0);
    glVertex3f(b.x1, b.y0, b.z0);

    glVertex3f(b.x1, b.y1, b.z1);
    glVertex3f(b.x0, b.y1, b.z1);
    glVertex3f(b.x0, b.y0, b.z1);
    glVertex3f(b.x1, b.y0, b.z1);

    glVertex3f(b.x1, b.y0, b.z0);
    glVertex3f(b.x0, b.y0, b.z0);
    glVertex3f(b.x0, b.y1, b.z0);
    glVertex3f(b.x1, b.y1, b.z0);

    glVertex3f(b.x0, b.y1, b.z1);
    glVertex3f(b.x0, b.y1, b.z0);
    glVertex3f(b.x0, b.y0, b.z0);
    glVertex3f(b.x0, b.y0, b.z1);

    glVertex3f(b.x1, b.y1, b.z0);
    glVertex3f(b.x1, b.y1, b.z1);
    glVertex3f(b.x1, b.y0, b.z1);
    glVertex3f(b.x1, b.y0, b.z0);
    glEnd();
}

// The four corners of one x side, in the order (y+, z-), (y-, z-), (y-, z+), (y+, z+).
void sideCorners(const Box& b, float x) {
    glVertex3f(x, b.y1, b.z0);
    glVertex3f(x, b.y0, b.z0);
    glVertex3f(x, b.y0, b.z1);
    glVertex3f(x, b.y1, b.z1);
}

void outline(const Box& b) {
    glBegin(GL_LINE_LOOP);
    sideCorners(b, b.x1);
    glEnd();
    glBegin(GL_LINE_LOOP);
    sideCorners(b, b.x0);
    glEnd();
    glBegin(GL_LINES);
    const float yz[4][2] = {{b.y1, b.z0}, {b.y0, b.z0}, {b.y0, b.z1}, {b.y1, b.z1}};
    for (const auto& p : yz) {
        glVertex3f(b.x1, p[0], p[1]);
        glVertex3f(b.x0, p[0], p[1]);
    }
    glEnd();
}

void cornerPoints(const Box& b) {
    glBegin(GL_POINTS);
    sideCorners(b, b.x1);
    sideCorners(b, b.x0);
    glEnd();
}

}  // namespace

ErrorCode HypercubeEffect::init(const char* parameters) {
    phaseX = phaseY = phaseZ = -1.0f;
    size = 1.0f;
    axis = kCorners[0];
    cornerIndex = 0;
    unsigned int inner = 0, outer = 0, line = 0;
    int m = 0;
    float point = pointSize, width = lineWidth;
    int read = std::sscanf(parameters ? parameters : "", "%x %x %x %f %f %i", &inner, &outer, &line, &point, &width, &m);
    if (read >= 1) innerColour = inner;
    if (read >= 2) outerColour = outer;
    if (read >= 3) lineColour = line;
    if (read >= 4) pointSize = point;
    if (read >= 5) lineWidth = width;
    if (read >= 6) mode = m;
    return Ok;
}

void HypercubeEffect::rotateColours() {
    if (outerColour == 0) {
        uint32_t inner = innerColour;
        innerColour = (inner & kAlphaMask) | (lineColour & kRgbMask);
        lineColour = (lineColour & kAlphaMask) | (inner & kRgbMask);
        return;
    }
    uint32_t inner = innerColour, outer = outerColour, line = lineColour;
    innerColour = (inner & kAlphaMask) | (line & kRgbMask);
    outerColour = inner;
    lineColour = (line & kAlphaMask) | (outer & kRgbMask);
}

void HypercubeEffect::setParam(int32_t id, float v) {
    switch (id) {
    case 0:
        if (v > 0.04f && v < 0.05f) rotateColours();
        break;
    case 1:
        if (v == 1.0f) {
            cornerIndex = cornerIndex >= 7 ? 0 : int16_t(cornerIndex + 1);
            axis = kCorners[cornerIndex];
        }
        break;
    case 3:
        size = 1.0f - v;
        break;
    case 4:
        if (v > 0.04f) innerColour = stepAlpha(innerColour, 95, 16);
        break;
    case 5:
        if (v > 0.04f) outerColour = stepAlpha(outerColour, 95, 16);
        break;
    case 6:
        if (v > 0.04f) lineColour = stepAlpha(lineColour, 255, 127);
        break;
    default:
        break;
    }
}

Vector3 HypercubeEffect::innerCentre() const {
    return {-axis.x * std::cos(phaseX), -axis.y * std::cos(phaseY), -axis.z * std::sin(phaseZ)};
}

void HypercubeEffect::render(float t) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50.0, 1.3333333333333333, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glDisable(GL_DEPTH_TEST);
    if (mode != 0) glEnable(GL_BLEND);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    if (mode != 0) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_POINT_SMOOTH);
        glEnable(GL_LINE_SMOOTH);
    }
    glTranslatef(0.0f, 0.0f, -10.0f);
    glRotatef(t * 360.0f, axis.x, axis.y, axis.z);  // the axis is always a corner direction

    Vector3 centre = innerCentre();
    float e = size;
    Box inner{centre.x - e, centre.x + e, centre.y - e, centre.y + e, centre.z - e, centre.z + e};
    Box outer{-2 * e, 2 * e, -2 * e, 2 * e, -2 * e, 2 * e};

    glLineWidth(lineWidth);
    colourBytes(innerColour);
    faces(inner);
    colourBytes(lineColour);
    outline(inner);
    glPointSize(pointSize);
    cornerPoints(inner);
    colourBytes(outerColour);
    faces(outer);
    colourBytes(lineColour);
    outline(outer);
    cornerPoints(outer);
    colourBytes(lineColour);
    glBegin(GL_LINES);
    const float signs[8][3] = {{1, 1, -1}, {-1, 1, -1}, {1, -1, -1}, {-1, -1, -1},
                               {1, -1, 1}, {-1, -1, 1}, {1, 1, 1},   {-1, 1, 1}};
    for (const auto& s : signs) {
        glVertex3f(s[0] > 0 ? outer.x1 : outer.x0, s[1] > 0 ? outer.y1 : outer.y0, s[2] > 0 ? outer.z1 : outer.z0);
        glVertex3f(s[0] > 0 ? inner.x1 : inner.x0, s[1] > 0 ? inner.y1 : inner.y0, s[2] > 0 ? inner.z1 : inner.z0);
    }
    glEnd();

    phaseX = phaseY = phaseZ = t * 6.4f;

    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}
