// JPEG pictures and the OpenGL textures made from them.
//
// loadJpeg decodes with libjpeg-turbo into 24-bit RGB, bottom row first, the
// row order OpenGL expects, so a quad whose lower edge has t = 0 shows the
// picture upright. loadTexture turns a picture file into a texture in one
// step; it needs a current GL context. A path written with one trailing blank
// (as the script writes some) names the file without it.
#pragma once
#include <cstdint>

#include "kernel/error.h"

struct RgbPicture {
    int32_t width = 0;
    int32_t height = 0;
    uint8_t* pixels = nullptr;  // height rows of 3 * width bytes, bottom row first
};

// The largest picture loadJpeg decodes, in pixels (192 MiB of RGB). A
// larger header is refused before anything is allocated for it.
constexpr int64_t kMaxPicturePixels = int64_t(8192) * 8192;

// Null when the file does not open or does not decode. A file that keeps
// raising corrupt-data warnings is given up as broken.
RgbPicture* loadJpeg(const char* path);
// The same with a smaller pixel bound (for tools and fuzzing).
RgbPicture* loadJpeg(const char* path, int64_t maxPixels);
void freePicture(RgbPicture* picture);
// Why the last loadJpeg gave none, in words ("" after one that succeeded).
const char* jpegFailure();

// IoError with the custom message "the \"<path>\" file" when the file does
// not open (errno still tells why); Failed when it opens but does not decode
// (no texture name is left behind, nothing is uploaded); OpenGlError when
// GL refuses the picture's size. The new texture is left bound.
ErrorCode loadTexture(const char* path, uint32_t* texture);
