// quillon-assets check [DIR]: every file the production reads (the music,
// the loading picture and the files the script names, from the script's
// own table through productionFiles), looked for under DIR (the folder that
// holds data/, "." by default) and read with the production's readers. One
// line per file, then a summary; exit status 1 when any file is missing or
// does not read.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "demo/demo.h"
#include "demo/script.h"
#include "modules/Loader3DS/scene3ds.h"
#include "modules/picture.h"
#include "modules/spline_path.h"
#include "sound/mp3_stream.h"
#include "tools/assets/commands.h"

namespace {

enum class Verdict { Ok, Missing, Broken };

struct Finding {
    Verdict verdict = Verdict::Ok;
    std::string detail;
};

bool endsWith(const std::string& text, const char* tail) {
    size_t n = std::strlen(tail);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower((unsigned char)text[text.size() - n + i]) != std::tolower((unsigned char)tail[i]))
            return false;
    return true;
}

Finding broken(const std::string& detail) { return Finding{Verdict::Broken, detail}; }

Finding checkJpeg(const std::string& path) {
    RgbPicture* picture = loadJpeg(path.c_str());
    if (!picture) return broken(std::string("not a decodable JPEG: ") + jpegFailure());
    Finding f{Verdict::Ok, "JPEG " + std::to_string(picture->width) + "x" + std::to_string(picture->height)};
    freePicture(picture);
    return f;
}

Finding checkScene(const std::string& path) {
    // As the mesh effects read it: face normals, no texture coordinates.
    Scene3DS* scene = createScene3DS(path.c_str(), false, true, false);
    if (!scene) return broken(std::string("not a readable 3DS scene: ") + scene3DSFailure());
    Finding f{Verdict::Ok, "3DS scene, " + std::to_string(scene->vertexCount()) + " vertices, " +
                               std::to_string(scene->faceCount()) + " faces"};
    delete scene;
    return f;
}

Finding checkSpline(const std::string& path) {
    // The camera reads the text form.
    SplineReadReport report;
    SplinePathList paths = readSplinePathsText(path.c_str(), &report);
    if (!report.opened) return broken(std::string("cannot open: ") + std::strerror(errno));
    if (!report.complete)
        return broken("the spline file breaks off: " + std::to_string(report.announced) + " paths announced, " +
                      std::to_string(paths.size()) + " read whole");
    if (paths.size() == 0) return broken("no spline paths in the file");
    return Finding{Verdict::Ok, "spline paths, " + std::to_string(paths.size()) + " paths"};
}

Finding checkMusic(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return broken(std::string("cannot open: ") + std::strerror(errno));
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    // Decoded to the end, as playback will: a stream that breaks off reads
    // short here.
    Mp3Stream stream(bytes.data(), bytes.size());
    if (!stream.start()) return broken("not a decodable MP3 stream");
    std::vector<int16_t> samples(size_t(8192) * Mp3Stream::kChannels);
    int64_t frames = 0;
    while ((got = stream.read(samples.data(), 8192)) > 0) frames += int64_t(got);
    if (frames == 0) return broken("the MP3 stream holds no sound");
    // The production's clock is the music: a shorter track ends in silence.
    const double seconds = double(frames) / Mp3Stream::kRate;
    const double production = double(scriptPartTable().back().time);
    char text[128];
    if (seconds < production) {
        std::snprintf(text, sizeof text, "MP3, %.1f s: shorter than the production (%.1f s)", seconds, production);
        return broken(text);
    }
    std::snprintf(text, sizeof text, "MP3, %.1f s", seconds);
    return Finding{Verdict::Ok, text};
}

Finding check(const std::string& path) {
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe) {
        int error = errno;
        return Finding{error == ENOENT || error == ENOTDIR ? Verdict::Missing : Verdict::Broken,
                       std::string(error == ENOENT || error == ENOTDIR ? "" : "cannot open: ") +
                           std::strerror(error)};
    }
    std::fclose(probe);
    if (endsWith(path, ".jpg") || endsWith(path, ".jpeg")) return checkJpeg(path);
    if (endsWith(path, ".3ds")) return checkScene(path);
    if (endsWith(path, ".spl")) return checkSpline(path);
    if (endsWith(path, ".mp3")) return checkMusic(path);
    return broken("no reader for this kind of file");
}

}  // namespace

int runCheck(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: quillon-assets check [DIR]\n");
        return 2;
    }
    std::string dir = argc == 2 ? argv[1] : ".";
    if (dir.empty()) dir = ".";
    if (dir.back() != '/') dir += '/';

    const std::vector<std::string> files = productionFiles();
    size_t width = 0;
    for (const std::string& file : files) width = std::max(width, file.size());

    std::printf("the production's files under %s:\n", dir.c_str());
    int missing = 0, broken = 0;
    for (const std::string& file : files) {
        // The script names files from the folder it runs in ("./data/...").
        std::string path = dir + (file.rfind("./", 0) == 0 ? file.substr(2) : file);
        Finding f = check(path);
        const char* word = f.verdict == Verdict::Ok ? "ok" : f.verdict == Verdict::Missing ? "MISSING" : "BROKEN";
        if (f.verdict == Verdict::Missing) ++missing;
        if (f.verdict == Verdict::Broken) ++broken;
        std::printf("  %-8s %-*s  %s\n", word, int(width), file.c_str(), f.detail.c_str());
        std::fflush(stdout);
    }
    std::printf("%zu files: %zu ok, %d missing, %d broken\n", files.size(), files.size() - size_t(missing + broken),
                missing, broken);
    return missing + broken > 0 ? 1 : 0;
}
