// quillon-assets info FILE...: one JSON object per line per file, telling
// what the production's own readers make of it. The kind comes from the
// file's extension; a file that fails gets {"file":..,"error":..} and the
// exit status becomes 1.
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "modules/Loader3DS/scene3ds.h"
#include "modules/image.h"
#include "modules/picture.h"
#include "modules/spline_path.h"
#include "tools/assets/commands.h"

namespace {

struct Report {
    JsonLine line;
    std::string error;  // empty when the file was read
};

std::string extensionOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

std::string hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

std::string numbers(const std::vector<double>& values) {
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i) out += (i ? "," : "") + JsonLine::number(values[i]);
    return out + "]";
}

void jpeg(const std::string& path, Report& r) {
    RgbPicture* picture = loadJpeg(path.c_str());
    if (!picture) {
        r.error = std::string("not a decodable JPEG: ") + jpegFailure();
        return;
    }
    // The picture keeps its bottom row first; the checksum runs top row first.
    uLong crc = crc32(0L, Z_NULL, 0);
    size_t rowBytes = size_t(picture->width) * 3;
    for (int32_t y = picture->height - 1; y >= 0; --y)
        crc = crc32(crc, picture->pixels + rowBytes * size_t(y), uInt(rowBytes));
    r.line.field("kind", std::string("jpeg"))
        .field("width", int64_t(picture->width))
        .field("height", int64_t(picture->height))
        .field("crc32", hex32(uint32_t(crc)));
    freePicture(picture);
}

void image(const std::string& path, const char* kind, Report& r) {
    FILE* stream = std::fopen(path.c_str(), "rb");
    if (!stream) {
        r.error = std::string("cannot open: ") + std::strerror(errno);
        return;
    }
    Image picture;
    ErrorCode result = std::strcmp(kind, "bmp") == 0 ? picture.readBmp(stream) : picture.readTga(stream);
    std::fclose(stream);
    if (result != Ok) {
        const char* text = errorText(result);
        r.error = text ? text : "failed";
        if (r.error.rfind("! ", 0) == 0) r.error.erase(0, 2);
        return;
    }
    // R, G, B, A bytes, array row 0 first.
    std::vector<uint8_t> rgba(size_t(picture.width) * 4);
    uLong crc = crc32(0L, Z_NULL, 0);
    for (int32_t y = 0; y < picture.height; ++y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            uint8_t bgra[4];
            std::memcpy(bgra, &picture.pixels[size_t(y) * size_t(picture.width) + size_t(x)], 4);
            uint8_t* out = &rgba[size_t(x) * 4];
            out[0] = bgra[2];
            out[1] = bgra[1];
            out[2] = bgra[0];
            out[3] = bgra[3];
        }
        crc = crc32(crc, rgba.data(), uInt(rgba.size()));
    }
    r.line.field("kind", std::string(kind))
        .field("width", int64_t(picture.width))
        .field("height", int64_t(picture.height))
        .field("crc32", hex32(uint32_t(crc)));
}

void scene(const std::string& path, Report& r) {
    Scene3DS s;
    if (s.load(path.c_str(), true, true, true) != Ok) {
        r.error = std::string("not a readable 3DS scene: ") + scene3DSFailure();
        return;
    }
    std::string bbox = "null";
    if (s.vertexCount() > 0) {
        Vector3 lo = s.positions[0], hi = s.positions[0];
        for (uint32_t i = 1; i < s.vertexCount(); ++i) {
            const Vector3& p = s.positions[i];
            lo = Vector3{std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = Vector3{std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
        bbox = numbers({lo.x, lo.y, lo.z, hi.x, hi.y, hi.z});
    }
    r.line.field("kind", std::string("3ds"))
        .field("vertices", int64_t(s.vertexCount()))
        .field("faces", int64_t(s.faceCount()))
        .field("texcoords", int64_t(s.texCoordCount))
        .field("materials", int64_t(s.materialCount))
        .raw("bbox", bbox);
}

void spline(const std::string& path, Report& r) {
    // The spline effect's rule: a 'b' or 'B' four characters from the end
    // ("camera.bspl") means the binary form.
    bool binary = path.size() >= 4 && (path[path.size() - 4] == 'b' || path[path.size() - 4] == 'B');
    SplineReadReport report;
    SplinePathList list = binary ? readSplinePathsBinary(path.c_str(), &report)
                                 : readSplinePathsText(path.c_str(), &report);
    if (!report.opened) {
        r.error = std::string("cannot open: ") + std::strerror(errno);
        return;
    }
    if (!report.complete && report.announced == 0 && list.size() == 0) {
        r.error = std::string("the ") + (binary ? "binary" : "text") + " spline file does not start with a path count";
        return;
    }
    if (!report.complete) {
        char text[160];
        std::snprintf(text, sizeof text, "the %s spline file breaks off: %d paths announced, %d read whole",
                      binary ? "binary" : "text", int(report.announced), int(list.size()));
        r.error = text;
        return;
    }
    std::vector<double> points, lengths;
    for (int32_t i = 0; i < list.size(); ++i) {
        points.push_back(list[i]->pointCount());
        lengths.push_back(list[i]->totalLength());
    }
    r.line.field("kind", std::string("spline"))
        .field("form", std::string(binary ? "binary" : "text"))
        .field("paths", int64_t(list.size()))
        .raw("points", numbers(points))
        .raw("lengths", numbers(lengths));
    if (report.skipped > 0) r.line.field("skipped", int64_t(report.skipped));
}

}  // namespace

int runInfo(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillon-assets info FILE...\n");
        return 2;
    }
    bool anyFailed = false;
    for (int i = 1; i < argc; ++i) {
        std::string path = argv[i];
        Report r;
        r.line.field("file", path);
        std::string ext = extensionOf(path);
        struct stat st;
        FILE* probe = std::fopen(path.c_str(), "rb");
        if (!probe) {
            r.error = std::string("cannot open: ") + std::strerror(errno);
        } else if (fstat(fileno(probe), &st) != 0 || !S_ISREG(st.st_mode)) {
            std::fclose(probe);
            r.error = "not a regular file";
        } else {
            std::fclose(probe);
            if (ext == "jpg" || ext == "jpeg") jpeg(path, r);
            else if (ext == "bmp" || ext == "tga") image(path, ext.c_str(), r);
            else if (ext == "3ds") scene(path, r);
            else if (ext.size() >= 3 && ext.compare(ext.size() - 3, 3, "spl") == 0) spline(path, r);  // .spl, .bspl
            else r.error = "unknown kind of file (known: .jpg, .jpeg, .bmp, .tga, .3ds, .spl)";
        }
        if (!r.error.empty()) {
            JsonLine failed;
            failed.field("file", path).field("error", r.error);
            std::printf("%s\n", failed.text().c_str());
            anyFailed = true;
        } else {
            std::printf("%s\n", r.line.text().c_str());
        }
        std::fflush(stdout);
    }
    return anyFailed ? 1 : 0;
}
