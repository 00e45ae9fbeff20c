// The two 3DS scenes and the two camera path files.
//
// Both scenes sit around the origin of a z-up world at the same scale, so
// one camera path films either: the eye circles at 150 to 330 units from
// the z axis, the target stays near the origin. The star (130 units to its
// tips) stands upright inside a ring of donuts at 250 units, with a wider
// ring of small donuts at 420; the mushroom world's ground lies near
// z = -120, below every eye position of camera_line_droit2.spl (10 to 115),
// with its tallest mushroom well inside the eye's closest approach.
//
// Every part is a closed surface with shared corners, its triangles wound
// counter-clockwise seen from outside (the mesh effect culls back faces).
// checkClosedAndOutward verifies that before anything is written.
//
// The 3DS writer emits the chunks the production's loader reads:
// 0x4D4D > 0x0002 version, 0x3D3D > (0x3D3E, 0xAFFF material, 0x4000 named
// object > 0x4100 mesh > 0x4110 vertices, 0x4120 faces > 0x4130 group).
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <utility>

#include "tools/datagen/datagen.h"

namespace datagen {

namespace {

struct Mesh {
    std::vector<Vec3> vertices;
    std::vector<std::array<uint32_t, 3>> faces;

    uint32_t add(Vec3 v) {
        vertices.push_back(v);
        return uint32_t(vertices.size() - 1);
    }
    void tri(uint32_t a, uint32_t b, uint32_t c) { faces.push_back({a, b, c}); }
    // Corners listed counter-clockwise seen from outside.
    void quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
        tri(a, b, c);
        tri(a, c, d);
    }
};

// An orthonormal frame: columns e1, e2, e3 with e1 x e2 = e3.
struct Frame {
    Vec3 e1{1, 0, 0}, e2{0, 1, 0}, e3{0, 0, 1};
    Vec3 apply(Vec3 p) const { return e1 * p.x + e2 * p.y + e3 * p.z; }
};

Frame frameFromAxis(Vec3 axis) {
    Frame f;
    f.e3 = normalize(axis);
    Vec3 helper = std::fabs(f.e3.z) < 0.9f ? Vec3{0, 0, 1} : Vec3{1, 0, 0};
    f.e1 = normalize(cross(helper, f.e3));
    f.e2 = cross(f.e3, f.e1);
    return f;
}

// Torus around the frame's e3 axis; (u, v) quads with u around the axis and
// v around the tube have their u x v tangent cross product pointing out.
void addTorus(Mesh& m, Vec3 centre, const Frame& f, float major, float minor, int nu, int nv) {
    uint32_t first = uint32_t(m.vertices.size());
    for (int i = 0; i < nu; ++i) {
        float u = 2.0f * kPi * float(i) / float(nu);
        for (int j = 0; j < nv; ++j) {
            float v = 2.0f * kPi * float(j) / float(nv);
            float r = major + minor * std::cos(v);
            Vec3 local{r * std::cos(u), r * std::sin(u), minor * std::sin(v)};
            m.add(centre + f.apply(local));
        }
    }
    auto idx = [&](int i, int j) { return first + uint32_t((i % nu) * nv + (j % nv)); };
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) m.quad(idx(i, j), idx(i + 1, j), idx(i + 1, j + 1), idx(i, j + 1));
}

// A five-pointed star with a ridge on both faces: a ring of tips and notches
// joined to a front and a back apex. The local star lies in its xy plane
// facing +z and is placed with the frame.
void addStar(Mesh& m, Vec3 centre, const Frame& f, float outer, float inner, float depth) {
    uint32_t front = m.add(centre + f.apply({0, 0, depth}));
    uint32_t back = m.add(centre + f.apply({0, 0, -depth}));
    uint32_t ring = uint32_t(m.vertices.size());
    for (int k = 0; k < 10; ++k) {
        float a = kPi * 0.5f + kPi * float(k) / 5.0f;
        float r = (k % 2 == 0) ? outer : inner;
        m.add(centre + f.apply({r * std::cos(a), r * std::sin(a), 0}));
    }
    for (uint32_t k = 0; k < 10; ++k) {
        uint32_t a = ring + k, b = ring + (k + 1) % 10;
        m.tri(front, a, b);
        m.tri(back, b, a);
    }
}

// Upright cylinder (z axis) from z0 to z1 with flat ends.
void addCylinder(Mesh& m, Vec3 base, float r0, float r1, float height, int n) {
    uint32_t bottom = m.add(base);
    uint32_t top = m.add(base + Vec3{0, 0, height});
    uint32_t first = uint32_t(m.vertices.size());
    for (int i = 0; i < n; ++i) {
        float a = 2.0f * kPi * float(i) / float(n);
        m.add(base + Vec3{r0 * std::cos(a), r0 * std::sin(a), 0});
        m.add(base + Vec3{r1 * std::cos(a), r1 * std::sin(a), height});
    }
    for (int i = 0; i < n; ++i) {
        uint32_t b0 = first + uint32_t(2 * i), t0 = b0 + 1;
        uint32_t b1 = first + uint32_t(2 * ((i + 1) % n)), t1 = b1 + 1;
        m.quad(b0, b1, t1, t0);
        m.tri(top, t0, t1);
        m.tri(bottom, b1, b0);
    }
}

// A mushroom cap: a dome of radius a and height b over a rim at z = base.z,
// closed below by a shallow cone rising into it.
void addCap(Mesh& m, Vec3 base, float a, float b, int nu, int nv) {
    uint32_t apex = m.add(base + Vec3{0, 0, b});
    uint32_t under = m.add(base + Vec3{0, 0, b * 0.25f});
    uint32_t first = uint32_t(m.vertices.size());
    for (int j = 0; j < nv; ++j) {  // j = 0 is the rim
        float v = 0.5f * kPi * float(j) / float(nv);
        for (int i = 0; i < nu; ++i) {
            float u = 2.0f * kPi * float(i) / float(nu);
            m.add(base + Vec3{a * std::cos(v) * std::cos(u), a * std::cos(v) * std::sin(u), b * std::sin(v)});
        }
    }
    auto idx = [&](int i, int j) { return first + uint32_t(j * nu + (i % nu)); };
    for (int j = 0; j + 1 < nv; ++j)
        for (int i = 0; i < nu; ++i) m.quad(idx(i, j), idx(i + 1, j), idx(i + 1, j + 1), idx(i, j + 1));
    for (int i = 0; i < nu; ++i) {
        m.tri(idx(i, nv - 1), idx(i + 1, nv - 1), apex);
        m.tri(under, idx(i + 1, 0), idx(i, 0));
    }
}

float groundHeight(float x, float y) {
    return -120.0f + 9.0f * std::sin(x * 0.013f) * std::cos(y * 0.011f) + 6.0f * std::sin((x + y) * 0.021f) +
           10.0f * (fbm(x * 0.004f + 10.0f, y * 0.004f + 10.0f, 3, 555u) - 0.5f);
}

// The ground: a rolling top surface over a flat-bottomed slab, closed.
void addGround(Mesh& m, float half, int cells) {
    const float bottomZ = -160.0f;
    uint32_t first = uint32_t(m.vertices.size());
    float step = 2.0f * half / float(cells);
    int n = cells + 1;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            float x = -half + step * float(i), y = -half + step * float(j);
            m.add({x, y, groundHeight(x, y)});
        }
    auto top = [&](int i, int j) { return first + uint32_t(j * n + i); };
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) m.quad(top(i, j), top(i + 1, j), top(i + 1, j + 1), top(i, j + 1));
    // The rim of the top surface, counter-clockwise seen from above.
    std::vector<uint32_t> rim;
    for (int i = 0; i < cells; ++i) rim.push_back(top(i, 0));
    for (int j = 0; j < cells; ++j) rim.push_back(top(cells, j));
    for (int i = cells; i > 0; --i) rim.push_back(top(i, cells));
    for (int j = cells; j > 0; --j) rim.push_back(top(0, j));
    std::vector<uint32_t> low;
    for (uint32_t r : rim) low.push_back(m.add({m.vertices[r].x, m.vertices[r].y, bottomZ}));
    uint32_t centre = m.add({0, 0, bottomZ});
    size_t count = rim.size();
    for (size_t k = 0; k < count; ++k) {
        size_t k1 = (k + 1) % count;
        m.quad(low[k], low[k1], rim[k1], rim[k]);
        m.tri(centre, low[k1], low[k]);
    }
}

// Each connected part must be closed (every directed edge met once, and its
// reverse once) and enclose a positive volume, which holds exactly when its
// triangles are counter-clockwise seen from outside.
bool checkClosedAndOutward(const Mesh& m, const char* name) {
    std::map<std::pair<uint32_t, uint32_t>, int> edges;
    for (const auto& f : m.faces)
        for (int k = 0; k < 3; ++k) ++edges[{f[size_t(k)], f[size_t((k + 1) % 3)]}];
    for (const auto& [edge, count] : edges) {
        auto back = edges.find({edge.second, edge.first});
        if (count != 1 || back == edges.end() || back->second != 1) {
            std::fprintf(stderr, "datagen: %s is not a closed surface at edge %u-%u\n", name, edge.first, edge.second);
            return false;
        }
    }
    std::vector<uint32_t> parent(m.vertices.size());
    for (uint32_t i = 0; i < parent.size(); ++i) parent[i] = i;
    std::function<uint32_t(uint32_t)> root = [&](uint32_t i) { return parent[i] == i ? i : parent[i] = root(parent[i]); };
    for (const auto& f : m.faces) {
        parent[root(f[1])] = root(f[0]);
        parent[root(f[2])] = root(f[0]);
    }
    std::map<uint32_t, double> volume;
    for (const auto& f : m.faces) {
        Vec3 a = m.vertices[f[0]], b = m.vertices[f[1]], c = m.vertices[f[2]];
        volume[root(f[0])] += double(dot(a, cross(b, c))) / 6.0;
    }
    for (const auto& [part, v] : volume) {
        if (v <= 0.0) {
            std::fprintf(stderr, "datagen: a part of %s is wound inside out (volume %g)\n", name, v);
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// 3DS chunk writer

class ChunkWriter {
public:
    void begin(uint16_t id) {
        u16(id);
        open_.push_back(bytes_.size());
        u32(0);  // patched by end()
    }
    void end() {
        size_t at = open_.back();
        open_.pop_back();
        uint32_t length = uint32_t(bytes_.size() - at + 2);
        for (int i = 0; i < 4; ++i) bytes_[at + size_t(i)] = uint8_t(length >> (8 * i));
    }
    void u8(uint8_t v) { bytes_.push_back(v); }
    void u16(uint16_t v) {
        u8(uint8_t(v));
        u8(uint8_t(v >> 8));
    }
    void u32(uint32_t v) {
        u16(uint16_t(v));
        u16(uint16_t(v >> 16));
    }
    void f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    void str(const char* s) {
        for (; *s; ++s) u8(uint8_t(*s));
        u8(0);
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    std::vector<size_t> open_;
};

bool write3ds(const std::string& path, const Mesh& mesh, const char* objectName, const char* material, Vec3 colour) {
    if (mesh.vertices.size() > 65535 || mesh.faces.size() > 65535) {
        std::fprintf(stderr, "datagen: %s has too many vertices or faces for 3DS\n", path.c_str());
        return false;
    }
    ChunkWriter w;
    w.begin(0x4D4D);
    w.begin(0x0002);
    w.u32(3);
    w.end();
    w.begin(0x3D3D);
    w.begin(0x3D3E);
    w.u32(3);
    w.end();
    w.begin(0xAFFF);
    w.begin(0xA000);
    w.str(material);
    w.end();
    for (uint16_t id : {uint16_t(0xA010), uint16_t(0xA020), uint16_t(0xA030)}) {
        Vec3 c = id == 0xA010 ? colour * 0.2f : (id == 0xA020 ? colour : Vec3{0.3f, 0.3f, 0.3f});
        w.begin(id);
        w.begin(0x0011);
        w.u8(uint8_t(std::lround(clamp01(c.x) * 255.0f)));
        w.u8(uint8_t(std::lround(clamp01(c.y) * 255.0f)));
        w.u8(uint8_t(std::lround(clamp01(c.z) * 255.0f)));
        w.end();
        w.end();
    }
    w.end();  // 0xAFFF
    w.begin(0x4000);
    w.str(objectName);
    w.begin(0x4100);
    w.begin(0x4110);
    w.u16(uint16_t(mesh.vertices.size()));
    for (const Vec3& v : mesh.vertices) {
        w.f32(v.x);
        w.f32(v.y);
        w.f32(v.z);
    }
    w.end();
    w.begin(0x4120);
    w.u16(uint16_t(mesh.faces.size()));
    for (const auto& f : mesh.faces) {
        w.u16(uint16_t(f[0]));
        w.u16(uint16_t(f[1]));
        w.u16(uint16_t(f[2]));
        w.u16(0x0007);  // all three edges visible
    }
    w.begin(0x4130);
    w.str(material);
    w.u16(uint16_t(mesh.faces.size()));
    for (size_t i = 0; i < mesh.faces.size(); ++i) w.u16(uint16_t(i));
    w.end();
    w.end();  // 0x4120
    w.end();  // 0x4100
    w.end();  // 0x4000
    w.end();  // 0x3D3D
    w.end();  // 0x4D4D
    return writeBytes(path, w.bytes());
}

// ---------------------------------------------------------------------------
// Scenes

Mesh starScene() {
    Mesh m;
    // Upright star: its local xy plane becomes the world's xz plane.
    Frame upright;
    upright.e1 = {1, 0, 0};
    upright.e2 = {0, 0, 1};
    upright.e3 = {0, -1, 0};
    addStar(m, {0, 0, 0}, upright, 130.0f, 55.0f, 38.0f);
    // Eight donuts on a ring, each tilted its own way, bobbing up and down.
    for (int i = 0; i < 8; ++i) {
        float a = 2.0f * kPi * float(i) / 8.0f;
        Vec3 centre{250.0f * std::cos(a), 250.0f * std::sin(a), 30.0f * std::sin(a * 3.0f)};
        Vec3 axis{std::cos(a + 0.7f), std::sin(a + 0.7f), 0.9f + 0.5f * std::sin(a * 2.0f)};
        addTorus(m, centre, frameFromAxis(axis), 38.0f, 13.0f, 28, 14);
    }
    // An outer, higher ring of small donuts, and two small stars above and below.
    for (int i = 0; i < 6; ++i) {
        float a = 2.0f * kPi * (float(i) + 0.5f) / 6.0f;
        Vec3 centre{420.0f * std::cos(a), 420.0f * std::sin(a), (i % 2 ? 110.0f : -70.0f)};
        addTorus(m, centre, frameFromAxis({std::sin(a), -std::cos(a), 0.4f}), 26.0f, 9.0f, 20, 10);
    }
    Frame flat;
    addStar(m, {0, 0, 190.0f}, flat, 40.0f, 17.0f, 13.0f);
    Frame flipped;
    flipped.e2 = {0, -1, 0};
    flipped.e3 = {0, 0, -1};
    addStar(m, {0, 0, -190.0f}, flipped, 40.0f, 17.0f, 13.0f);
    return m;
}

Mesh mushroomWorld() {
    Mesh m;
    addGround(m, 700.0f, 56);
    auto mushroom = [&](float x, float y, float s) {
        float g = groundHeight(x, y);
        float stemH = 55.0f * s;
        addCylinder(m, {x, y, g - 6.0f}, 9.0f * s, 7.0f * s, stemH + 6.0f, 12);
        addCap(m, {x, y, g + stemH - 4.0f * s}, 30.0f * s, 22.0f * s, 20, 6);
    };
    // A big one in the middle and a crowd around it, kept off the eye's way.
    mushroom(0.0f, 0.0f, 1.9f);
    Rng rng(6006);
    std::vector<Vec3> placed{{0, 0, 1.9f}};
    int tries = 0;
    while (placed.size() < 46 && tries++ < 5000) {
        float r = rng.range(150.0f, 620.0f), a = rng.range(0.0f, 2.0f * kPi);
        float s = rng.range(0.45f, 1.1f);
        Vec3 p{r * std::cos(a), r * std::sin(a), s};
        bool clear = true;
        for (const Vec3& q : placed) {
            float dx = p.x - q.x, dy = p.y - q.y;
            float need = 32.0f * (p.z + q.z) + 6.0f;
            if (dx * dx + dy * dy < need * need) clear = false;
        }
        if (!clear) continue;
        placed.push_back(p);
        mushroom(p.x, p.y, s);
    }
    return m;
}

// ---------------------------------------------------------------------------
// Camera paths, text form: the path count, then per path its point count and
// points, one per line.

struct PathSet {
    std::vector<std::vector<Vec3>> paths;
};

bool writeSpl(const std::string& path, const PathSet& set) {
    std::string out = std::to_string(set.paths.size()) + "\n";
    char line[96];
    for (const auto& p : set.paths) {
        out += std::to_string(p.size()) + "\n";
        for (const Vec3& v : p) {
            std::snprintf(line, sizeof line, "%.3f %.3f %.3f\n", double(v.x), double(v.y), double(v.z));
            out += line;
        }
    }
    return writeBytes(path, std::vector<uint8_t>(out.begin(), out.end()));
}

// direction +1 or -1: the eye circles the other way round, from the other
// side, and passes under the donut ring where the other passes over it.
// Twice per path it swings in between the star and the ring at the star's
// height, and twice out beyond the ring; it crosses the ring's radius only
// while it is well above (or below) the donuts.
PathSet cameraPaths(float direction) {
    const int n = 240;
    PathSet set;
    std::vector<Vec3> eye, target;
    float start = direction > 0.0f ? 0.0f : kPi;
    for (int i = 0; i < n; ++i) {
        float s = float(i) / float(n - 1);
        float a = start + direction * 2.0f * kPi * 1.25f * s;
        float phi = 4.0f * kPi * s;
        float r = 240.0f + 90.0f * std::cos(phi);
        float c = std::cos(phi), lift = 1.0f - c * c * c * c;
        float z = direction > 0.0f ? 10.0f + 105.0f * lift : -110.0f * lift;
        eye.push_back({r * std::cos(a), r * std::sin(a), z});
        float ta = a + direction * 0.6f;
        target.push_back({25.0f * std::cos(ta), 25.0f * std::sin(ta), -30.0f + 10.0f * std::sin(2.0f * kPi * s)});
    }
    set.paths = {eye, target};
    return set;
}

}  // namespace

bool generateScenes(const std::string& dir) {
    bool ok = true;
    Mesh star = starScene();
    if (checkClosedAndOutward(star, "the star scene"))
        ok = write3ds(dir + "/etoile-donuts/etoile-donuts.3ds", star, "etoile", "chrome", {0.9f, 0.9f, 1.0f}) && ok;
    else
        ok = false;
    Mesh world = mushroomWorld();
    if (checkClosedAndOutward(world, "the mushroom world"))
        ok = write3ds(dir + "/champi/champiworld.3ds", world, "champiworld", "moss", {0.2f, 0.9f, 0.2f}) && ok;
    else
        ok = false;
    ok = writeSpl(dir + "/etoile-donuts/camera_line_droit2.spl", cameraPaths(1.0f)) && ok;
    ok = writeSpl(dir + "/etoile-donuts/camera_line_invert2.spl", cameraPaths(-1.0f)) && ok;
    return ok;
}

}  // namespace datagen
