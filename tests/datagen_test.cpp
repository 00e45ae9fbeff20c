// The generated assets read back through the production's own readers:
// every picture decodes to a power-of-two RGB picture the texture upload
// accepts, text plates are light text on black, both scenes are closed
// meshes wound counter-clockwise seen from outside, and the camera paths
// fly around the scenes without entering them and look at them.
//
// The assets come from the checkout's data/ when make data wrote it with the
// current generator, otherwise from one generator run without the music,
// kept in the build folder until the generator changes (the music is
// checked end to end by tests/e2e/datagen.sh).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "modules/Loader3DS/scene3ds.h"
#include "modules/picture.h"
#include "modules/spline_path.h"
#include "tests/support/test_support.h"

namespace {

const char* const kPictures[] = {
    "loading.jpg",          "etoile-donuts/bgmap.jpg", "Hypercube/bgmap.jpg", "cubes/bgmap.jpg",
    "champi/champi1.jpg",   "text/logo.jpg",           "text/velmora.jpg",    "text/presents.jpg",
    "text/demo.jpg",        "text/enjoy.jpg",          "text/Sgreets01.jpg",  "text/Sgreets02.jpg",
    "text/Sgreets03.jpg",   "text/Sgreets04.jpg",      "text/Sgreets05.jpg",  "text/Sgreets06.jpg",
    "text/Sgreets07.jpg",   "text/Sgreets08.jpg",      "text/Sgreets09.jpg",
};

std::string generator() { return test::buildDir() + "/quillon-datagen"; }

int run(const std::string& command) {
    int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double mtime(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? double(st.st_mtim.tv_sec) + st.st_mtim.tv_nsec * 1e-9 : -1.0;
}

class GeneratedData : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string checkout = test::sourceDir() + "/data";
        bool fresh = mtime(checkout + "/.stamp") > mtime(generator());
        for (const char* p : kPictures) fresh = fresh && mtime(checkout + "/" + p) > 0;
        if (fresh) {
            dir_ = checkout;
            generated_ = true;
            return;
        }
        // One generation per generator build, shared by the test processes
        // (CTest runs each test on its own, maybe in parallel) under a lock.
        std::string cache = test::buildDir() + "/datagen-test";
        std::filesystem::create_directories(cache);
        dir_ = cache + "/data";
        int lock = ::open((cache + "/lock").c_str(), O_CREAT | O_RDWR, 0644);
        if (lock >= 0) ::flock(lock, LOCK_EX);
        if (mtime(cache + "/stamp") > mtime(generator())) {
            generated_ = true;
        } else {
            std::filesystem::remove_all(dir_);
            generated_ = run(generator() + " --no-music " + dir_) == 0;
            if (generated_) run("touch " + cache + "/stamp");
        }
        if (lock >= 0) ::close(lock);
    }
    void SetUp() override { ASSERT_TRUE(generated_) << "the generator failed"; }
    static std::string path(const std::string& name) { return dir_ + "/" + name; }

    static std::string dir_;
    static bool generated_;
};
std::string GeneratedData::dir_;
bool GeneratedData::generated_ = false;

struct V {
    double x, y, z;
};
V operator-(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V of(const Vector3& v) { return {v.x, v.y, v.z}; }

struct LoadedMesh {
    std::vector<V> vertices;
    std::vector<Face3DS> faces;
};

LoadedMesh loadMesh(const std::string& file) {
    LoadedMesh m;
    std::unique_ptr<Scene3DS> scene(createScene3DS(file.c_str(), false, true, false));
    if (!scene) return m;
    for (uint32_t i = 0; i < scene->vertexCount(); ++i) {
        Vertex3DS v;
        scene->getVertex(i, v);
        m.vertices.push_back(of(v.position));
    }
    for (uint32_t i = 0; i < scene->faceCount(); ++i) {
        Face3DS f;
        scene->getFace(i, f);
        m.faces.push_back(f);
    }
    return m;
}

TEST_F(GeneratedData, PicturesDecodeToPowerOfTwoRgbWithRowsOfWholeWords) {
    for (const char* name : kPictures) {
        SCOPED_TRACE(name);
        RgbPicture* p = loadJpeg(path(name).c_str());
        ASSERT_NE(p, nullptr) << jpegFailure();
        EXPECT_GE(p->width, 64);
        EXPECT_EQ(p->width & (p->width - 1), 0);
        EXPECT_EQ(p->height & (p->height - 1), 0);
        EXPECT_EQ(p->width * 3 % 4, 0);
        // Not a flat fill: the brightest and darkest pixels lie far apart.
        int lo = 255, hi = 0;
        for (int i = 0; i < p->width * p->height * 3; ++i) {
            lo = std::min<int>(lo, p->pixels[i]);
            hi = std::max<int>(hi, p->pixels[i]);
        }
        EXPECT_GT(hi - lo, 150);
        freePicture(p);
    }
}

TEST_F(GeneratedData, TextPlatesAreLightTextOnBlack) {
    for (const char* name : kPictures) {
        if (std::string(name).rfind("text/", 0) != 0) continue;
        SCOPED_TRACE(name);
        RgbPicture* p = loadJpeg(path(name).c_str());
        ASSERT_NE(p, nullptr);
        int bright = 0, dark = 0, n = p->width * p->height;
        for (int i = 0; i < n; ++i) {
            const uint8_t* px = p->pixels + 3 * i;
            int luma = (px[0] * 3 + px[1] * 6 + px[2]) / 10;
            bright += luma > 200;
            dark += luma < 12;
        }
        // Additive drawing: black surroundings add nothing to the scene.
        EXPECT_GT(dark, n * 45 / 100);
        EXPECT_GT(bright, n / 100) << "too little text to read";
        // The corners, where the plate's square edges would show, are black.
        for (int corner : {0, p->width - 1, n - p->width, n - 1})
            EXPECT_LT(p->pixels[3 * corner] + p->pixels[3 * corner + 1] + p->pixels[3 * corner + 2], 30);
        freePicture(p);
    }
}

// Closed and wound outwards: every directed edge appears once and its
// reverse once, and each connected part encloses a positive volume.
TEST_F(GeneratedData, ScenesAreClosedMeshesWoundCounterClockwiseFromOutside) {
    for (const char* name : {"etoile-donuts/etoile-donuts.3ds", "champi/champiworld.3ds"}) {
        SCOPED_TRACE(name);
        LoadedMesh m = loadMesh(path(name));
        ASSERT_GT(m.faces.size(), 1000u);
        std::map<std::pair<uint32_t, uint32_t>, int> edges;
        for (const Face3DS& f : m.faces) {
            ASSERT_LT(std::max({f.a, f.b, f.c}), m.vertices.size());
            ++edges[{f.a, f.b}];
            ++edges[{f.b, f.c}];
            ++edges[{f.c, f.a}];
        }
        int unmatched = 0;
        for (const auto& [e, count] : edges) {
            auto back = edges.find({e.second, e.first});
            unmatched += count != 1 || back == edges.end() || back->second != 1;
        }
        EXPECT_EQ(unmatched, 0);
        std::vector<uint32_t> parent(m.vertices.size());
        for (uint32_t i = 0; i < parent.size(); ++i) parent[i] = i;
        auto root = [&](uint32_t i) {
            while (parent[i] != i) i = parent[i] = parent[parent[i]];
            return i;
        };
        for (const Face3DS& f : m.faces) {
            parent[root(f.b)] = root(f.a);
            parent[root(f.c)] = root(f.a);
        }
        std::map<uint32_t, double> volume;
        for (const Face3DS& f : m.faces)
            volume[root(f.a)] += dot(m.vertices[f.a], cross(m.vertices[f.b], m.vertices[f.c])) / 6.0;
        EXPECT_GT(volume.size(), 5u);
        for (const auto& [part, v] : volume) EXPECT_GT(v, 0.0) << "a part is wound inside out";
    }
}

std::vector<V> samples(SplinePath* p, int n) {
    std::vector<V> out;
    for (int i = 0; i < n; ++i) {
        Vector3 v;
        out.push_back(of(p->evaluate(v, float(i) / float(n - 1))));
    }
    return out;
}

TEST_F(GeneratedData, CamerasCircleTheScenesInOppositeWaysWithoutEnteringThem) {
    LoadedMesh star = loadMesh(path("etoile-donuts/etoile-donuts.3ds"));
    LoadedMesh world = loadMesh(path("champi/champiworld.3ds"));
    ASSERT_FALSE(star.vertices.empty());
    ASSERT_FALSE(world.vertices.empty());
    double turning[2] = {0, 0};
    int file = 0;
    for (const char* name : {"etoile-donuts/camera_line_droit2.spl", "etoile-donuts/camera_line_invert2.spl"}) {
        SCOPED_TRACE(name);
        SplinePathList paths = readSplinePathsText(path(name).c_str());
        ASSERT_GE(paths.size(), 2);
        std::vector<V> eye = samples(paths[0], 300), target = samples(paths[1], 300);
        for (size_t i = 0; i < eye.size(); ++i) {
            // The scene's centre is inside the view (120 degrees, 4:3).
            V look = target[i] - eye[i], centre = V{0, 0, 0} - eye[i];
            double c = dot(look, centre) / std::sqrt(dot(look, look) * dot(centre, centre));
            EXPECT_GT(c, std::cos(50.0 * M_PI / 180.0)) << "sample " << i;
            // Never inside the star scene (vertices no closer than 25 units).
            double nearest = 1e30;
            for (const V& v : star.vertices) nearest = std::min(nearest, dot(v - eye[i], v - eye[i]));
            EXPECT_GT(std::sqrt(nearest), 25.0) << "sample " << i;
            if (i + 1 < eye.size()) turning[file] += eye[i].x * eye[i + 1].y - eye[i].y * eye[i + 1].x;
        }
        if (file == 0) {
            // The closing part films the mushroom world with this file: the
            // eye stays well above everything beneath and near it.
            for (size_t i = 0; i < eye.size(); ++i) {
                double top = -1e30;
                for (const V& v : world.vertices) {
                    double dx = v.x - eye[i].x, dy = v.y - eye[i].y;
                    if (dx * dx + dy * dy < 80.0 * 80.0) top = std::max(top, v.z);
                }
                EXPECT_GT(eye[i].z - top, 20.0) << "sample " << i;
            }
        }
        ++file;
    }
    // One circles counter-clockwise seen from above, the other clockwise.
    EXPECT_GT(turning[0], 0.0);
    EXPECT_LT(turning[1], 0.0);
}

TEST(DatagenArguments, UsageAndUnwritableFoldersFail) {
    EXPECT_EQ(run(generator()), 2);
    EXPECT_EQ(run(generator() + " --music-seconds 0 /tmp/x"), 2);
    EXPECT_EQ(run(generator() + " --bogus /tmp/x"), 2);
    EXPECT_EQ(run(generator() + " --no-music /proc/no-such-folder/data"), 1);
}

}  // namespace
