// The mesh effect (see meshfx/mesh_effect.h). Scenes come from the 3DS
// loader (modules/Loader3DS).
#include "meshfx/mesh_effect.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>

#include "modules/Loader3DS/scene3ds.h"

ErrorCode MeshEffect::init(const char* parameters) {
    unsigned int c = 0;
    char path[1024] = {};
    std::sscanf(parameters ? parameters : "", "%x %1023s", &c, path);
    colour = c;
    Scene3DS* scene = createScene3DS(path, false, true, false);
    if (!scene) return IoError;
    compile(*scene);
    delete scene;
    return Ok;
}

void MeshEffect::compile(Scene3DS& scene) {
    displayList = glGenLists(1);
    if (displayList == 0) return;
    glNewList(displayList, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    const uint32_t vertices = scene.vertexCount();
    const uint32_t faces = scene.faceCount();
    for (uint32_t i = 0; i < faces; ++i) {
        Vector3 normal;
        Face3DS face;
        scene.getFaceNormal(i, normal);
        scene.getFace(i, face);
        // A corner index past the vertex list names no vertex: such a face is left out.
        if (face.a >= vertices || face.b >= vertices || face.c >= vertices) continue;
        Vertex3DS corners[3];
        scene.getVertex(face.a, corners[0]);
        scene.getVertex(face.b, corners[1]);
        scene.getVertex(face.c, corners[2]);
        const float length = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
        if (length != 0.0f) glNormal3f(normal.x / length, normal.y / length, normal.z / length);
        else glNormal3f(normal.x, normal.y, normal.z);
        for (const Vertex3DS& v : corners) glVertex3f(v.position.x, v.position.y, v.position.z);
    }
    glEnd();
    glEndList();
}

void MeshEffect::setParam(int32_t, float) {}

void MeshEffect::diffuse(float out[4]) const {
    out[0] = float((colour >> 16) & 0xFFu) / 255.0f;
    out[1] = float((colour >> 8) & 0xFFu) / 255.0f;
    out[2] = float(colour & 0xFFu) / 255.0f;
    out[3] = float((colour >> 24) & 0xFFu) / 255.0f;
}

void MeshEffect::render(float) {
    float material[4];
    diffuse(material);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, material);
    const float light[4] = {100.0f, 50.0f, 50.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCallList(displayList);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
}
