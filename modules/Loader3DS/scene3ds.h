// Scene3DS: the triangle mesh of the first named object of a 3D Studio
// (.3ds) file, with the file's material table, and on request unit face
// normals and smoothed vertex normals.
#pragma once
#include <cstdint>
#include <cstdio>

#include "kernel/error.h"
#include "modules/vector3.h"

struct Face3DS {
    uint32_t a = 0, b = 0, c = 0;  // vertex indices
    uint32_t material = 0;         // index into the material table; the material count means none
};

struct Material3DS {
    char name[256] = {};
    Vector3 ambient, diffuse, specular;
    int32_t textured = 0;
    char textureMap[256] = {};
};

struct Vertex3DS {
    Vector3 position;
    Vector3 normal;
    float u = 0.0f, v = 0.0f;
};

class Scene3DS {
public:
    virtual ~Scene3DS();

    ErrorCode load(const char* path, bool wantTexCoords, bool wantFaceNormals, bool wantVertexNormals);

    virtual uint32_t vertexCount();
    // Writes the position; the normal only when vertex normals are valid; u, v
    // only when texture coordinates were wanted and the entry exists.
    virtual void getVertex(uint32_t index, Vertex3DS& out);
    virtual uint32_t faceCount();
    virtual void getFace(uint32_t index, Face3DS& out);    // a, b, c only
    virtual void getFaceNormal(uint32_t index, Vector3& out);  // only when valid

    uint32_t vertexCount_ = 0;
    uint32_t texCoordCount = 0;
    uint32_t faceCount_ = 0;
    uint32_t materialCount = 0;
    Vector3* positions = nullptr;
    Vector3* vertexNormals = nullptr;
    float* texCoords = nullptr;  // u, v pairs
    Face3DS* faces = nullptr;
    Vector3* faceNormals = nullptr;
    Material3DS* materials = nullptr;
    bool faceNormalsValid = false;
    bool vertexNormalsValid = false;
    bool texCoordsWanted = false;
    FILE* file = nullptr;
};

// Null when the load fails (the file does not open, is not a 3DS file, or
// ends or breaks inside a chunk). The caller owns the scene (delete it).
// A load fails too when a length or count does not fit its chunk, or a face
// names a vertex the mesh does not have; queries with an index outside the
// scene leave their output unchanged.
Scene3DS* createScene3DS(const char* path, bool wantTexCoords, bool wantFaceNormals, bool wantVertexNormals);

// Why the last failed load failed, in words for the data's makers ("" after
// a load that succeeded).
const char* scene3DSFailure();
