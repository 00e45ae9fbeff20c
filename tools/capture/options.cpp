// Reading and explaining quillon-capture's command line.
#include "tools/capture/options.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool number(const char* text, double& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(value);
}

bool size(const char* text, int& width, int& height) {
    if (!text) return false;
    char* end = nullptr;
    long w = std::strtol(text, &end, 10);
    if (end == text || (*end != 'x' && *end != 'X')) return false;
    const char* second = end + 1;
    long h = std::strtol(second, &end, 10);
    if (end == second || *end != '\0') return false;
    if (w < 1 || h < 1 || w > 8192 || h > 8192) return false;
    width = int(w);
    height = int(h);
    return true;
}

bool endsWith(const std::string& s, const char* tail) {
    size_t n = std::strlen(tail);
    if (s.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != tail[i]) return false;
    return true;
}

}  // namespace

bool parseOptions(int argc, char** argv, CaptureOptions& o, std::string& error) {
    bool at = false, from = false, to = false, fps = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needs = [&](const char* what) {
            if (!value) error = arg + " needs " + what;
            return value != nullptr;
        };
        if (arg == "-h" || arg == "--help") {
            o.help = true;
            return true;
        } else if (arg == "--quiet" || arg == "-q") {
            o.quiet = true;
        } else if (arg == "--at" || arg == "--from" || arg == "--to") {
            if (!needs("a time in seconds")) return false;
            double v = 0;
            if (!number(value, v) || v < 0) {
                error = arg + ": \"" + value + "\" is not a time in seconds (0 or more)";
                return false;
            }
            if (arg == "--to") {
                o.to = v;
                to = true;
            } else {
                o.from = v;
                (arg == "--at" ? at : from) = true;
            }
            ++i;
        } else if (arg == "--fps") {
            if (!needs("a frame rate")) return false;
            double v = 0;
            if (!number(value, v) || v <= 0 || v > 1000) {
                error = "--fps: \"" + std::string(value) + "\" is not a frame rate (above 0, at most 1000)";
                return false;
            }
            o.fps = v;
            fps = true;
            ++i;
        } else if (arg == "--size") {
            if (!needs("WIDTHxHEIGHT")) return false;
            if (!size(value, o.width, o.height)) {
                error = "--size: \"" + std::string(value) + "\" is not WIDTHxHEIGHT (1 to 8192 each)";
                return false;
            }
            ++i;
        } else if (arg == "-o" || arg == "--output") {
            if (!needs("a file or folder name")) return false;
            o.output = value;
            ++i;
        } else if (arg == "--audio-codec") {
            if (!needs("an ffmpeg audio encoder name")) return false;
            o.audioCodec = value;
            ++i;
        } else {
            error = "unknown argument \"" + arg + "\"";
            return false;
        }
    }
    if (o.output.empty()) {
        error = "no output: give -o FILE.png, -o FOLDER/ or -o VIDEO.mp4";
        return false;
    }
    if (at && (from || to)) {
        error = "--at takes one frame; it does not go with --from or --to";
        return false;
    }
    if (to && o.to <= o.from) {
        error = "--to must come after --from";
        return false;
    }
    struct stat info {};
    o.folder = o.output.back() == '/' || (stat(o.output.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
    o.picture = !o.folder && endsWith(o.output, ".png");
    o.single = at;
    if (o.picture && !at) {
        error = "a .png file holds one frame: use --at SECONDS, or -o FOLDER/ for a sequence";
        return false;
    }
    if (at && !o.folder && !o.picture) {
        error = "--at writes one picture: -o must name a .png file or a folder";
        return false;
    }
    (void)fps;
    return true;
}

void printUsage(std::FILE* out) {
    std::fprintf(out,
        "usage: quillon-capture --at SECONDS -o FRAME.png [--size WxH]\n"
        "       quillon-capture [--from A] [--to B] [--fps N] [--size WxH] -o VIDEO.mp4\n"
        "       quillon-capture [--from A] [--to B] [--fps N] [--size WxH] -o FOLDER/\n"
        "\n"
        "Renders the production offline, with the same kernel, demo, script and effects\n"
        "as the player, into an offscreen picture of the chosen size (no window, no\n"
        "setup dialog). Run it where ./data/ is; log.txt is appended there as usual.\n"
        "\n"
        "Frame i is drawn at t = A + i / N seconds on the production's clock; both\n"
        "passes of the frame run at that same t, and parts fire and tracks end as\n"
        "they do in the player. The loading picture's frames are not captured.\n"
        "The same arguments give the same frames, byte for byte. Some effects jitter\n"
        "with a random generator that every drawn frame advances, so a frame at t is\n"
        "the same in every capture that starts at the same A with the same N, but not\n"
        "necessarily in one that starts elsewhere (--at t starts at t).\n"
        "\n"
        "  --at SECONDS    load, go to that time and write that one frame\n"
        "  --from A        first frame's time (default 0)\n"
        "  --to B          capture the frames before B (default: to the end of the\n"
        "                  production; it stops when part 33 fires, as the player does)\n"
        "  --fps N         frames per second (default 60)\n"
        "  --size WxH      picture size in pixels (default 800x600)\n"
        "  -o PATH         FRAME.png  one picture (with --at)\n"
        "                  FOLDER/    a numbered PNG sequence, 000000.png on (an existing\n"
        "                             folder, or a name ending in '/'); no sound\n"
        "                  VIDEO.ext  a video with the music's samples from A to B, made by\n"
        "                             the ffmpeg program: H.264 and AAC in .mp4, FLAC in\n"
        "                             .mkv, 16-bit PCM in .mov\n"
        "  --audio-codec C ffmpeg's audio encoder for a video (e.g. aac, alac, flac,\n"
        "                  pcm_s16le), where the container takes it\n"
        "  -q, --quiet     no progress line\n"
        "  -h, --help      this text\n"
        "\n"
        "While it runs, a progress line on the terminal shows the time done, the frames\n"
        "per second and the time left. However the capture ends (the production's end,\n"
        "--to, an error, Ctrl-C or SIGTERM), what was captured so far is a complete,\n"
        "playable file.\n"
        "\n"
        "Exit status: 0 done; 1 an error (nothing captured, the encoder failed, the\n"
        "output could not be written); 2 a usage error; 130 or 143 interrupted by\n"
        "SIGINT or SIGTERM (the file is complete up to there).\n");
}
