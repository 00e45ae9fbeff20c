// Loader3DS: the chunk walk, materials and their groups, normals, the
// queries, and files that are truncated or whose lengths and counts lie.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

#include "modules/Loader3DS/scene3ds.h"
#include "tests/support/asset_bytes.h"
#include "tests/support/test_support.h"

using test::Bytes;
using test::chunk;
using test::cstr;
using test::f32;
using test::le16;
using test::le32;

namespace {

Bytes vertexList(const std::vector<Vector3>& points) {
    Bytes b = le16(uint32_t(points.size()));
    for (const Vector3& p : points) b += f32(p.x) + f32(p.y) + f32(p.z);
    return chunk(0x4110, b);
}

Bytes faceList(const std::vector<std::array<int, 3>>& faces, const Bytes& children = "") {
    Bytes b = le16(uint32_t(faces.size()));
    for (auto& f : faces) b += le16(uint32_t(f[0])) + le16(uint32_t(f[1])) + le16(uint32_t(f[2])) + le16(0);
    return chunk(0x4120, b + children);
}

Bytes object(const std::string& name, const Bytes& children) { return chunk(0x4000, cstr(name) + children); }
Bytes file3ds(const Bytes& editor) { return chunk(0x4D4D, chunk(0x3D3D, editor)); }

Bytes material(const std::string& name, const Bytes& more = "") {
    return chunk(0xAFFF, chunk(0xA000, cstr(name)) + more);
}

struct Loaded {
    std::unique_ptr<Scene3DS> scene;
    int error = 0;
};

Loaded load(const Bytes& bytes, bool uv = true, bool faceNormals = true, bool vertexNormals = true) {
    test::writeBytes("scene.3ds", bytes);
    errno = 0;
    Loaded r;
    r.scene.reset(createScene3DS("scene.3ds", uv, faceNormals, vertexNormals));
    r.error = errno;
    return r;
}

const std::vector<Vector3> kSquare = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};

}  // namespace

TEST(Scene3DS, LoadsTheQuadWithMaterialsAndNormals) {
    test::TempDir dir;
    Loaded r = load(test::quad3ds());
    ASSERT_TRUE(r.scene);
    Scene3DS& s = *r.scene;
    EXPECT_EQ(s.vertexCount(), 4u);
    EXPECT_EQ(s.faceCount(), 2u);
    EXPECT_EQ(s.texCoordCount, 4u);
    ASSERT_EQ(s.materialCount, 1u);
    EXPECT_STREQ(s.materials[0].name, "red");
    EXPECT_FLOAT_EQ(s.materials[0].diffuse.x, 1.0f);
    EXPECT_EQ(s.materials[0].textured, 1);
    EXPECT_STREQ(s.materials[0].textureMap, "red.jpg");
    EXPECT_EQ(s.faces[0].material, 0u);
    EXPECT_EQ(s.faces[1].material, 0u);

    Face3DS f;
    s.getFace(1, f);
    EXPECT_EQ(f.a, 0u);
    EXPECT_EQ(f.b, 2u);
    EXPECT_EQ(f.c, 3u);
    Vertex3DS v;
    s.getVertex(2, v);
    EXPECT_FLOAT_EQ(v.position.x, 1.0f);
    EXPECT_FLOAT_EQ(v.position.y, 1.0f);
    EXPECT_FLOAT_EQ(v.u, 1.0f);
    EXPECT_FLOAT_EQ(v.v, 1.0f);
    EXPECT_FLOAT_EQ(v.normal.z, 1.0f);
    Vector3 n;
    s.getFaceNormal(0, n);
    EXPECT_FLOAT_EQ(n.z, 1.0f);

    // Indices outside the scene leave the outputs as they were.
    Vertex3DS untouched;
    untouched.u = 42;
    s.getVertex(4, untouched);
    EXPECT_EQ(untouched.u, 42);
    Face3DS noFace;
    noFace.a = 99;
    s.getFace(2, noFace);
    EXPECT_EQ(noFace.a, 99u);
    Vector3 noNormal{5, 5, 5};
    s.getFaceNormal(2, noNormal);
    EXPECT_EQ(noNormal.x, 5);
}

TEST(Scene3DS, OptionsDecideWhatTheQueriesWrite) {
    test::TempDir dir;
    // Vertex normals are never computed without face normals; u and v are
    // only written when asked for.
    Loaded r = load(test::quad3ds(), false, false, true);
    ASSERT_TRUE(r.scene);
    Vertex3DS v;
    v.normal = {7, 7, 7};
    v.u = v.v = -1;
    r.scene->getVertex(1, v);
    EXPECT_FLOAT_EQ(v.position.x, 1.0f);
    EXPECT_EQ(v.normal.x, 7);
    EXPECT_EQ(v.u, -1);
    Vector3 n{3, 3, 3};
    r.scene->getFaceNormal(0, n);
    EXPECT_EQ(n.x, 3);
}

TEST(Scene3DS, WalksPastUnknownChunksAndReadsOnlyTheFirstObject) {
    test::TempDir dir;
    Bytes unknown = chunk(0x1234, "xyzzy");
    Bytes first = object("first", unknown + chunk(0x4100, unknown + vertexList(kSquare) + unknown +
                                                            faceList({{0, 1, 2}}, unknown) + unknown));
    Bytes second = object("second", chunk(0x4100, vertexList({{9, 9, 9}, {8, 8, 8}, {7, 7, 7}}) +
                                                      faceList({{0, 1, 2}, {2, 1, 0}})));
    Loaded r = load(chunk(0x4D4D, unknown + chunk(0x3D3D, unknown + first + unknown + second) + unknown));
    ASSERT_TRUE(r.scene);
    EXPECT_EQ(r.scene->vertexCount(), 4u);
    EXPECT_EQ(r.scene->faceCount(), 1u);

    // A first object without a mesh (a light) hides the meshes after it;
    // no object at all is an empty scene.
    Loaded light = load(file3ds(object("lamp", chunk(0x4600, f32(1) + f32(2) + f32(3))) + second));
    ASSERT_TRUE(light.scene);
    EXPECT_EQ(light.scene->vertexCount(), 0u);
    EXPECT_EQ(light.scene->faceCount(), 0u);
    Loaded empty = load(file3ds(material("m")));
    ASSERT_TRUE(empty.scene);
    EXPECT_EQ(empty.scene->faceCount(), 0u);
    EXPECT_EQ(empty.scene->materialCount, 1u);
}

TEST(Scene3DS, ColourChunksAndMaterialGroups) {
    test::TempDir dir;
    // The first colour sub-chunk decides; the linear one after it is passed
    // over and the texture map after the colour is still read.
    Bytes ambient = chunk(0xA010, chunk(0x0011, Bytes{char(51), char(102), char(255)}) +
                                      chunk(0x0012, Bytes{char(1), char(2), char(3)}));
    Bytes specular = chunk(0xA030, chunk(0x0010, f32(0.25f) + f32(0.5f) + f32(0.75f)));
    Bytes odd = chunk(0xA020, chunk(0x0030, le16(50)));  // a percentage: the colour stays
    Bytes map = chunk(0xA200, chunk(0xA300, cstr("wood.jpg")));
    Bytes groups = chunk(0x4130, cstr("early") + le16(1) + le16(0)) +
                   chunk(0x4130, cstr("late") + le16(1) + le16(1)) +
                   chunk(0x4130, cstr("early") + le16(2) + le16(60000) + le16(2));  // 60000: no such face
    Bytes mesh = object("o", chunk(0x4100, vertexList(kSquare) + faceList({{0, 1, 2}, {0, 2, 3}, {1, 2, 3}, {0, 1, 3}}, groups)));
    Loaded r = load(file3ds(material("early", ambient + specular + odd + map) + mesh + material("late")));
    ASSERT_TRUE(r.scene);
    Scene3DS& s = *r.scene;
    ASSERT_EQ(s.materialCount, 2u);
    const Material3DS& m = s.materials[0];
    EXPECT_FLOAT_EQ(m.ambient.x, 51 / 255.0f);
    EXPECT_FLOAT_EQ(m.ambient.y, 102 / 255.0f);
    EXPECT_FLOAT_EQ(m.ambient.z, 1.0f);
    EXPECT_FLOAT_EQ(m.specular.z, 0.75f);
    EXPECT_EQ(m.diffuse.x, 0.0f);
    EXPECT_EQ(m.textured, 1);
    EXPECT_STREQ(m.textureMap, "wood.jpg");
    EXPECT_EQ(s.faces[0].material, 0u);
    EXPECT_EQ(s.faces[1].material, 1u);  // "late" was not defined yet: the count then, 1
    EXPECT_EQ(s.faces[2].material, 0u);
    EXPECT_EQ(s.faces[3].material, 2u);  // named by no group: no material
}

TEST(Scene3DS, DegenerateFacesGetZeroNormalsAndDoNotSkewVertexNormals) {
    test::TempDir dir;
    Loaded r = load(file3ds(object("o", chunk(0x4100, vertexList(kSquare) + faceList({{0, 1, 2}, {0, 0, 3}, {1, 1, 1}})))));
    ASSERT_TRUE(r.scene);
    Vector3 n{9, 9, 9};
    r.scene->getFaceNormal(1, n);
    EXPECT_EQ(n.x, 0.0f);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_EQ(n.z, 0.0f);
    Vertex3DS v;
    r.scene->getVertex(0, v);
    EXPECT_FLOAT_EQ(v.normal.z, 1.0f);
    r.scene->getVertex(3, v);  // only in the degenerate face: the zero sum stays undivided
    EXPECT_EQ(v.normal.x, 0.0f);
    EXPECT_EQ(v.normal.z, 0.0f);
    // A face naming a vertex twice counts once: the normal stays unit length.
    Loaded twice = load(file3ds(object("o", chunk(0x4100, vertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) +
                                                              faceList({{0, 1, 2}, {0, 0, 1}})))));
    ASSERT_TRUE(twice.scene);
    twice.scene->getVertex(0, v);
    EXPECT_FLOAT_EQ(v.normal.z, 1.0f);
}

TEST(Scene3DS, BrokenFilesFailWithIoError) {
    test::TempDir dir;
    Bytes good = test::quad3ds();
    Bytes square = chunk(0x4100, vertexList(kSquare));
    struct Case {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", ""},
        {"not 3DS", Bytes("MZ") + le32(6)},
        {"only the id", le16(0x4D4D)},
        {"truncated in the vertex list", good.substr(0, 120)},
        {"truncated by one byte", good.substr(0, good.size() - 1)},
        {"chunk shorter than its header", le16(0x4D4D) + le32(12) + le16(0x3D3D) + le32(3)},
        {"main length below 6", le16(0x4D4D) + le32(0)},
        {"child past its parent", file3ds(le16(0x4000) + le32(1000))},
        {"vertex count beyond its chunk", file3ds(object("o", chunk(0x4100, chunk(0x4110, le16(60000) + f32(1)))))},
        {"face count beyond its chunk", file3ds(object("o", chunk(0x4100, chunk(0x4120, le16(65535)))))},
        {"mapping count beyond its chunk", file3ds(object("o", chunk(0x4100, chunk(0x4140, le16(2) + f32(0)))))},
        {"group count beyond its chunk",
         file3ds(object("o", chunk(0x4100, vertexList(kSquare) +
                                               faceList({{0, 1, 2}}, chunk(0x4130, cstr("m") + le16(500))))))},
        {"object name without its end", file3ds(chunk(0x4000, "noname"))},
        {"face corner beyond the vertices", file3ds(object("o", chunk(0x4100, vertexList(kSquare) + faceList({{0, 1, 4}}))))},
        {"faces without vertices", file3ds(object("o", chunk(0x4100, faceList({{0, 1, 2}}))))},
        {"broken colour", file3ds(material("m", chunk(0xA010, chunk(0x0010, f32(1)))))},
        {"header cut inside the parent", file3ds(object("o", square + Bytes("\x10\x41", 2)))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Loaded r = load(c.bytes);
        EXPECT_FALSE(r.scene);
        EXPECT_NE(std::strlen(scene3DSFailure()), 0u);
        Scene3DS s;
        EXPECT_EQ(s.load("scene.3ds", true, true, true), IoError);
        EXPECT_EQ(s.vertexCount(), 0u);
        EXPECT_EQ(s.positions, nullptr);
    }
}

TEST(Scene3DS, AnUnopenableFileKeepsItsReasonInErrno) {
    test::TempDir dir;
    Scene3DS s;
    errno = 0;
    EXPECT_EQ(s.load("absent.3ds", false, false, false), IoError);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_NE(std::string(errorText(IoError)).find(std::strerror(ENOENT)), std::string::npos);
    EXPECT_EQ(createScene3DS(nullptr, false, false, false), nullptr);
}

TEST(Scene3DS, LongNamesAreCutAndASecondListReplacesTheFirst) {
    test::TempDir dir;
    std::string longName(400, 'n');
    Bytes mesh = chunk(0x4100, vertexList({{5, 5, 5}}) + vertexList(kSquare) + faceList({{0, 1, 2}}));
    Loaded r = load(file3ds(material(longName) + object(longName, mesh)));
    ASSERT_TRUE(r.scene);
    EXPECT_EQ(std::strlen(r.scene->materials[0].name), 255u);
    EXPECT_EQ(r.scene->vertexCount(), 4u);
}
