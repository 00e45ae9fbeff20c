// Image objects: 32-bit pixels read from 24-bit BMP files and from 24- or
// 32-bit TGA files (raw or run-length encoded), made and loaded through the
// Driver's picture service (kernel/os.h).
//
// Each pixel holds the bytes blue, green, red, alpha in memory order (the
// value 0xAARRGGBB as a little-endian word); 24-bit sources get alpha 255.
// The readers store the first pixel row of the file in the last array row,
// so for the usual bottom-up files row 0 of the array is the top of the
// picture. A file that ends before its pixels are complete, or whose header
// claims more pixels than the file can hold, is refused before any pixel is
// allocated.
#pragma once
#include <cstdint>
#include <cstdio>

#include "kernel/error.h"

class GlDriver;

class Image {
public:
    Image() = default;
    // Allocates width × height pixels (not initialised) when both are above
    // 0; otherwise, or when memory runs out, there are no pixels.
    Image(int32_t width, int32_t height);
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    virtual void clear();
    virtual ~Image();
    // Nearest neighbour. Ok without change for the current size or an image
    // without pixels; Failed for a size of 0 or less (the image is kept);
    // NotEnoughMemory keeps the image as it was.
    virtual ErrorCode resize(int32_t newWidth, int32_t newHeight);
    // directory + '/' (unless it already ends in one) + file. The reader is
    // chosen by the file name: ".bmp" anywhere, any case, then ".tga".
    virtual ErrorCode load(const char* directory, const char* file);
    virtual ErrorCode loadResized(const char* directory, const char* file, int32_t width, int32_t height);

    // The format readers: they fill this image from an open stream (read to
    // its end) and leave it cleared when they fail.
    ErrorCode readBmp(FILE* stream);
    ErrorCode readTga(FILE* stream);

    int32_t width = 0;
    int32_t height = 0;
    uint32_t* pixels = nullptr;  // row after row, width × height

protected:
    bool allocate(int32_t w, int32_t h);  // replaces the pixels; false when it cannot
};

// Made by Driver::createImage. The fields are kept for the service's users;
// no operation reads them.
class StoredImage : public Image {
public:
    StoredImage(int32_t first, int32_t second, int32_t width = 0, int32_t height = 0);

    int32_t first = 0;
    int32_t second = 0;
    bool locked = false;
    int32_t constructedHeight = 0;
};

// Made by the default Driver::createSurface.
class SurfaceImage : public Image {
public:
    virtual void refresh() {}
};

// Made by GlDriver::createSurface; records the driver (not owned).
class GlSurfaceImage : public SurfaceImage {
public:
    explicit GlSurfaceImage(GlDriver* maker) : driver(maker) {}
    void refresh() override {}

    GlDriver* driver = nullptr;
};
