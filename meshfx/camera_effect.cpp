// The camera effect (see meshfx/camera_effect.h). Projection and look-at
// from libGLU; paths from modules/spline_path.h.
#include "meshfx/camera_effect.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>

ErrorCode CameraEffect::init(const char* parameters) {
    float fov = fieldOfView;
    int index = pathIndex;
    char file[1024] = {};
    int read = std::sscanf(parameters ? parameters : "", "%f %d %1023s", &fov, &index, file);
    if (read >= 1) fieldOfView = fov;
    if (read >= 2) pathIndex = index;
    paths = readSplinePathsText(file);
    timeOffset = 0.0f;
    zoom = 0.0f;
    return Ok;
}

void CameraEffect::setParam(int32_t id, float value) {
    if (id == 4) timeOffset = value;
    if (id == 5) zoom = value;
}

float CameraEffect::currentFieldOfView() const { return ((1.0f - zoom) * 0.9f + 0.1f) * fieldOfView; }

float CameraEffect::position(float t) const {
    float c = t + timeOffset;
    if (c > 1.0f) c = 1.0f;
    if (!(c >= 0.0f)) c = 0.0f;  // below 0, or no number at all
    return c;
}

void CameraEffect::render(float t) {
    const float c = position(t);
    // The eye path and the target path must both exist; otherwise the view
    // stays the identity.
    SplinePath* eyePath = pathIndex >= 0 && pathIndex < paths.size() - 1 ? paths[pathIndex] : nullptr;
    SplinePath* targetPath = eyePath ? paths[pathIndex + 1] : nullptr;
    lookedAt = false;
    if (eyePath && targetPath) {
        eyePath->evaluate(eye, c);
        targetPath->evaluate(target, c);
        const float dx = target.x - eye.x, dy = target.y - eye.y, dz = target.z - eye.z;
        lookedAt = dx * dx + dy * dy + dz * dz > 0.0f;
    }

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(currentFieldOfView(), 1.3333333333333333, 1.0, 1500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (lookedAt) gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0.0, 0.0, 1.0);
}
