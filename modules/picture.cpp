// JPEG pictures through libjpeg-turbo's classic API, and textures from them.
//
// The library's fatal errors come back here through a non-local jump, so a
// broken file gives no picture instead of ending the process. Its warnings
// (corrupt data it can step over) are counted, and a file that keeps
// producing them is given up as broken rather than decoded on and on. A
// picture larger than kMaxPicturePixels is refused before anything is
// allocated for it: a few bytes of header can claim gigapixels.
#include "modules/picture.h"

#include <GL/gl.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include <jpeglib.h>

namespace {

constexpr int kMaxWarnings = 100;

char lastFailure[JMSG_LENGTH_MAX] = "";

void setFailure(const char* text) {
    std::snprintf(lastFailure, sizeof lastFailure, "%s", text);
}

struct ErrorManager {
    jpeg_error_mgr standard;  // first, so the library's pointer is ours too
    jmp_buf recovery;
    int warnings = 0;
};

[[noreturn]] void fatalError(j_common_ptr info) {
    ErrorManager* manager = reinterpret_cast<ErrorManager*>(info->err);
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    setFailure(text);
    (*info->err->output_message)(info);
    longjmp(manager->recovery, 1);
}

// Level -1 is a warning about corrupt data; higher levels are trace
// messages, which the standard routine filters by trace level.
void emitMessage(j_common_ptr info, int level) {
    ErrorManager* manager = reinterpret_cast<ErrorManager*>(info->err);
    if (level < 0) {
        if (++manager->warnings > kMaxWarnings) {
            setFailure("too many corrupt-data warnings");
            longjmp(manager->recovery, 1);
        }
        if (info->err->num_warnings++ == 0) (*info->err->output_message)(info);  // one line per file
        return;
    }
    if (info->err->trace_level >= level) (*info->err->output_message)(info);
}

// The path without the trailing blanks the script leaves on some names.
std::string fileNameOf(const char* path) {
    std::string name = path ? path : "";
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

// Everything that a setjmp may return past lives here, outside the frame of
// the function that calls setjmp.
struct Decode {
    jpeg_decompress_struct info;
    ErrorManager errors;
    FILE* file = nullptr;
    RgbPicture* picture = nullptr;
    JSAMPROW* rows = nullptr;
    bool created = false;

    void release() {
        if (created) jpeg_destroy_decompress(&info);
        created = false;
        if (file) std::fclose(file);
        file = nullptr;
        std::free(rows);
        rows = nullptr;
    }
    void dropPicture() {
        freePicture(picture);
        picture = nullptr;
    }
};

// The decoding itself; false when anything failed. Kept free of objects
// with destructors, since a library error jumps back into it.
bool decode(Decode& d, int64_t maxPixels) {
    d.info.err = jpeg_std_error(&d.errors.standard);
    d.errors.standard.error_exit = fatalError;
    d.errors.standard.emit_message = emitMessage;
    if (setjmp(d.errors.recovery)) return false;
    jpeg_create_decompress(&d.info);
    d.created = true;
    jpeg_stdio_src(&d.info, d.file);
    jpeg_read_header(&d.info, TRUE);
    d.info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&d.info);
    int64_t width = d.info.output_width;
    int64_t height = d.info.output_height;
    if (width <= 0 || height <= 0 || width * height > maxPixels) {
        std::snprintf(lastFailure, sizeof lastFailure, "a picture of %lld x %lld pixels is beyond the bound of %lld",
                      (long long)width, (long long)height, (long long)maxPixels);
        return false;
    }
    jpeg_start_decompress(&d.info);
    if (d.info.output_components != 3 || int64_t(d.info.output_width) != width ||
        int64_t(d.info.output_height) != height) {
        setFailure("the picture does not decode to RGB");
        return false;
    }

    d.picture = new (std::nothrow) RgbPicture;
    if (!d.picture) return false;
    size_t rowBytes = size_t(width) * 3;
    d.picture->width = int32_t(width);
    d.picture->height = int32_t(height);
    d.picture->pixels = static_cast<uint8_t*>(std::malloc(rowBytes * size_t(height)));
    d.rows = static_cast<JSAMPROW*>(std::malloc(sizeof(JSAMPROW) * size_t(height)));
    if (!d.picture->pixels || !d.rows) {
        setFailure("not enough memory");
        return false;
    }
    for (int64_t i = 0; i < height; ++i) d.rows[i] = d.picture->pixels + rowBytes * size_t(i);

    // The first decoded line, the top of the picture, lands in the last row.
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row = d.rows[height - 1 - int64_t(d.info.output_scanline)];
        // The stdio source never suspends; a read that makes no progress is a
        // broken stream, not a reason to spin.
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1) {
            setFailure("the decoder stopped before the last row");
            return false;
        }
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

}  // namespace

RgbPicture* loadJpeg(const char* path) { return loadJpeg(path, kMaxPicturePixels); }

RgbPicture* loadJpeg(const char* path, int64_t maxPixels) {
    std::string name = fileNameOf(path);
    lastFailure[0] = '\0';
    Decode* d = new (std::nothrow) Decode;
    if (!d) {
        setFailure("not enough memory");
        return nullptr;
    }
    d->file = std::fopen(name.c_str(), "rb");
    if (!d->file) {
        int saved = errno;
        std::snprintf(lastFailure, sizeof lastFailure, "cannot open: %s", std::strerror(saved));
        delete d;
        errno = saved;
        return nullptr;
    }
    bool ok = decode(*d, maxPixels);
    d->release();
    if (!ok) d->dropPicture();
    RgbPicture* picture = d->picture;
    delete d;
    return picture;
}

const char* jpegFailure() { return lastFailure; }

void freePicture(RgbPicture* picture) {
    if (!picture) return;
    std::free(picture->pixels);
    delete picture;
}

ErrorCode loadTexture(const char* path, uint32_t* texture) {
    std::string name = fileNameOf(path);
    FILE* probe = std::fopen(name.c_str(), "rb");
    if (!probe) {
        int saved = errno;
        setErrorTextf("the \"%s\" file", path ? path : "");
        errno = saved;  // the IoError text tells why the open failed
        return IoError;
    }
    std::fclose(probe);

    // Decoded before a texture name exists: a file that does not decode
    // leaves no name behind and uploads nothing.
    RgbPicture* picture = loadJpeg(name.c_str());
    if (!picture) return Failed;

    GLuint name32 = 0;
    glGenTextures(1, &name32);
    glBindTexture(GL_TEXTURE_2D, name32);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);

    // The rows are packed (3 × width bytes); with GL's default alignment of 4
    // a width that is not a multiple of 4 would make GL read past the end of
    // the array and shear the picture.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    while (glGetError() != GL_NO_ERROR) {
    }
    glTexImage2D(GL_TEXTURE_2D, 0, 3, picture->width, picture->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 picture->pixels);
    GLenum uploadError = glGetError();
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    freePicture(picture);
    if (uploadError != GL_NO_ERROR) {
        // A size the GL does not take as a texture.
        glDeleteTextures(1, &name32);
        return OpenGlError;
    }
    *texture = name32;
    return Ok;
}
