// The spline effect (see meshfx/spline_effect.h). Paths come from
// modules/spline_path.h.
#include "meshfx/spline_effect.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

Vector3 lerp(const Vector3& from, const Vector3& to, float a) {
    return {(1 - a) * from.x + a * to.x, (1 - a) * from.y + a * to.y, (1 - a) * from.z + a * to.z};
}

float distance(const Vector3& p, const Vector3& q) {
    const float dx = q.x - p.x, dy = q.y - p.y, dz = q.z - p.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

uint8_t clampByte(float value) {
    if (!(value > 0.0f)) return 0;
    return value >= 255.0f ? 255 : uint8_t(int32_t(value));
}

}  // namespace

bool SplineEffect::readsBinary(const char* fileName) {
    const size_t length = std::strlen(fileName);
    return length >= 4 && (fileName[length - 4] == 'b' || fileName[length - 4] == 'B');
}

ErrorCode SplineEffect::init(const char* parameters) {
    echoAmount = 0.0f;
    unsigned int c = colour;
    float width = lineWidth, length = trailLength;
    int m = mode;
    char file[1024] = {};
    int read = std::sscanf(parameters ? parameters : "", "%x  %f  %1023s  %d  %f", &c, &width, file, &m, &length);
    if (read >= 1) colour = c;
    if (read >= 2) lineWidth = width;
    if (read >= 4) mode = m;
    if (read >= 5) trailLength = length;
    paths = readsBinary(file) ? readSplinePathsBinary(file) : readSplinePathsText(file);
    return Ok;
}

void SplineEffect::setParam(int32_t id, float value) {
    if (id == 6) echoAmount = value;
    if (id == 7) echoTwist = value * 360.0f;
}

std::vector<SplineEffect::Echo> SplineEffect::echoes() const {
    std::vector<Echo> out;
    const float e = echoAmount * 25.0f;
    if (!(e >= 1.0f) || !(e <= float(kMaxEchoes))) return out;
    const int32_t n = int32_t(e);
    const float alpha = float(colour >> 24);
    for (int32_t i = 0; i < n; ++i) {
        const float keep = 1.0f - float(i) / float(n);
        const float a = i == n - 1 ? keep * (e - float(n)) * alpha : keep * alpha;
        out.push_back({1.0f + 0.04f * float(i), float(i) * echoTwist * 0.04f, clampByte(a)});
    }
    return out;
}

void SplineEffect::render(float t) {
    glEnable(GL_DEPTH_TEST);
    pass(t);
    const uint32_t saved = colour;
    for (const Echo& echo : echoes()) {
        // The echoes transform the modelview whatever matrix was selected.
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glScalef(echo.scale, echo.scale, echo.scale);
        glRotatef(echo.angle, 0, 0, 1);
        colour = (saved & 0x00FFFFFFu) | (uint32_t(echo.alpha) << 24);
        pass(t);
        glPopMatrix();
    }
    colour = saved;
}

void SplineEffect::pass(float t) {
    for (int32_t p = 0; p < paths.size(); ++p) {
        SplinePath* path = paths[p];
        if (!path || path->pointCount() < 1) continue;
        if (mode == 2) {
            drawPath(*path);
        } else {
            buildTrail(*path, t);
            drawTrail();
        }
    }
}

void SplineEffect::buildTrail(SplinePath& path, float t) {
    trail.clear();
    const int32_t m = path.pointCount();
    if (m < 1) return;
    int32_t k = 0;
    float f = 0.0f;
    const float u = float(m) * t;
    if (!(u >= 0.0f)) {  // before the first point (or no number): the head on the first point
        k = 0;
        f = 0.0f;
    } else if (u >= float(m - 1)) {  // beyond the last point: the head on the last point
        k = m - 1;
        f = 0.0f;
    } else {
        k = int32_t(u);
        f = u - float(k);
    }
    Vector3 current, next;
    path.getPoint(current, k);
    if (k + 1 < m) path.getPoint(next, k + 1);
    else next = current;
    trail.push_back({f * next.x + (1 - f) * current.x, f * next.y + (1 - f) * current.y, f * next.z + (1 - f) * current.z});
    trail.push_back(current);
    float running = distance(trail[0], trail[1]);
    for (int32_t i = k - 1; i >= 0 && running < trailLength; --i) {
        Vector3 p;
        path.getPoint(p, i);
        running += distance(trail.back(), p);
        trail.push_back(p);
    }
    if (running > trailLength) {
        const size_t last = trail.size() - 1;
        const float segment = distance(trail[last - 1], trail[last]);
        if (segment > 0.0f) {
            float a = (trailLength - (running - segment)) / segment;
            a = a < 0.0f ? 0.0f : a > 1.0f ? 1.0f : a;
            trail[last] = lerp(trail[last - 1], trail[last], a);
        }
    }
}

uint8_t SplineEffect::fadeAlpha(int32_t i, int32_t n, uint32_t alpha) {
    if (n < 2) return clampByte(float(alpha));
    return clampByte(float(n - i) / float(n - 1) * float(alpha));
}

namespace {
void stripState(float lineWidth) {
    glDisable(GL_LIGHTING);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_DONT_CARE);
    glLineWidth(lineWidth);
}

void stripDone() {
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}
}  // namespace

void SplineEffect::drawPath(SplinePath& path) {
    stripState(lineWidth);
    glColor4ub(GLubyte(colour >> 16), GLubyte(colour >> 8), GLubyte(colour), GLubyte(colour >> 24));
    glBegin(GL_LINE_STRIP);
    const int32_t m = path.pointCount();
    for (int32_t i = 0; i < m; ++i) {
        Vector3 p;
        path.getPoint(p, i);
        glVertex3f(p.x, p.y, p.z);
    }
    glEnd();
    stripDone();
}

void SplineEffect::drawTrail() {
    stripState(lineWidth);
    const GLubyte r = GLubyte(colour >> 16), g = GLubyte(colour >> 8), b = GLubyte(colour);
    const int32_t n = int32_t(trail.size());
    glBegin(GL_LINE_STRIP);
    if (mode == 0) {
        glColor4ub(r, g, b, GLubyte(colour >> 24));
        for (const Vector3& p : trail) glVertex3f(p.x, p.y, p.z);
    } else if (mode == 1) {
        for (int32_t i = 0; i < n; ++i) {
            glColor4ub(r, g, b, fadeAlpha(i, n, colour >> 24));
            glVertex3f(trail[size_t(i)].x, trail[size_t(i)].y, trail[size_t(i)].z);
        }
    }
    glEnd();
    stripDone();
}
