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

// Null when the file does not open or does not decode.
RgbPicture* loadJpeg(const char* path);
void freePicture(RgbPicture* picture);

// IoError with the custom message "the \"<path>\" file" when the file does
// not open; Failed when it opens but does not decode. The new texture is
// left bound.
ErrorCode loadTexture(const char* path, uint32_t* texture);
