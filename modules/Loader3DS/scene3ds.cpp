// Loader3DS: reads the chunk tree of a 3DS file into a Scene3DS.
//
// The file is read whole and walked in memory. Every length and count is
// checked against what its chunk (and so the file) can hold before anything
// is allocated or read: a chunk shorter than its 6-byte header, a chunk that
// runs past its parent or past the end of the file, a list whose count needs
// more bytes than its chunk has, or a name without its end inside its chunk
// fails the load with IoError. Face corners must name vertices of the mesh;
// face indices of a material group that name no face are passed over. The
// reason of the last failed load is kept for tools (scene3DSFailure).
#include "modules/Loader3DS/scene3ds.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kMain = 0x4D4D;
constexpr uint16_t kEditor = 0x3D3D;
constexpr uint16_t kObject = 0x4000;
constexpr uint16_t kMesh = 0x4100;
constexpr uint16_t kVertexList = 0x4110;
constexpr uint16_t kFaceList = 0x4120;
constexpr uint16_t kFaceMaterial = 0x4130;
constexpr uint16_t kMapping = 0x4140;
constexpr uint16_t kMaterial = 0xAFFF;
constexpr uint16_t kMaterialName = 0xA000;
constexpr uint16_t kAmbient = 0xA010;
constexpr uint16_t kDiffuse = 0xA020;
constexpr uint16_t kSpecular = 0xA030;
constexpr uint16_t kTextureMap = 0xA200;
constexpr uint16_t kMapFile = 0xA300;
constexpr uint16_t kColourFloat = 0x0010;
constexpr uint16_t kColour24 = 0x0011;

constexpr uint32_t kMaxMaterials = 65535;
constexpr uint32_t kUnnamed = 0xFFFFFFFFu;  // a face no material group named (yet)

std::string lastFailure;

void release(Scene3DS& s) {
    delete[] s.positions;
    delete[] s.vertexNormals;
    delete[] s.texCoords;
    delete[] s.faces;
    delete[] s.faceNormals;
    delete[] s.materials;
    s.positions = s.vertexNormals = s.faceNormals = nullptr;
    s.texCoords = nullptr;
    s.faces = nullptr;
    s.materials = nullptr;
    s.vertexCount_ = s.texCoordCount = s.faceCount_ = s.materialCount = 0;
    s.faceNormalsValid = s.vertexNormalsValid = s.texCoordsWanted = false;
}

class Loader {
public:
    Loader(Scene3DS& scene, const std::vector<uint8_t>& bytes) : s_(scene), d_(bytes.data()), size_(bytes.size()) {}

    bool run() {
        if (size_ < 2 || u16(0) != kMain) return fail("not a 3DS file (the first chunk is not 0x4D4D)");
        if (size_ < 6) return fail("the file ends inside the header of the main chunk");
        uint32_t length = u32(2);
        if (length < 6) return fail("the main chunk is shorter than its header");
        if (length > size_) return fail("the file ends inside the main chunk (%u of %u bytes)", unsigned(size_),
                                        unsigned(length));
        return children(6, length, [&](uint16_t id, size_t at, size_t end) {
            return id == kEditor ? editor(at, end) : true;
        });
    }

    bool finish() {
        for (uint32_t i = 0; i < s_.faceCount_; ++i) {
            Face3DS& f = s_.faces[i];
            uint32_t worst = std::max(f.a, std::max(f.b, f.c));
            if (worst >= s_.vertexCount_)
                return fail("face %u names vertex %u of a mesh of %u vertices", unsigned(i), unsigned(worst),
                            unsigned(s_.vertexCount_));
            if (f.material == kUnnamed) f.material = s_.materialCount;
        }
        return true;
    }

    std::string failure;

private:
    bool fail(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        char text[256];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        failure = text;
        return false;
    }

    uint16_t u16(size_t at) const { return uint16_t(d_[at] | d_[at + 1] << 8); }
    uint32_t u32(size_t at) const { return uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16; }
    float f32(size_t at) const {
        uint32_t w = u32(at);
        float f;
        std::memcpy(&f, &w, 4);
        return f;
    }

    // Walks the child chunks in [at, end); handle(id, content start, chunk end).
    template <class Handle>
    bool children(size_t at, size_t end, Handle&& handle) {
        while (at < end) {
            if (end - at < 6) return fail("a chunk header at byte %zu runs past its parent", at);
            uint16_t id = u16(at);
            uint32_t length = u32(at + 2);
            if (length < 6) return fail("chunk 0x%04X at byte %zu is shorter than its header", id, at);
            if (length > end - at)
                return fail("chunk 0x%04X at byte %zu runs past its parent (%u bytes, %zu left)", id, at,
                            unsigned(length), end - at);
            if (!handle(id, at + 6, at + length)) return false;
            at += length;
        }
        return true;
    }

    // A NUL-ended name inside [at, end); at most 255 bytes are kept.
    bool name(size_t& at, size_t end, char* out, const char* what) {
        const void* nul = std::memchr(d_ + at, 0, end - at);
        if (!nul) return fail("the %s at byte %zu has no end inside its chunk", what, at);
        size_t length = size_t(static_cast<const uint8_t*>(nul) - (d_ + at));
        if (out) {
            size_t kept = std::min<size_t>(length, 255);
            std::memcpy(out, d_ + at, kept);
            out[kept] = '\0';
        }
        at += length + 1;
        return true;
    }

    // A 16-bit count at `at` of records of `record` bytes, all inside end.
    bool count(size_t at, size_t end, size_t record, const char* what, uint32_t& n) {
        if (end - at < 2) return fail("the %s at byte %zu has no room for its count", what, at);
        n = u16(at);
        if (size_t(n) * record > end - at - 2)
            return fail("the %s at byte %zu announces %u entries but its chunk holds %zu bytes", what, at,
                        unsigned(n), end - at - 2);
        return true;
    }

    bool editor(size_t at, size_t end) {
        return children(at, end, [&](uint16_t id, size_t content, size_t chunkEnd) {
            if (id == kObject) {
                if (objectSeen_) return true;  // only the first object counts
                objectSeen_ = true;
                return object(content, chunkEnd);
            }
            if (id == kMaterial) return material(content, chunkEnd);
            return true;
        });
    }

    bool object(size_t at, size_t end) {
        if (!name(at, end, nullptr, "object name")) return false;
        return children(at, end, [&](uint16_t id, size_t content, size_t chunkEnd) {
            return id == kMesh ? mesh(content, chunkEnd) : true;
        });
    }

    bool mesh(size_t at, size_t end) {
        return children(at, end, [&](uint16_t id, size_t content, size_t chunkEnd) {
            switch (id) {
                case kVertexList: return vertices(content, chunkEnd);
                case kFaceList: return faces(content, chunkEnd);
                case kMapping: return mapping(content, chunkEnd);
                default: return true;
            }
        });
    }

    // A later list of the same kind in the mesh replaces the earlier one.
    bool vertices(size_t at, size_t end) {
        uint32_t n = 0;
        if (!count(at, end, 12, "vertex list", n)) return false;
        Vector3* positions = new (std::nothrow) Vector3[n ? n : 1];
        if (!positions) return fail("out of memory for %u vertices", unsigned(n));
        for (uint32_t i = 0; i < n; ++i) {
            size_t p = at + 2 + 12 * size_t(i);
            positions[i] = Vector3{f32(p), f32(p + 4), f32(p + 8)};
        }
        delete[] s_.positions;
        s_.positions = positions;
        s_.vertexCount_ = n;
        return true;
    }

    bool faces(size_t at, size_t end) {
        uint32_t n = 0;
        if (!count(at, end, 8, "face list", n)) return false;
        Face3DS* faces = new (std::nothrow) Face3DS[n ? n : 1];
        if (!faces) return fail("out of memory for %u faces", unsigned(n));
        for (uint32_t i = 0; i < n; ++i) {
            size_t p = at + 2 + 8 * size_t(i);
            faces[i].a = u16(p);
            faces[i].b = u16(p + 2);
            faces[i].c = u16(p + 4);
            faces[i].material = kUnnamed;
        }
        delete[] s_.faces;
        s_.faces = faces;
        s_.faceCount_ = n;
        return children(at + 2 + 8 * size_t(n), end, [&](uint16_t id, size_t content, size_t chunkEnd) {
            return id == kFaceMaterial ? faceMaterial(content, chunkEnd) : true;
        });
    }

    bool faceMaterial(size_t at, size_t end) {
        char group[256];
        if (!name(at, end, group, "material group name")) return false;
        uint32_t m = 0;
        if (!count(at, end, 2, "material group", m)) return false;
        // Only the materials read so far: one defined later is not found.
        uint32_t index = s_.materialCount;
        for (uint32_t i = 0; i < s_.materialCount; ++i) {
            if (std::strcmp(s_.materials[i].name, group) == 0) {
                index = i;
                break;
            }
        }
        for (uint32_t i = 0; i < m; ++i) {
            uint32_t face = u16(at + 2 + 2 * size_t(i));
            if (face < s_.faceCount_) s_.faces[face].material = index;
        }
        return true;
    }

    bool mapping(size_t at, size_t end) {
        uint32_t n = 0;
        if (!count(at, end, 8, "mapping list", n)) return false;
        float* uv = new (std::nothrow) float[2 * size_t(n ? n : 1)];
        if (!uv) return fail("out of memory for %u mapping coordinates", unsigned(n));
        for (uint32_t i = 0; i < n; ++i) {
            size_t p = at + 2 + 8 * size_t(i);
            uv[2 * i] = f32(p);
            uv[2 * i + 1] = f32(p + 4);
        }
        delete[] s_.texCoords;
        s_.texCoords = uv;
        s_.texCoordCount = n;
        return true;
    }

    bool material(size_t at, size_t end) {
        if (s_.materialCount >= kMaxMaterials) return fail("more than %u materials", unsigned(kMaxMaterials));
        Material3DS* grown = new (std::nothrow) Material3DS[s_.materialCount + 1];
        if (!grown) return fail("out of memory for %u materials", unsigned(s_.materialCount + 1));
        for (uint32_t i = 0; i < s_.materialCount; ++i) grown[i] = s_.materials[i];
        delete[] s_.materials;
        s_.materials = grown;
        Material3DS& m = s_.materials[s_.materialCount++];
        return children(at, end, [&](uint16_t id, size_t content, size_t chunkEnd) {
            switch (id) {
                case kMaterialName: return name(content, chunkEnd, m.name, "material name");
                case kAmbient: return colour(content, chunkEnd, m.ambient);
                case kDiffuse: return colour(content, chunkEnd, m.diffuse);
                case kSpecular: return colour(content, chunkEnd, m.specular);
                case kTextureMap:
                    m.textured = 1;
                    return children(content, chunkEnd, [&](uint16_t sub, size_t subContent, size_t subEnd) {
                        return sub == kMapFile ? name(subContent, subEnd, m.textureMap, "texture map name") : true;
                    });
                default: return true;
            }
        });
    }

    // The first sub-chunk decides; whatever follows it is passed over.
    bool colour(size_t at, size_t end, Vector3& out) {
        if (at == end) return true;
        if (end - at < 6) return fail("a colour sub-chunk at byte %zu runs past its parent", at);
        uint16_t id = u16(at);
        uint32_t length = u32(at + 2);
        if (length < 6 || length > end - at) return fail("colour sub-chunk 0x%04X at byte %zu is broken", id, at);
        size_t content = at + 6;
        size_t room = length - 6;
        if (id == kColourFloat) {
            if (room < 12) return fail("colour sub-chunk 0x0010 at byte %zu is too short", at);
            out = Vector3{f32(content), f32(content + 4), f32(content + 8)};
        } else if (id == kColour24) {
            if (room < 3) return fail("colour sub-chunk 0x0011 at byte %zu is too short", at);
            out = Vector3{d_[content] / 255.0f, d_[content + 1] / 255.0f, d_[content + 2] / 255.0f};
        }
        return true;
    }

    Scene3DS& s_;
    const uint8_t* d_;
    size_t size_;
    bool objectSeen_ = false;
};

void computeFaceNormals(Scene3DS& s) {
    s.faceNormals = new (std::nothrow) Vector3[s.faceCount_ ? s.faceCount_ : 1];
    if (!s.faceNormals) return;
    for (uint32_t i = 0; i < s.faceCount_; ++i) {
        const Face3DS& f = s.faces[i];
        const Vector3& p = s.positions[f.a];
        const Vector3& q = s.positions[f.b];
        const Vector3& r = s.positions[f.c];
        Vector3 e1{q.x - p.x, q.y - p.y, q.z - p.z};
        Vector3 e2{r.x - p.x, r.y - p.y, r.z - p.z};
        Vector3 n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
        float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (length != 0.0f) n = Vector3{n.x / length, n.y / length, n.z / length};
        s.faceNormals[i] = n;
    }
    s.faceNormalsValid = true;
}

// Each vertex sums, in face order, the normals of the faces that name it
// (once per face), as a pass over every face per vertex would, in one pass.
void computeVertexNormals(Scene3DS& s) {
    s.vertexNormals = new (std::nothrow) Vector3[s.vertexCount_ ? s.vertexCount_ : 1];
    if (!s.vertexNormals) return;
    for (uint32_t i = 0; i < s.vertexCount_; ++i) s.vertexNormals[i] = Vector3{};
    auto add = [&](uint32_t v, const Vector3& n) {
        Vector3& sum = s.vertexNormals[v];
        sum.x += n.x;
        sum.y += n.y;
        sum.z += n.z;
    };
    for (uint32_t i = 0; i < s.faceCount_; ++i) {
        const Face3DS& f = s.faces[i];
        const Vector3& n = s.faceNormals[i];
        add(f.a, n);
        if (f.b != f.a) add(f.b, n);
        if (f.c != f.a && f.c != f.b) add(f.c, n);
    }
    for (uint32_t i = 0; i < s.vertexCount_; ++i) {
        Vector3& n = s.vertexNormals[i];
        float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (length != 0.0f) n = Vector3{n.x / length, n.y / length, n.z / length};
    }
    s.vertexNormalsValid = true;
}

}  // namespace

Scene3DS::~Scene3DS() {
    release(*this);
    if (file) std::fclose(file);
}

ErrorCode Scene3DS::load(const char* path, bool wantTexCoords, bool wantFaceNormals, bool wantVertexNormals) {
    release(*this);
    lastFailure.clear();
    file = std::fopen(path ? path : "", "rb");
    if (!file) {
        int saved = errno;
        lastFailure = std::string("cannot open: ") + std::strerror(saved);
        errno = saved;  // IoError's text tells why the open failed
        return IoError;
    }
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.insert(bytes.end(), block, block + got);
    bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    file = nullptr;
    if (readFailed) {
        lastFailure = "read error";
        errno = EIO;
        return IoError;
    }

    Loader loader(*this, bytes);
    if (!loader.run() || !loader.finish()) {
        lastFailure = loader.failure;
        release(*this);
        errno = EIO;
        return IoError;
    }
    if (wantTexCoords) texCoordsWanted = true;
    if (wantFaceNormals) {
        computeFaceNormals(*this);
        if (wantVertexNormals && faceNormalsValid) computeVertexNormals(*this);
    }
    return Ok;
}

uint32_t Scene3DS::vertexCount() { return vertexCount_; }

void Scene3DS::getVertex(uint32_t index, Vertex3DS& out) {
    if (index >= vertexCount_) return;
    out.position = positions[index];
    if (vertexNormalsValid) out.normal = vertexNormals[index];
    if (texCoordsWanted && index < texCoordCount) {
        out.u = texCoords[2 * size_t(index)];
        out.v = texCoords[2 * size_t(index) + 1];
    }
}

uint32_t Scene3DS::faceCount() { return faceCount_; }

void Scene3DS::getFace(uint32_t index, Face3DS& out) {
    if (index >= faceCount_) return;
    out.a = faces[index].a;
    out.b = faces[index].b;
    out.c = faces[index].c;
}

void Scene3DS::getFaceNormal(uint32_t index, Vector3& out) {
    if (faceNormalsValid && index < faceCount_) out = faceNormals[index];
}

const char* scene3DSFailure() { return lastFailure.c_str(); }

Scene3DS* createScene3DS(const char* path, bool wantTexCoords, bool wantFaceNormals, bool wantVertexNormals) {
    Scene3DS* scene = new (std::nothrow) Scene3DS;
    if (!scene) return nullptr;
    if (scene->load(path, wantTexCoords, wantFaceNormals, wantVertexNormals) != Ok) {
        int saved = errno;
        delete scene;
        errno = saved;
        return nullptr;
    }
    return scene;
}
