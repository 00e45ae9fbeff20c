// Fuzzes Loader3DS with every option on, then walks every query.
#include "fuzz/fuzz_file.h"
#include "modules/Loader3DS/scene3ds.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Scene3DS* scene = createScene3DS(fuzz::asFile(data, size), true, true, true);
    if (!scene) return 0;
    volatile float sum = 0;
    for (uint32_t i = 0; i <= scene->faceCount(); ++i) {
        Face3DS f;
        scene->getFace(i, f);
        Vertex3DS v;
        scene->getVertex(f.a, v);
        scene->getVertex(f.b, v);
        scene->getVertex(f.c, v);
        Vector3 n;
        scene->getFaceNormal(i, n);
        sum = sum + v.position.x + v.normal.y + v.u + n.z;
    }
    for (uint32_t i = 0; i < scene->materialCount; ++i) sum = sum + float(scene->materials[i].textured);
    delete scene;
    return 0;
}
