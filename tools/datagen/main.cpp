// quillon-datagen [--no-music | --music-seconds S] <data folder>
//
// Writes the production's assets into the data folder (normally ./data):
// pictures and text plates, the two 3DS scenes, the camera paths and the
// music. The music, by far the longest stage, runs on a second thread beside
// the others. --no-music leaves the music out, --music-seconds writes a
// shorter track; both are for quick checks. Exit status 0 when every file
// was written.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tools/datagen/datagen.h"

int main(int argc, char** argv) {
    using namespace datagen;
    bool music = true;
    double seconds = kTrackSeconds;
    std::string dir;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-music") == 0) {
            music = false;
        } else if (std::strcmp(argv[i], "--music-seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
            if (!(seconds > 0.0 && seconds <= kTrackSeconds)) {
                std::fprintf(stderr, "datagen: --music-seconds wants 0 < S <= %.1f\n", kTrackSeconds);
                return 2;
            }
        } else if (argv[i][0] != '-' && dir.empty()) {
            dir = argv[i];
        } else {
            dir.clear();
            break;
        }
    }
    if (dir.empty()) {
        std::fprintf(stderr, "usage: quillon-datagen [--no-music | --music-seconds S] <data folder>\n");
        return 2;
    }
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    bool ok = makeDirectory(dir);
    for (const char* sub : {"/text", "/etoile-donuts", "/Hypercube", "/cubes", "/champi"})
        ok = ok && makeDirectory(dir + sub);
    if (!ok) return 1;

    bool musicOk = true;
    std::thread musicThread;
    if (music) musicThread = std::thread([&] { musicOk = generateMusic(dir, seconds); });
    bool picturesOk = generatePictures(dir);
    bool scenesOk = generateScenes(dir);
    if (musicThread.joinable()) musicThread.join();
    return picturesOk && scenesOk && musicOk ? 0 : 1;
}
